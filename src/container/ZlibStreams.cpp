#include "container/ZlibStreams.h"

#include <vector>
#include <zlib.h>

#include "base/Error.h"

namespace zarkent {

namespace {
constexpr std::size_t BlockSize = 65536;

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

struct ZCompressor::State {
    z_stream stream{};
    std::vector<unsigned char> buffer = std::vector<unsigned char>(BlockSize);
    bool finished = false;
};

ZCompressor::ZCompressor(File& output) : state_(std::make_unique<State>()), output_(output) {
    const int code = deflateInit2(&state_->stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
    if (code != Z_OK) throw ZarkentError(ZlibErrorText(code));
}

ZCompressor::~ZCompressor() {
    deflateEnd(&state_->stream);
}

void ZCompressor::Pump(int flush) {
    z_stream& s = state_->stream;
    int code;
    do {
        s.next_out = state_->buffer.data();
        s.avail_out = static_cast<uInt>(state_->buffer.size());
        code = Check(deflate(&s, flush));
        const std::size_t produced = state_->buffer.size() - s.avail_out;
        if (produced) output_.Write(state_->buffer.data(), produced);
    } while (s.avail_out == 0 || (flush == Z_FINISH && code != Z_STREAM_END));
}

void ZCompressor::Write(const void* data, std::size_t size) {
    z_stream& s = state_->stream;
    const auto* in = static_cast<const unsigned char*>(data);
    while (size > 0) {
        // avail_in is 32 bits wide: feed large blocks in pieces.
        const auto piece = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
        s.next_in = const_cast<unsigned char*>(in);
        s.avail_in = piece;
        Pump(Z_NO_FLUSH);
        in += piece;
        size -= piece;
    }
}

void ZCompressor::Finish() {
    if (state_->finished) return;
    state_->stream.avail_in = 0;
    Pump(Z_FINISH);
    state_->finished = true;
}

std::uint64_t InflateFile(File& input, File& output) {
    z_stream s{};
    int code = inflateInit2(&s, 15);
    if (code != Z_OK) throw ZarkentError(ZlibErrorText(code));
    struct End {
        z_stream* s;
        ~End() { inflateEnd(s); }
    } end{&s};

    std::vector<unsigned char> in(BlockSize), out(BlockSize);
    std::uint64_t total = 0;
    bool needInput = true;
    code = Z_OK;
    while (code != Z_STREAM_END) {
        if (s.avail_in == 0 && needInput) {
            const std::size_t n = input.Read(in.data(), in.size());
            if (n == 0) throw ZarkentError(ZlibErrorText(Z_DATA_ERROR), ErrorKind::DamagedFile); // stream cut short
            s.next_in = in.data();
            s.avail_in = static_cast<uInt>(n);
        }
        s.next_out = out.data();
        s.avail_out = static_cast<uInt>(out.size());
        code = inflate(&s, Z_NO_FLUSH);
        if (code == Z_NEED_DICT) code = Z_DATA_ERROR;
        Check(code);
        const std::size_t produced = out.size() - s.avail_out;
        if (produced) output.Write(out.data(), produced);
        total += produced;
        // A full output buffer may leave more output inside zlib; otherwise it wants input.
        needInput = s.avail_out != 0;
    }
    // Nothing may follow the stream.
    unsigned char probe;
    if (s.avail_in != 0 || input.Read(&probe, 1) != 0)
        throw ZarkentError(ZlibErrorText(Z_DATA_ERROR), ErrorKind::DamagedFile);
    return total;
}

} // namespace zarkent
