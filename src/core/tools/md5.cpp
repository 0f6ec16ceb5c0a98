#include "core/tools/md5.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "core/base/Secure.h"
#include "core/cipher/Bytes.h"
#include "core/platform/FileSystem.h"

namespace zarkent {

namespace {

inline std::uint32_t Rotate(std::uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

// The 64 steps of RFC 1321 over `blocks` consecutive 64-byte blocks.
void Transform(std::uint32_t state[4], const std::uint8_t* data, std::size_t blocks) {
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (; blocks > 0; --blocks, data += 64) {
        std::uint32_t x[16];
        for (int i = 0; i < 16; ++i)
            x[i] = LoadLE32(data + 4 * i);
        const std::uint32_t aa = a, bb = b, cc = c, dd = d;
#define ZARKENT_MD5_STEP(f, w, x_, y, z, k, t, s) w = x_ + Rotate(w + f(x_, y, z) + x[k] + t, s)
#define F(x_, y, z) (z ^ (x_ & (y ^ z)))
#define G(x_, y, z) (y ^ (z & (x_ ^ y)))
#define H(x_, y, z) (x_ ^ y ^ z)
#define I(x_, y, z) (y ^ (x_ | ~z))
        ZARKENT_MD5_STEP(F, a, b, c, d, 0, 0xd76aa478u, 7);
        ZARKENT_MD5_STEP(F, d, a, b, c, 1, 0xe8c7b756u, 12);
        ZARKENT_MD5_STEP(F, c, d, a, b, 2, 0x242070dbu, 17);
        ZARKENT_MD5_STEP(F, b, c, d, a, 3, 0xc1bdceeeu, 22);
        ZARKENT_MD5_STEP(F, a, b, c, d, 4, 0xf57c0fafu, 7);
        ZARKENT_MD5_STEP(F, d, a, b, c, 5, 0x4787c62au, 12);
        ZARKENT_MD5_STEP(F, c, d, a, b, 6, 0xa8304613u, 17);
        ZARKENT_MD5_STEP(F, b, c, d, a, 7, 0xfd469501u, 22);
        ZARKENT_MD5_STEP(F, a, b, c, d, 8, 0x698098d8u, 7);
        ZARKENT_MD5_STEP(F, d, a, b, c, 9, 0x8b44f7afu, 12);
        ZARKENT_MD5_STEP(F, c, d, a, b, 10, 0xffff5bb1u, 17);
        ZARKENT_MD5_STEP(F, b, c, d, a, 11, 0x895cd7beu, 22);
        ZARKENT_MD5_STEP(F, a, b, c, d, 12, 0x6b901122u, 7);
        ZARKENT_MD5_STEP(F, d, a, b, c, 13, 0xfd987193u, 12);
        ZARKENT_MD5_STEP(F, c, d, a, b, 14, 0xa679438eu, 17);
        ZARKENT_MD5_STEP(F, b, c, d, a, 15, 0x49b40821u, 22);
        ZARKENT_MD5_STEP(G, a, b, c, d, 1, 0xf61e2562u, 5);
        ZARKENT_MD5_STEP(G, d, a, b, c, 6, 0xc040b340u, 9);
        ZARKENT_MD5_STEP(G, c, d, a, b, 11, 0x265e5a51u, 14);
        ZARKENT_MD5_STEP(G, b, c, d, a, 0, 0xe9b6c7aau, 20);
        ZARKENT_MD5_STEP(G, a, b, c, d, 5, 0xd62f105du, 5);
        ZARKENT_MD5_STEP(G, d, a, b, c, 10, 0x02441453u, 9);
        ZARKENT_MD5_STEP(G, c, d, a, b, 15, 0xd8a1e681u, 14);
        ZARKENT_MD5_STEP(G, b, c, d, a, 4, 0xe7d3fbc8u, 20);
        ZARKENT_MD5_STEP(G, a, b, c, d, 9, 0x21e1cde6u, 5);
        ZARKENT_MD5_STEP(G, d, a, b, c, 14, 0xc33707d6u, 9);
        ZARKENT_MD5_STEP(G, c, d, a, b, 3, 0xf4d50d87u, 14);
        ZARKENT_MD5_STEP(G, b, c, d, a, 8, 0x455a14edu, 20);
        ZARKENT_MD5_STEP(G, a, b, c, d, 13, 0xa9e3e905u, 5);
        ZARKENT_MD5_STEP(G, d, a, b, c, 2, 0xfcefa3f8u, 9);
        ZARKENT_MD5_STEP(G, c, d, a, b, 7, 0x676f02d9u, 14);
        ZARKENT_MD5_STEP(G, b, c, d, a, 12, 0x8d2a4c8au, 20);
        ZARKENT_MD5_STEP(H, a, b, c, d, 5, 0xfffa3942u, 4);
        ZARKENT_MD5_STEP(H, d, a, b, c, 8, 0x8771f681u, 11);
        ZARKENT_MD5_STEP(H, c, d, a, b, 11, 0x6d9d6122u, 16);
        ZARKENT_MD5_STEP(H, b, c, d, a, 14, 0xfde5380cu, 23);
        ZARKENT_MD5_STEP(H, a, b, c, d, 1, 0xa4beea44u, 4);
        ZARKENT_MD5_STEP(H, d, a, b, c, 4, 0x4bdecfa9u, 11);
        ZARKENT_MD5_STEP(H, c, d, a, b, 7, 0xf6bb4b60u, 16);
        ZARKENT_MD5_STEP(H, b, c, d, a, 10, 0xbebfbc70u, 23);
        ZARKENT_MD5_STEP(H, a, b, c, d, 13, 0x289b7ec6u, 4);
        ZARKENT_MD5_STEP(H, d, a, b, c, 0, 0xeaa127fau, 11);
        ZARKENT_MD5_STEP(H, c, d, a, b, 3, 0xd4ef3085u, 16);
        ZARKENT_MD5_STEP(H, b, c, d, a, 6, 0x04881d05u, 23);
        ZARKENT_MD5_STEP(H, a, b, c, d, 9, 0xd9d4d039u, 4);
        ZARKENT_MD5_STEP(H, d, a, b, c, 12, 0xe6db99e5u, 11);
        ZARKENT_MD5_STEP(H, c, d, a, b, 15, 0x1fa27cf8u, 16);
        ZARKENT_MD5_STEP(H, b, c, d, a, 2, 0xc4ac5665u, 23);
        ZARKENT_MD5_STEP(I, a, b, c, d, 0, 0xf4292244u, 6);
        ZARKENT_MD5_STEP(I, d, a, b, c, 7, 0x432aff97u, 10);
        ZARKENT_MD5_STEP(I, c, d, a, b, 14, 0xab9423a7u, 15);
        ZARKENT_MD5_STEP(I, b, c, d, a, 5, 0xfc93a039u, 21);
        ZARKENT_MD5_STEP(I, a, b, c, d, 12, 0x655b59c3u, 6);
        ZARKENT_MD5_STEP(I, d, a, b, c, 3, 0x8f0ccc92u, 10);
        ZARKENT_MD5_STEP(I, c, d, a, b, 10, 0xffeff47du, 15);
        ZARKENT_MD5_STEP(I, b, c, d, a, 1, 0x85845dd1u, 21);
        ZARKENT_MD5_STEP(I, a, b, c, d, 8, 0x6fa87e4fu, 6);
        ZARKENT_MD5_STEP(I, d, a, b, c, 15, 0xfe2ce6e0u, 10);
        ZARKENT_MD5_STEP(I, c, d, a, b, 6, 0xa3014314u, 15);
        ZARKENT_MD5_STEP(I, b, c, d, a, 13, 0x4e0811a1u, 21);
        ZARKENT_MD5_STEP(I, a, b, c, d, 4, 0xf7537e82u, 6);
        ZARKENT_MD5_STEP(I, d, a, b, c, 11, 0xbd3af235u, 10);
        ZARKENT_MD5_STEP(I, c, d, a, b, 2, 0x2ad7d2bbu, 15);
        ZARKENT_MD5_STEP(I, b, c, d, a, 9, 0xeb86d391u, 21);
#undef F
#undef G
#undef H
#undef I
#undef ZARKENT_MD5_STEP
        a += aa;
        b += bb;
        c += cc;
        d += dd;
    }
    state[0] = a;
    state[1] = b;
    state[2] = c;
    state[3] = d;
}

// Reads of this size keep the system calls few; the memory stays fixed whatever the file's size.
constexpr std::size_t ReadSize = 1 << 20;

} // namespace

void Md5Start(Md5Context& context) {
    std::memset(&context, 0, sizeof context);
    context.state[0] = 0x67452301u;
    context.state[1] = 0xefcdab89u;
    context.state[2] = 0x98badcfeu;
    context.state[3] = 0x10325476u;
}

void Md5Add(Md5Context& context, const void* data, std::uint32_t count) {
    const auto* in = static_cast<const std::uint8_t*>(data);
    const std::uint32_t used = (context.count[0] >> 3) & 63;
    const std::uint32_t low = context.count[0] + (count << 3);
    if (low < context.count[0]) ++context.count[1];
    context.count[0] = low;
    context.count[1] += count >> 29;
    std::uint32_t done = 0;
    if (used > 0) {
        const std::uint32_t fill = 64 - used;
        if (count < fill) {
            std::memcpy(context.buffer + used, in, count);
            return;
        }
        std::memcpy(context.buffer + used, in, fill);
        Transform(context.state, context.buffer, 1);
        done = fill;
    }
    const std::uint32_t blocks = (count - done) / 64;
    Transform(context.state, in + done, blocks);
    done += blocks * 64;
    std::memcpy(context.buffer, in + done, count - done);
}

Md5Digest Md5Finish(Md5Context& context) {
    std::uint8_t length[8];
    StoreLE32(length, context.count[0]);
    StoreLE32(length + 4, context.count[1]);
    const std::uint32_t used = (context.count[0] >> 3) & 63;
    static const std::uint8_t padding[64] = {0x80};
    Md5Add(context, padding, used < 56 ? 56 - used : 120 - used);
    Md5Add(context, length, 8);
    Md5Digest digest;
    for (int i = 0; i < 4; ++i)
        StoreLE32(digest.bytes + 4 * i, context.state[i]);
    SecureClear(&context, sizeof context);
    return digest;
}

Md5Digest Md5OfBuffer(const void* data, std::size_t size) {
    Md5Context context;
    Md5Start(context);
    const auto* in = static_cast<const std::uint8_t*>(data);
    // Pieces below 4 GiB, so that sizes beyond 32 bits are taken whole.
    while (size > 0) {
        const auto piece = static_cast<std::uint32_t>(std::min<std::size_t>(size, 1u << 30));
        Md5Add(context, in, piece);
        in += piece;
        size -= piece;
    }
    return Md5Finish(context);
}

Md5Digest Md5OfString(std::string_view text) {
    return Md5OfBuffer(text.data(), text.size());
}

Md5Digest Md5OfRest(File& file, std::uint64_t total, const Md5Progress& progress) {
    Md5Context context;
    Md5Start(context);
    const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(ReadSize);
    std::uint64_t done = 0;
    // To the real end: a file that grows while it is read is read as far as it goes.
    while (const std::size_t n = file.Read(buffer.get(), ReadSize)) {
        Md5Add(context, buffer.get(), static_cast<std::uint32_t>(n));
        done += n;
        if (progress) progress(done, total);
    }
    return Md5Finish(context);
}

Md5Digest Md5OfStream(File& file, const Md5Progress& progress) {
    const std::int64_t position = file.Position();
    try {
        file.Seek(0);
        const Md5Digest digest = Md5OfRest(file, static_cast<std::uint64_t>(file.Size()), progress);
        file.Seek(position);
        return digest;
    } catch (...) {
        file.Seek(position);
        throw;
    }
}

Md5Digest Md5OfFile(const std::string& path, const Md5Progress& progress) {
    File file = File::OpenRead(path);
    return Md5OfStream(file, progress);
}

std::string Md5ToHex(const Md5Digest& digest) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t byte : digest.bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

} // namespace zarkent
