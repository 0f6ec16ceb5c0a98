#include "container/ZlibStreams.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>
#include <zlib.h>

#include "base/Error.h"
#include "container/AsyncWriter.h"

namespace zarkent {

namespace {
constexpr std::size_t InflateInputSize = 128 * 1024;
constexpr std::size_t InflateOutputSize = 256 * 1024;
constexpr std::size_t Window = 32 * 1024; // deflate's window: the dictionary each block gets

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
    return std::clamp(std::thread::hardware_concurrency(), 1u, 32u);
}

namespace {

// One block on its way through the compressor: a worker reads and compresses it, the calling thread
// writes the result. Ownership passes under the pool's mutex.
struct DeflateSlot {
    std::uint64_t index = 0;
    // The dictionary (the window of input before the block), the block, and one byte more that tells
    // whether the input goes on after the block.
    std::unique_ptr<unsigned char[]> input =
        std::make_unique_for_overwrite<unsigned char[]>(Window + DeflateBlockSize + 1);
    std::size_t dictionary = 0, size = 0;
    bool final = false;
    std::vector<unsigned char> output;
    std::size_t produced = 0;
    uLong adler = 1;
    std::exception_ptr failure;
    bool done = false;
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

    // Block `slot.index` of the input that starts at `start`. Block boundaries depend on the input
    // alone; whether a block is the last is known from the byte after it.
    void Compress(const File& input, std::int64_t start, DeflateSlot& slot) {
        const std::uint64_t offset = slot.index * DeflateBlockSize;
        slot.dictionary = slot.index == 0 ? 0 : Window;
        const std::size_t wanted = slot.dictionary + DeflateBlockSize + 1;
        const std::size_t got =
            input.ReadAt(slot.input.get(), wanted, start + static_cast<std::int64_t>(offset - slot.dictionary));
        // A file cut short meanwhile leaves a dictionary without its block: an empty last block.
        const std::size_t dictionary = std::min(got, slot.dictionary);
        slot.size = std::min(got - dictionary, DeflateBlockSize);
        slot.final = got < wanted;
        const unsigned char* data = slot.input.get() + dictionary;

        z_stream& s = stream_;
        Check(deflateReset(&s));
        if (dictionary > 0) Check(deflateSetDictionary(&s, slot.input.get(), static_cast<uInt>(dictionary)));
        // Room for the worst case in one call; more only if zlib ever needs it.
        const std::size_t bound = deflateBound(&s, static_cast<uLong>(slot.size)) + 64;
        if (slot.output.size() < bound) slot.output.resize(bound);
        s.next_in = const_cast<unsigned char*>(data);
        s.avail_in = static_cast<uInt>(slot.size);
        // A sync flush ends the block on a byte boundary without ending the stream; a full flush would
        // claim that an inflater could start afresh there, which the next block's dictionary rules out.
        const int flush = slot.final ? Z_FINISH : Z_SYNC_FLUSH;
        slot.produced = 0;
        for (;;) {
            s.next_out = slot.output.data() + slot.produced;
            s.avail_out = static_cast<uInt>(slot.output.size() - slot.produced);
            const int code = Check(deflate(&s, flush));
            slot.produced = slot.output.size() - s.avail_out;
            // Output space left over means the flush is complete.
            if (slot.final ? code == Z_STREAM_END : s.avail_out != 0) break;
            slot.output.resize(slot.output.size() * 2);
        }
        slot.adler = adler32(1, data, static_cast<uInt>(slot.size));
    }

private:
    z_stream stream_{};
};

// Worker threads that read and compress blocks in any order, at most a ring of slots ahead of the
// calling thread, which writes them in order.
class DeflatePool {
public:
    DeflatePool(const File& input, unsigned threads, std::size_t slotCount)
        : input_(input), start_(input.Position()), slots_(slotCount) {
        for (unsigned i = 0; i < threads; ++i)
            deflaters_.push_back(std::make_unique<BlockDeflater>());
        try {
            for (unsigned i = 0; i < threads; ++i)
                workers_.emplace_back(&DeflatePool::Work, this, i);
        } catch (...) {
            Stop();
            throw;
        }
    }
    // Workers finish the block in hand; nothing else is started.
    ~DeflatePool() { Stop(); }
    DeflatePool(const DeflatePool&) = delete;
    DeflatePool& operator=(const DeflatePool&) = delete;

    // Waits until block `index` is compressed; it stays in its slot until Release.
    const DeflateSlot& Wait(std::uint64_t index) {
        std::unique_lock lock(mutex_);
        const DeflateSlot& slot = Slot(index);
        blockDone_.wait(lock, [&] { return slot.done && slot.index == index; });
        if (slot.failure) std::rethrow_exception(slot.failure);
        return slot;
    }

    // Block `index`, the oldest, is written: its slot takes a new block.
    void Release(std::uint64_t index) {
        {
            std::lock_guard lock(mutex_);
            released_ = index + 1;
        }
        slotFree_.notify_one(); // room for one more block
    }

private:
    DeflateSlot& Slot(std::uint64_t index) { return slots_[index % slots_.size()]; }

