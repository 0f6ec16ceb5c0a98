#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/cipher/ZarkentLib.h"
#include "core/container/AsyncWriter.h"
#include "core/platform/FileSystem.h"

namespace zarkent {

// Enciphers a stream that arrives in pieces of any size and writes it to `output` on a second thread.
// The keystream advances one word per 4 bytes, so the bytes are enciphered in whole buffers (a
// multiple of 4) and only the last piece may end in a partial word: the result is the same as one
// pass over the whole stream.
class PieceEncipherer {
public:
    PieceEncipherer(TZarkenter& cipher, File& output, std::size_t bufferSize)
        : cipher_(cipher), writer_(output, bufferSize), size_(bufferSize) {}

    void Add(const std::uint8_t* data, std::size_t count) {
        while (count > 0) {
            if (!buffer_) buffer_ = writer_.Acquire();
            const std::size_t n = std::min(count, size_ - filled_);
            std::memcpy(buffer_ + filled_, data, n);
            filled_ += n;
            data += n;
            count -= n;
            if (filled_ == size_) Submit();
        }
    }

    // Enciphers and writes what is left, and waits until everything is written.
    void Finish() {
        if (filled_ > 0) Submit();
        writer_.Finish();
    }

private:
    void Submit() {
        cipher_.ApplyKeystream(buffer_, filled_);
        writer_.Submit(filled_);
        buffer_ = nullptr;
        filled_ = 0;
    }

    TZarkenter& cipher_;
    AsyncWriter writer_;
    const std::size_t size_;
    std::uint8_t* buffer_ = nullptr;
    std::size_t filled_ = 0;
};

} // namespace zarkent
