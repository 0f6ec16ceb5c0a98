#include "core/container/ZlibStreams.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>
#include <zlib.h>

#include "core/base/Error.h"
#include "core/container/Adler32.h"
#include "core/container/AsyncWriter.h"
#include "core/container/OrderedPool.h"

namespace zarkent {

namespace {
constexpr std::size_t InflateInputSize = 128 * 1024;
constexpr std::size_t InflateOutputSize = 256 * 1024;
constexpr std::size_t Window = 32 * 1024; // deflate's window: the dictionary each block gets
static_assert(DeflateBlockSize >= Window, "a whole block holds the next block's dictionary");

// Broken compressed data means a damaged .zrk file; the other codes are failures of zlib itself.
ErrorKind KindOfCode(int code) {
    return code == Z_DATA_ERROR ? ErrorKind::DamagedFile : ErrorKind::General;
}

int Check(int code) {
    if (code < 0 && code != Z_BUF_ERROR) throw ZarkentError(ZlibErrorText(code), KindOfCode(code));
    return code;
}
} // namespace

std::string ZlibErrorText(int code) {
    switch (code) {
    case Z_ERRNO:
        return "file error";
    case Z_STREAM_ERROR:
        return "stream error";
    case Z_DATA_ERROR:
        return "data error";
    case Z_MEM_ERROR:
        return "insufficient memory";
    case Z_BUF_ERROR:
        return "buffer error";
    case Z_VERSION_ERROR:
        return "incompatible version";
    default:
        return "zlib error " + std::to_string(code);
    }
}

unsigned DefaultDeflateThreads() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, MaxDeflateThreads);
}

namespace {

// One block of the compressor: read and compressed by a worker, written by the calling thread.
struct DeflateBlock {
    // The dictionary (the window of input before the block), the block, and one byte more that tells
    // whether the input goes on after the block.
    std::unique_ptr<unsigned char[]> input =
        std::make_unique_for_overwrite<unsigned char[]>(Window + DeflateBlockSize + 1);
    std::size_t dictionary = 0, size = 0;
    bool final = false;
    std::vector<unsigned char> output;
    std::size_t produced = 0;
    uLong adler = 1;
};

// Block `index` of the input that starts at `start`, read at its place: its dictionary, the block and
// the byte after it. Block boundaries depend on the input alone; whether a block is the last is known
// from the byte after it.
void ReadBlockAt(const File& input, std::int64_t start, std::uint64_t index, DeflateBlock& block) {
    const std::uint64_t offset = index * DeflateBlockSize;
    const std::size_t window = index == 0 ? 0 : Window;
    const std::size_t wanted = window + DeflateBlockSize + 1;
    const std::size_t got = input.ReadAt(block.input.get(), wanted, start + static_cast<std::int64_t>(offset - window));
    // A file cut short meanwhile leaves a dictionary without its block: an empty last block.
    block.dictionary = std::min(got, window);
    block.size = std::min(got - block.dictionary, DeflateBlockSize);
    block.final = got < wanted;
}

// The blocks of an input read strictly in order (a pipe), handed out in the order of their index
// whichever worker asks first: the reader keeps the window of input before the next block and the
// byte read ahead that told the previous block it was not the last. The blocks are those ReadBlockAt
// gives for the same contents.
class SequentialBlockReader {
public:
    explicit SequentialBlockReader(File& input) : input_(input) {}

