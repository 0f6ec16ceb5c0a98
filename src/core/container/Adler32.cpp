#include "core/container/Adler32.h"

#include <zlib.h>

// Not on Windows: GCC there cannot align the stack for 32-byte vectors it spills.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32)
#include <immintrin.h>
#define ZARKENT_ADLER_AVX2 1
#endif

namespace zarkent {

namespace {

constexpr std::uint32_t Base = 65521;

std::uint32_t Portable(std::uint32_t adler, const std::uint8_t* data, std::size_t size) {
    // zlib's own loop takes at most 4 GiB a call.
    while (size > 0) {
        const auto n = static_cast<uInt>(size > 0x40000000 ? 0x40000000 : size);
        adler = static_cast<std::uint32_t>(adler32(adler, data, n));
        data += n;
        size -= n;
    }
    return adler;
}

#ifdef ZARKENT_ADLER_AVX2

// 32 bytes a step. For a step over b[0..31] with s1 before it: s1 += sum b[i] and
// s2 += 32 * s1 + sum (32 - i) * b[i]. The lanes hold parts of both sums; the 32 * s1 terms are
// gathered in `before` and added once per run. A run is at most 5536 bytes (zlib's 5552 rounded down
// to whole steps), so that no 32-bit lane can overflow before the sums are reduced modulo Base.
__attribute__((target("avx2"))) std::uint32_t Avx2(std::uint32_t adler, const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t Run = 5552 / 32 * 32;
    std::uint32_t s1 = adler & 0xFFFF, s2 = adler >> 16;
    const __m256i zero = _mm256_setzero_si256();
    const __m256i weights = _mm256_setr_epi8(32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15, 14,
                                             13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1);
    const __m256i ones = _mm256_set1_epi16(1);
    while (size >= 32) {
        const std::size_t run = size < Run ? size / 32 * 32 : Run;
        size -= run;
        __m256i vs1 = _mm256_setr_epi32(static_cast<int>(s1), 0, 0, 0, 0, 0, 0, 0);
        __m256i vs2 = _mm256_setr_epi32(static_cast<int>(s2), 0, 0, 0, 0, 0, 0, 0);
        __m256i before = zero;
        for (std::size_t i = 0; i < run; i += 32) {
            const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i));
            before = _mm256_add_epi32(before, vs1);
            vs1 = _mm256_add_epi32(vs1, _mm256_sad_epu8(bytes, zero));
            vs2 = _mm256_add_epi32(vs2, _mm256_madd_epi16(_mm256_maddubs_epi16(bytes, weights), ones));
        }
        data += run;
        vs2 = _mm256_add_epi32(vs2, _mm256_slli_epi32(before, 5));
        std::uint32_t lanes1[8], lanes2[8];
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes1), vs1);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes2), vs2);
        std::uint64_t sum1 = 0, sum2 = 0;
        for (int lane = 0; lane < 8; ++lane) {
            sum1 += lanes1[lane];
            sum2 += lanes2[lane];
        }
        s1 = static_cast<std::uint32_t>(sum1 % Base);
        s2 = static_cast<std::uint32_t>(sum2 % Base);
    }
    return Portable((s2 << 16) | s1, data, size);
}

bool HasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

#endif

} // namespace

std::uint32_t Adler32(std::uint32_t adler, const std::uint8_t* data, std::size_t size) {
#ifdef ZARKENT_ADLER_AVX2
    static const bool avx2 = HasAvx2();
    if (avx2) return Avx2(adler, data, size);
#endif
    return Portable(adler, data, size);
}

} // namespace zarkent