    void Stop() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        slotFree_.notify_all();
        for (std::thread& worker : workers_)
            worker.join();
    }

    void Work(unsigned worker) {
        std::unique_lock lock(mutex_);
        for (;;) {
            slotFree_.wait(lock, [&] { return stopping_ || (!ended_ && next_ < released_ + slots_.size()); });
            if (stopping_) return;
            const std::uint64_t index = next_++;
            DeflateSlot& slot = Slot(index);
            slot.index = index;
            slot.done = false;
            lock.unlock();
            std::exception_ptr failure;
            try {
                deflaters_[worker]->Compress(input_, start_, slot);
            } catch (...) {
                failure = std::current_exception();
            }
            lock.lock();
            slot.failure = failure;
            slot.done = true;
            // Blocks past the last one may already be under way; they are never written.
            ended_ = ended_ || slot.final || failure;
            // Only the oldest block is waited for. Waking threads for nothing would, on a busy machine,
            // take the processor from the threads that work.
            if (index == released_) blockDone_.notify_one();
        }
    }

    const File& input_;
    const std::int64_t start_;
    std::vector<DeflateSlot> slots_;
    std::vector<std::unique_ptr<BlockDeflater>> deflaters_;
    std::mutex mutex_;
    std::condition_variable blockDone_; // the calling thread waits for the oldest block
    std::condition_variable slotFree_;  // workers wait for room in the ring
    std::uint64_t next_ = 0;            // the next block to read
    std::uint64_t released_ = 0;        // blocks written by the calling thread
    bool ended_ = false;                // the last block is known: read no further
    bool stopping_ = false;
    std::vector<std::thread> workers_; // last: started once everything else is in place
};

} // namespace

bool DeflateFile(File& input, File& output, unsigned threads, const BlockObserver& observer) {
    if (threads == 0) threads = DefaultDeflateThreads();
    // Blocks in flight: every worker busy, finished ones waiting to be written in order, and enough
    // ahead that the workers go on while this thread waits for the processor on a busy machine.
    DeflatePool pool(input, threads, 2 * std::size_t{threads} + 8);

    // The header zlib writes for deflate, a 32 KiB window and the default level, without a dictionary.
    const unsigned char header[2] = {0x78, 0x9C};
    output.Write(header, sizeof header);
    uLong adler = 1;
    std::uint64_t done = 0;
    for (std::uint64_t index = 0;; ++index) {
        const DeflateSlot& slot = pool.Wait(index);
        output.Write(slot.output.data(), slot.produced);
        adler = adler32_combine(adler, slot.adler, static_cast<z_off_t>(slot.size));
        done += slot.size;
        const bool final = slot.final;
        pool.Release(index);
        if (observer && !observer(done)) return false;
        if (final) break;
    }
    const unsigned char trailer[4] = {static_cast<unsigned char>(adler >> 24), static_cast<unsigned char>(adler >> 16),
                                      static_cast<unsigned char>(adler >> 8), static_cast<unsigned char>(adler)};
    output.Write(trailer, sizeof trailer);
    return true;
}

bool InflateFile(File& input, File& output, const BlockObserver& observer) {
    z_stream s{};
    int code = inflateInit2(&s, 15);
    if (code != Z_OK) throw ZarkentError(ZlibErrorText(code));
    struct End {
        z_stream* s;
        ~End() { inflateEnd(s); }
    } end{&s};

    const auto in = std::make_unique_for_overwrite<unsigned char[]>(InflateInputSize);
    AsyncWriter writer(output, InflateOutputSize); // writing overlaps inflating
    std::uint64_t consumed = 0;
    code = Z_OK;
    while (code != Z_STREAM_END) {
        // Asked once per buffer of output, so that even a stream that inflates a thousandfold is
        // followed closely.
        if (observer && !observer(consumed - s.avail_in)) return false;
        s.next_out = writer.Acquire();
        s.avail_out = static_cast<uInt>(InflateOutputSize);
        while (s.avail_out != 0 && code != Z_STREAM_END) {
            if (s.avail_in == 0) {
                const std::size_t n = input.Read(in.get(), InflateInputSize);
                if (n == 0) throw ZarkentError(ZlibErrorText(Z_DATA_ERROR), ErrorKind::DamagedFile); // cut short
                consumed += n;
                s.next_in = in.get();
                s.avail_in = static_cast<uInt>(n);
            }
            code = inflate(&s, Z_NO_FLUSH);
            if (code == Z_NEED_DICT) code = Z_DATA_ERROR;
            Check(code);
        }
        writer.Submit(InflateOutputSize - s.avail_out);
    }
    writer.Finish();
    // Nothing may follow the stream.
    unsigned char probe;
    if (s.avail_in != 0 || input.Read(&probe, 1) != 0)
        throw ZarkentError(ZlibErrorText(Z_DATA_ERROR), ErrorKind::DamagedFile);
    if (observer) observer(consumed);
    return true;
}

} // namespace zarkent
