#pragma once

// Streaming zlib adapters between files: deflate with the default level, window bits 15, memory
// level 8 and the default strategy; errors carry zlib's own texts ("data error", ...).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/base/Error.h"
#include "core/platform/FileSystem.h"

namespace zarkent {

// zlib's text for one of its error codes.
std::string ZlibErrorText(int code);

// Called on the calling thread after each block of input is done, with the count of input bytes
// done so far; returning false stops the work there.
using BlockObserver = std::function<bool(std::uint64_t done)>;

// Sees every byte of a stream as it is written, in order, on the calling thread.
using StreamTap = std::function<void(const std::uint8_t* data, std::size_t size)>;

// The input is deflated in blocks of this size, each on whichever thread is free. The output depends
// on it, so it is fixed: never on the number of threads or on how the input arrives. Each block
// costs a dictionary of 32 KiB to prime: about 5% more work than one stream at 128 KiB, 3% here.
inline constexpr std::size_t DeflateBlockSize = 256 * 1024;

// Each compression thread keeps a few blocks in flight: at most this many threads keep the memory
// below 50 MiB.
inline constexpr unsigned MaxDeflateThreads = 32;

// The number of compression threads used when none is asked for: one per core, at most
// MaxDeflateThreads.
unsigned DefaultDeflateThreads();

// Deflates everything from the current position of `input` to its end into one standard zlib stream
// written to `output`, on `threads` threads (0: DefaultDeflateThreads(); more than MaxDeflateThreads
// count as that many) that read their blocks
// themselves (the position of `input` stays where it was). Block i is compressed on its own with the
// 32 KiB of input before it as dictionary and ends in a sync flush (the last block ends the stream),
// so any inflater reads the joined blocks as one stream. The bytes are the same whatever the number
// of threads, and an input of at most one block gives exactly the stream that zlib's compress2()
// gives. Every piece written to `output` is then handed to `tap`, if any. Returns false when the
// observer stopped it (the stream is then unfinished).
bool DeflateFile(File& input, File& output, unsigned threads = 0, const BlockObserver& observer = {},
                 const StreamTap& tap = {});

// The same stream as DeflateFile gives for the same contents (the same blocks, dictionaries and
// bytes), from an input read strictly in order to its end (a pipe: no positioned reads, no size).
// The workers take their blocks from the one reader in turn and compress them at once; the stream
// goes to `output` in pieces, in order, on the calling thread. Returns false when the observer
// stopped it.
bool DeflateStream(File& input, const StreamTap& output, unsigned threads = 0, const BlockObserver& observer = {});

// Inflates one zlib stream that arrives in pieces of any size. A damaged stream, bytes after its
// end, or (at Finish) a stream cut short are "data error" (DamagedFile).
class StreamInflater {
public:
    // The inflated bytes go to `output`, written on a second thread while the next ones are inflated;
    // with no output the stream is only checked. The observer, when given, is asked once per buffer
    // of output with the count of compressed bytes consumed so far; false stops the work.
    explicit StreamInflater(File* output, BlockObserver observer = {});
    ~StreamInflater();
    StreamInflater(const StreamInflater&) = delete;
    StreamInflater& operator=(const StreamInflater&) = delete;

    // Inflates the next piece. Returns false when the observer stopped it.
    bool Add(const void* data, std::size_t size);
    // The input has ended: the stream must have ended too. Waits until the output is written.
    // Returns false when the observer stopped it.
    bool Finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Inflates the whole zlib stream that starts at the current position of `input` into `output`; the
// observer sees the compressed bytes read. A damaged or truncated stream, or bytes after its end,
// are "data error". Returns false when the observer stopped it.
bool InflateFile(File& input, File& output, const BlockObserver& observer = {});

// Contents held in memory, for small data such as a typed text. DeflateBytes gives one standard zlib
// stream with the parameters above (for an input of at most one block, the very bytes DeflateFile
// gives).
std::string DeflateBytes(std::string_view input);

// Refused by InflateBytes: the stream inflates to more than the caller's limit.
class InflateLimitError : public ZarkentError {
public:
    explicit InflateLimitError(std::size_t limit)
        : ZarkentError("The contents are larger than " + std::to_string(limit) + " bytes") {}
};

// Inflates the whole zlib stream `input` held in memory. A damaged or truncated stream, or bytes after
// its end, are "data error"; a result larger than `limit` bytes throws InflateLimitError.
std::string InflateBytes(std::string_view input, std::size_t limit);

} // namespace zarkent