    void Fill(std::uint64_t index, DeflateBlock& block) {
        std::unique_lock lock(mutex_);
        turn_.wait(lock, [&] { return next_ == index; });
        struct Advance {
            SequentialBlockReader& reader;
            ~Advance() {
                ++reader.next_;
                reader.turn_.notify_all();
            }
        } advance{*this};
        if (ended_) { // asked for a block after the last one (or after a failed read): never handed out
            block.dictionary = block.size = 0;
            block.final = true;
            return;
        }
        ended_ = true; // until this read succeeded
        std::memcpy(block.input.get(), window_.get(), windowSize_);
        block.dictionary = windowSize_;
        unsigned char* data = block.input.get() + windowSize_;
        std::size_t got = 0;
        if (haveLookahead_) data[got++] = lookahead_;
        got += input_.Read(data + got, DeflateBlockSize + 1 - got);
        block.final = got <= DeflateBlockSize;
        block.size = std::min(got, DeflateBlockSize);
        if (!block.final) {
            lookahead_ = data[DeflateBlockSize];
            haveLookahead_ = true;
            std::memcpy(window_.get(), data + DeflateBlockSize - Window, Window);
            windowSize_ = Window;
            ended_ = false;
        }
    }

private:
    File& input_;
    std::mutex mutex_;
    std::condition_variable turn_;
    std::uint64_t next_ = 0;
    bool ended_ = false;
    const std::unique_ptr<unsigned char[]> window_ = std::make_unique_for_overwrite<unsigned char[]>(Window);
    std::size_t windowSize_ = 0;
    bool haveLookahead_ = false;
    unsigned char lookahead_ = 0;
};

// Raw deflate of one block, fresh for each block, with the parameters of the zlib stream it joins.
class BlockDeflater {
public:
    BlockDeflater() {
        const int code = deflateInit2(&stream_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
        if (code != Z_OK) throw ZarkentError(ZlibErrorText(code));
    }
    ~BlockDeflater() { deflateEnd(&stream_); }
    BlockDeflater(const BlockDeflater&) = delete;
    BlockDeflater& operator=(const BlockDeflater&) = delete;

    // Compresses a block that has its input, dictionary, size and final mark in place.
    void Compress(DeflateBlock& block) {
        const unsigned char* data = block.input.get() + block.dictionary;
        z_stream& s = stream_;
        if (used_) Check(deflateReset(&s)); // a new stream starts reset
        used_ = true;
        if (block.dictionary > 0)
            Check(deflateSetDictionary(&s, block.input.get(), static_cast<uInt>(block.dictionary)));
        // Room for the worst case in one call; more only if zlib ever needs it.
        const std::size_t bound = deflateBound(&s, static_cast<uLong>(block.size)) + 64;
        if (block.output.size() < bound) block.output.resize(bound);
        s.next_in = const_cast<unsigned char*>(data);
        s.avail_in = static_cast<uInt>(block.size);
        // A sync flush ends the block on a byte boundary without ending the stream; a full flush would
        // claim that an inflater could start afresh there, which the next block's dictionary rules out.
        const int flush = block.final ? Z_FINISH : Z_SYNC_FLUSH;
        block.produced = 0;
        for (;;) {
            s.next_out = block.output.data() + block.produced;
            s.avail_out = static_cast<uInt>(block.output.size() - block.produced);
            const int code = Check(deflate(&s, flush));
            block.produced = block.output.size() - s.avail_out;
            // Output space left over means the flush is complete.
            if (block.final ? code == Z_STREAM_END : s.avail_out != 0) break;
            block.output.resize(block.output.size() * 2);
        }
        block.adler = Adler32(1, data, block.size);
    }

private:
    z_stream stream_{};
    bool used_ = false;
};

// A zlib inflate stream (zlib header and checksum) that ends with its scope.
struct Inflater {
    z_stream s{};
    Inflater() {
        if (const int code = inflateInit2(&s, 15); code != Z_OK) throw ZarkentError(ZlibErrorText(code));
    }
    ~Inflater() { inflateEnd(&s); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
};

ZarkentError DataError() {
    return ZarkentError(ZlibErrorText(Z_DATA_ERROR), ErrorKind::DamagedFile);
}

// Fills a block's input (ReadBlockAt or SequentialBlockReader) on a worker thread.
using BlockSource = std::function<void(std::uint64_t index, DeflateBlock& block)>;

// The zlib stream of the blocks `fill` gives: compressed on `threads` workers with `slots` blocks in
// flight, joined in order by the calling thread and handed to `put`. `single`, when given, is the one
// block of a small input, already compressed here.
bool DeflateBlocks(const std::string& inputName, unsigned threads, std::uint64_t slots, const BlockSource& fill,
                   std::optional<DeflateBlock> single, const StreamTap& put, const BlockObserver& observer) {
    std::vector<std::unique_ptr<BlockDeflater>> deflaters;
    std::optional<OrderedPool<DeflateBlock>> pool;
    if (!single) {
        for (unsigned i = 0; i < threads; ++i)
            deflaters.push_back(std::make_unique<BlockDeflater>());
        pool.emplace(threads, static_cast<std::size_t>(slots),
                     [&](unsigned worker, std::uint64_t index, DeflateBlock& block) {
                         fill(index, block);
                         deflaters[worker]->Compress(block);
                     });
    }
    const auto wait = [&](std::uint64_t index) -> const DeflateBlock& { return pool ? pool->Wait(index) : *single; };

    // The header zlib writes for deflate, a 32 KiB window and the default level, without a dictionary.
    const unsigned char header[2] = {0x78, 0x9C};
    put(header, sizeof header);
    uLong adler = 1;
    std::uint64_t done = 0;
    // The end of the input the previous block compressed. Each block reads its dictionary on its own, so
    // a file rewritten meanwhile could give a block another window than the inflater will have: the
    // stream would not decompress. Such a file is refused instead.
    const auto tail = std::make_unique_for_overwrite<unsigned char[]>(Window);
    for (std::uint64_t index = 0;; ++index) {
        const DeflateBlock& block = wait(index);
        if (index > 0 && (block.dictionary != Window || std::memcmp(block.input.get(), tail.get(), Window) != 0))
            throw ZarkentError("The file \"" + inputName + "\" changed while it was compressed", ErrorKind::FileSystem);
        // Every block but the last is a whole block, longer than the window.
        if (!block.final) std::memcpy(tail.get(), block.input.get() + block.dictionary + block.size - Window, Window);
        put(block.output.data(), block.produced);
        adler = adler32_combine(adler, block.adler, static_cast<z_off_t>(block.size));
        done += block.size;
        const bool final = block.final;
        if (pool) pool->Release(index);
        if (observer && !observer(done)) return false;
        if (final) break;
    }
    const unsigned char trailer[4] = {static_cast<unsigned char>(adler >> 24), static_cast<unsigned char>(adler >> 16),
                                      static_cast<unsigned char>(adler >> 8), static_cast<unsigned char>(adler)};
    put(trailer, sizeof trailer);
    return true;
}

unsigned ThreadsFor(unsigned threads) {
    return threads == 0 ? DefaultDeflateThreads() : std::min(threads, MaxDeflateThreads);
}

} // namespace

bool DeflateFile(File& input, File& output, unsigned threads, const BlockObserver& observer, const StreamTap& tap) {
    threads = ThreadsFor(threads);
    const std::int64_t start = input.Position();
    // No more threads than blocks: a folder of small files does not start a pool for each one. The
    // bytes do not depend on the number of threads, so a file that grows meanwhile only takes longer.
    const auto remaining = static_cast<std::uint64_t>(std::max<std::int64_t>(0, input.Size() - start));
    const std::uint64_t blocks = remaining / DeflateBlockSize + 1;
    threads = static_cast<unsigned>(std::min<std::uint64_t>(threads, blocks));
    const BlockSource fill = [&](std::uint64_t index, DeflateBlock& block) { ReadBlockAt(input, start, index, block); };

    // A file of one block is compressed right here: no threads to start and stop for each small file
    // of a folder. Should it have grown meanwhile, it is compressed in blocks like any other.
    std::optional<DeflateBlock> single;
    if (blocks == 1) {
        single.emplace();
        fill(0, *single);
        BlockDeflater().Compress(*single);
        if (!single->final) single.reset();
    }
    // Blocks in flight: every worker busy, finished ones waiting to be written in order, and enough
    // ahead that the workers go on while this thread waits for the processor on a busy machine.
    const auto slots = std::min<std::uint64_t>(2 * std::uint64_t{threads} + 8, blocks + 1);
    return DeflateBlocks(
        input.Path(), threads, slots, fill, std::move(single),
        [&](const std::uint8_t* data, std::size_t size) {
            output.Write(data, size);
            if (tap) tap(data, size);
        },
        observer);
}

bool DeflateStream(File& input, const StreamTap& output, unsigned threads, const BlockObserver& observer) {
    threads = ThreadsFor(threads);
    SequentialBlockReader reader(input);
    return DeflateBlocks(
        input.Path(), threads, 2 * std::uint64_t{threads} + 8,
        [&](std::uint64_t index, DeflateBlock& block) { reader.Fill(index, block); }, std::nullopt, output, observer);
}

struct StreamInflater::State {
    Inflater inflater;
    std::optional<AsyncWriter> writer; // the output, written on a second thread
    std::unique_ptr<unsigned char[]> scratch;
    BlockObserver observer;
    unsigned char* buffer = nullptr; // the output buffer being filled
    std::size_t filled = 0;
    std::uint64_t added = 0;
    bool ended = false;

