#include "core/container/PipeJob.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "core/container/AsyncWriter.h"
#include "core/container/PieceEncipherer.h"
#include "core/container/ZlibStreams.h"

namespace zarkent {

namespace {

// Bytes read and written at once: whole words of the keystream.
constexpr std::size_t ChunkSize = 65540 * 16;
static_assert(ChunkSize % 4 == 0, "the keystream advances one word per 4 bytes");

// The input with the bytes the caller already read from it put back in front. Reads fill their buffer
// unless the input ends.
class Input {
public:
    Input(File& file, std::string_view head) : file_(file), head_(head) {}

    std::size_t Read(void* buffer, std::size_t size) {
        const std::size_t fromHead = std::min(size, head_.size());
        if (fromHead > 0) std::memcpy(buffer, head_.data(), fromHead); // an empty head may have no data at all
        head_.remove_prefix(fromHead);
        if (fromHead == size) return size;
        return fromHead + file_.Read(static_cast<std::uint8_t*>(buffer) + fromHead, size - fromHead);
    }

private:
    File& file_;
    std::string_view head_;
};

// The percentage of the bytes done against the expected total, posted when it changes; nothing when the
// total is unknown.
class Percent {
public:
    Percent(const StreamContext& context, std::uint64_t total)
        : sink_(total > 0 ? context.progress : nullptr), cancel_(context.cancelRequested), total_(total) {
        if (sink_) sink_->SetMaximum(100);
    }

    void Done(std::uint64_t done) {
        if (!sink_) return;
        // Input longer than expected stays at 100; the bar never moves back.
        const int position =
            done >= total_ ? 100 : static_cast<int>(100.0 * static_cast<double>(done) / static_cast<double>(total_));
        if (position > posted_) sink_->SetPosition(posted_ = position);
    }

    bool CancelRequested() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }

private:
    ProgressSink* sink_;
    const std::atomic<bool>* cancel_;
    std::uint64_t total_;
    int posted_ = -1;
};

// Stored contents: read, enciphered (or deciphered: the same keystream) and written on a second
// thread while the next chunk is read. False when cancelled.
bool CipherThrough(Input& input, File& output, TZarkenter& cipher, Percent& percent) {
    AsyncWriter writer(output, ChunkSize);
    std::uint64_t done = 0;
    for (;;) {
        if (percent.CancelRequested()) return false;
        std::uint8_t* buffer = writer.Acquire();
        const std::size_t n = input.Read(buffer, ChunkSize);
        if (n == 0) break;
        cipher.ApplyKeystream(buffer, n);
        writer.Submit(n);
        percent.Done(done += n);
    }
    writer.Finish();
    return true;
}

constexpr std::size_t FlagsAndNameSize = 1 + NameSlots * 4 + 1;

} // namespace

bool EncryptStream(File& input, File& output, std::string_view storedName, std::string_view password,
                   const StreamContext& context, std::uint64_t sizeHint) {
    TZarkenter cipher(password);
    const auto check = MakeCheckBlock(cipher);
    std::array<std::uint8_t, FlagsAndNameSize> header{};
    EncipherName(cipher, storedName, header.data() + 1);
    const bool compress = context.compressOption && context.compressOption->load();
    header.front() = header.back() = compress ? 0xFF : 0x00;
    output.Write(check.data(), check.size());
    output.Write(header.data(), header.size());

    Percent percent(context, sizeHint);
    Input in(input, {});
    if (!compress) return CipherThrough(in, output, cipher, percent);

    if (context.beforeCompressing) context.beforeCompressing();
    PieceEncipherer encipherer(cipher, output, ChunkSize);
    const bool finished = DeflateStream(
        input, [&](const std::uint8_t* data, std::size_t size) { encipherer.Add(data, size); },
        context.compressionThreads,
        [&](std::uint64_t done) {
            percent.Done(done);
            return !percent.CancelRequested();
        });
    if (!finished) return false;
    encipherer.Finish();
    return true;
}

StreamResult DecryptStream(File& input, File* output, std::string_view password, const StreamContext& context,
                           std::uint64_t sizeHint, std::string_view head) {
    Input in(input, head);
    TZarkenter cipher(password);
    const auto expected = MakeCheckBlock(cipher);
    std::array<std::uint8_t, CheckLength * 4> check{};
    // Too short for a check block: not a .zrk file, whatever the password.
    if (in.Read(check.data(), check.size()) != check.size())
        throw ZarkentError("Stream read error", ErrorKind::DamagedFile);
    if (check != expected) throw ZarkentError(WrongPasswordMarker, ErrorKind::WrongPassword);
    std::array<std::uint8_t, FlagsAndNameSize> header{};
    if (in.Read(header.data(), header.size()) != header.size())
        throw ZarkentError("Stream read error", ErrorKind::DamagedFile);
    // As the file path reads it: the second copy of the flag decides, and only 0xFF means compressed.
    const std::uint8_t flag = header.back();

    StreamResult result;
    result.storedName = DecipherName(cipher, header.data() + 1);
    result.compressed = flag == 0xFF;
    Percent percent(context, sizeHint > HeaderSize ? sizeHint - HeaderSize : 0);
    if (!result.compressed) {
        // Stored contents carry no checksum: without an output there is nothing more to check.
        if (output) result.cancelled = !CipherThrough(in, *output, cipher, percent);
        return result;
    }

    // Deciphered and inflated in one pass; the inflater writes on its own thread meanwhile.
    StreamInflater inflater(output, [&](std::uint64_t) { return !percent.CancelRequested(); });
    const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(ChunkSize);
    std::uint64_t done = 0;
    for (;;) {
        if (percent.CancelRequested()) {
            result.cancelled = true;
            return result;
        }
        const std::size_t n = in.Read(buffer.get(), ChunkSize);
        if (n == 0) break;
        cipher.ApplyKeystream(buffer.get(), n);
        if (!inflater.Add(buffer.get(), n)) {
            result.cancelled = true;
            return result;
        }
        percent.Done(done += n);
    }
    result.cancelled = !inflater.Finish();
    return result;
}

} // namespace zarkent
