#pragma once

// Streaming zlib adapters between files: deflate with the default level, window bits 15, memory
// level 8 and the default strategy; errors carry zlib's own texts ("data error", ...).

#include <cstdint>
#include <memory>
#include <string>

#include "platform/FileSystem.h"

namespace zarkent {

// zlib's text for one of its error codes.
std::string ZlibErrorText(int code);

class ZCompressor {
public:
    explicit ZCompressor(File& output);
    ~ZCompressor();
    ZCompressor(const ZCompressor&) = delete;
    ZCompressor& operator=(const ZCompressor&) = delete;

    void Write(const void* data, std::size_t size);
    // Ends the zlib stream and writes what is left.
    void Finish();

private:
    void Pump(int flush);
    struct State;
    std::unique_ptr<State> state_;
    File& output_;
};

// Inflates the whole zlib stream that starts at the current position of `input` into `output` and
// returns the inflated size. A damaged or truncated stream, or bytes after its end, are "data error".
std::uint64_t InflateFile(File& input, File& output);

} // namespace zarkent
