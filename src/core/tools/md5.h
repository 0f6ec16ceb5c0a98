#pragma once

// MD5 message digests (RFC 1321) of buffers, strings, open files and named files.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zarkent {

class File;

struct Md5Digest {
    std::uint8_t bytes[16] = {}; // state words A, B, C, D, each little-endian
};

struct Md5Context {
    std::uint32_t state[4];
    std::uint32_t count[2]; // bits absorbed, low word first
    std::uint8_t buffer[64];
};

void Md5Start(Md5Context& context);
void Md5Add(Md5Context& context, const void* data, std::uint32_t count);
// Pads, appends the bit count, returns the digest and zeroes the context.
Md5Digest Md5Finish(Md5Context& context);

Md5Digest Md5OfBuffer(const void* data, std::size_t size);
Md5Digest Md5OfString(std::string_view text);

// Called now and then while a file is read: bytes read so far and the file's size.
using Md5Progress = std::function<void(std::uint64_t done, std::uint64_t total)>;

// The whole file from offset 0 to its real end (64-bit sizes); the file's position is restored, also
// when a read fails.
Md5Digest Md5OfStream(File& file, const Md5Progress& progress = {});
// From the file's position to its end, without seeking (a pipe or a terminal is read this way); the
// progress reports `total` as the size.
Md5Digest Md5OfRest(File& file, std::uint64_t total = 0, const Md5Progress& progress = {});
// Opens a regular file by name (never through a link, never blocking on a FIFO) and digests it.
Md5Digest Md5OfFile(const std::string& path, const Md5Progress& progress = {});

// 32 uppercase hexadecimal digits.
std::string Md5ToHex(const Md5Digest& digest);

} // namespace zarkent