    std::uint64_t Consumed() const { return added - inflater.s.avail_in; }

    // One call of inflate into the output buffer, which goes out when full or at the stream's end.
    // Returns zlib's code; false in `going` when the observer stopped the work.
    int Step(bool& going) {
        z_stream& s = inflater.s;
        if (!buffer) {
            // Asked once per buffer of output, so that even a stream that inflates a thousandfold is
            // followed closely.
            if (observer && !observer(Consumed())) {
                going = false;
                return Z_OK;
            }
            buffer = writer ? writer->Acquire() : scratch.get();
            filled = 0;
        }
        s.next_out = buffer + filled;
        s.avail_out = static_cast<uInt>(InflateOutputSize - filled);
        int code = inflate(&s, Z_NO_FLUSH);
        if (code == Z_NEED_DICT) code = Z_DATA_ERROR;
        Check(code);
        filled = InflateOutputSize - s.avail_out;
        ended = code == Z_STREAM_END;
        if (filled == InflateOutputSize || ended) {
            if (writer) writer->Submit(filled);
            buffer = nullptr;
        }
        return code;
    }
};

StreamInflater::StreamInflater(File* output, BlockObserver observer) : state_(std::make_unique<State>()) {
    state_->observer = std::move(observer);
    if (output)
        state_->writer.emplace(*output, InflateOutputSize);
    else
        state_->scratch = std::make_unique_for_overwrite<unsigned char[]>(InflateOutputSize);
}

StreamInflater::~StreamInflater() = default;

bool StreamInflater::Add(const void* data, std::size_t size) {
    State& st = *state_;
    z_stream& s = st.inflater.s;
    const auto* bytes = static_cast<const unsigned char*>(data);
    // Pieces below uInt's range: a zlib stream knows nothing of the caller's sizes.
    constexpr std::size_t Piece = 1u << 30;
    while (size > 0) {
        const std::size_t n = std::min(size, Piece);
        s.next_in = const_cast<unsigned char*>(bytes);
        s.avail_in = static_cast<uInt>(n);
        st.added += n;
        bytes += n;
        size -= n;
        bool going = true;
        while (s.avail_in > 0 && !st.ended) {
            st.Step(going);
            if (!going) return false;
        }
        if (s.avail_in > 0) throw DataError(); // nothing may follow the stream
    }
    return true;
}

bool StreamInflater::Finish() {
    State& st = *state_;
    bool going = true;
    while (!st.ended) {
        // What inflate still holds for a full buffer comes out; no progress at all means cut short.
        if (st.Step(going) == Z_BUF_ERROR) throw DataError();
        if (!going) return false;
    }
    if (st.writer) st.writer->Finish();
    if (st.observer) st.observer(st.Consumed());
    return true;
}

bool InflateFile(File& input, File& output, const BlockObserver& observer) {
    StreamInflater inflater(&output, observer);
    const auto in = std::make_unique_for_overwrite<unsigned char[]>(InflateInputSize);
    for (;;) {
        const std::size_t n = input.Read(in.get(), InflateInputSize);
        if (n == 0) return inflater.Finish();
        if (!inflater.Add(in.get(), n)) return false;
    }
}

std::string DeflateBytes(std::string_view input) {
    z_stream s{};
    int code = deflateInit2(&s, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
    if (code != Z_OK) throw ZarkentError(ZlibErrorText(code));
    struct End {
        z_stream* s;
        ~End() { deflateEnd(s); }
    } end{&s};
    std::string output(deflateBound(&s, static_cast<uLong>(input.size())), '\0');
    // Pieces below uInt's range: a zlib stream knows nothing of the caller's sizes.
    constexpr std::size_t Piece = 1u << 30;
    std::size_t consumed = 0;
    do {
        const std::size_t n = std::min(Piece, input.size() - consumed);
        s.next_in = reinterpret_cast<unsigned char*>(const_cast<char*>(input.data() + consumed));
        s.avail_in = static_cast<uInt>(n);
        consumed += n;
        const int flush = consumed == input.size() ? Z_FINISH : Z_NO_FLUSH;
        do {
            if (s.total_out == output.size()) output.resize(output.size() * 2);
            s.next_out = reinterpret_cast<unsigned char*>(output.data() + s.total_out);
            s.avail_out = static_cast<uInt>(std::min(Piece, output.size() - s.total_out));
            code = Check(deflate(&s, flush));
        } while (s.avail_out == 0 || (flush == Z_FINISH && code != Z_STREAM_END));
    } while (consumed < input.size());
    output.resize(s.total_out);
    return output;
}

std::string InflateBytes(std::string_view input, std::size_t limit) {
    Inflater inflater;
    z_stream& s = inflater.s;
    int code = Z_OK;
    std::string output;
    std::size_t produced = 0, consumed = 0;
    while (code != Z_STREAM_END) {
        if (s.avail_in == 0) {
            // The whole input is consumed and the stream has not ended: cut short.
            if (consumed == input.size()) throw DataError();
            const std::size_t n = std::min(InflateInputSize, input.size() - consumed);
            s.next_in = reinterpret_cast<unsigned char*>(const_cast<char*>(input.data() + consumed));
            s.avail_in = static_cast<uInt>(n);
            consumed += n;
        }
        if (produced == output.size()) {
            // One byte of room beyond the limit tells a result of exactly `limit` bytes from a larger one.
            if (produced > limit) throw InflateLimitError(limit);
            output.resize(std::min(std::max(2 * output.size(), InflateOutputSize), limit + 1));
        }
        s.next_out = reinterpret_cast<unsigned char*>(output.data() + produced);
        s.avail_out = static_cast<uInt>(std::min(InflateOutputSize, output.size() - produced));
        const uInt room = s.avail_out;
        code = inflate(&s, Z_NO_FLUSH);
        if (code == Z_NEED_DICT) code = Z_DATA_ERROR;
        Check(code);
        produced += room - s.avail_out;
    }
    if (produced > limit) throw InflateLimitError(limit);
    // Nothing may follow the stream.
    if (s.avail_in != 0 || consumed != input.size()) throw DataError();
    output.resize(produced);
    return output;
}

} // namespace zarkent
