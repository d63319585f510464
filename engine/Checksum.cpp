#include "engine/Checksum.h"

#include "platform/Processor.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VORLAXIS_CHECKSUM_SSE2 1
#endif
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define VORLAXIS_CHECKSUM_AVX2 1
#endif

namespace vorlaxis {

namespace {

#ifdef VORLAXIS_CHECKSUM_AVX2
// The sum is taken modulo 65536, so 16-bit lanes may wrap freely: each 32-byte load becomes
// 16 pair sums (a multiply-add by ones) added into 16-bit lanes, two instructions that run on
// two ports each, where the byte-difference sum has one port. Four accumulators keep both load
// ports busy; a block fresh from the read is summed at cache speed.
__attribute__((target("avx2"))) uint16_t AddWide(uint16_t sum, const unsigned char* data,
                                                 size_t count) {
    const __m256i ones = _mm256_set1_epi8(1);
    __m256i a = _mm256_setzero_si256();
    __m256i b = a;
    __m256i c = a;
    __m256i d = a;
    // Whole 128-byte pieces from the last one back: what a read wrote last is still in the
    // nearest cache, and is summed before the rest pushes it out.
    size_t i = count / 128 * 128;
    const auto* start = reinterpret_cast<const __m256i*>(data);
    for (const auto* at = reinterpret_cast<const __m256i*>(data + i); at != start;) {
        at -= 4;
        a = _mm256_add_epi16(a, _mm256_maddubs_epi16(_mm256_loadu_si256(at), ones));
        b = _mm256_add_epi16(b, _mm256_maddubs_epi16(_mm256_loadu_si256(at + 1), ones));
        c = _mm256_add_epi16(c, _mm256_maddubs_epi16(_mm256_loadu_si256(at + 2), ones));
        d = _mm256_add_epi16(d, _mm256_maddubs_epi16(_mm256_loadu_si256(at + 3), ones));
    }
    const auto* at = reinterpret_cast<const __m256i*>(data + i);
    for (; i + 32 <= count; i += 32, ++at) {
        a = _mm256_add_epi16(a, _mm256_maddubs_epi16(_mm256_loadu_si256(at), ones));
    }
    a = _mm256_add_epi16(_mm256_add_epi16(a, b), _mm256_add_epi16(c, d));
    // Lanes read as signed differ from their value by multiples of 65536: no matter here.
    const __m256i w = _mm256_madd_epi16(a, _mm256_set1_epi16(1));
    __m128i s = _mm_add_epi32(_mm256_castsi256_si128(w), _mm256_extracti128_si256(w, 1));
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, 0x4E));
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, 0xB1));
    uint32_t total = sum + static_cast<uint32_t>(_mm_cvtsi128_si32(s));
    for (; i < count; ++i) total += data[i];
    return static_cast<uint16_t>(total & 0xFFFF);
}
#endif

}  // namespace

uint16_t AddToChecksumPortable(uint16_t sum, const unsigned char* data, size_t count) {
    uint64_t total = sum;
    size_t i = 0;
#ifdef VORLAXIS_CHECKSUM_SSE2
    // The sum of absolute differences against zero adds 8 bytes into a 64-bit lane in one
    // instruction; two accumulators keep both load ports busy.
    const __m128i zero = _mm_setzero_si128();
    __m128i a = zero;
    __m128i b = zero;
    for (; i + 32 <= count; i += 32) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 16));
        a = _mm_add_epi64(a, _mm_sad_epu8(x, zero));
        b = _mm_add_epi64(b, _mm_sad_epu8(y, zero));
    }
    a = _mm_add_epi64(a, b);
    alignas(16) uint64_t lanes[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), a);
    total += lanes[0] + lanes[1];
#else
    // Fixed-length chunks into 32-bit lanes let the compiler vectorise the inner loop; a chunk
    // of 64 bytes cannot overflow a lane.
    constexpr size_t kChunk = 64;
    for (; i + kChunk <= count; i += kChunk) {
        uint32_t lane = 0;
        for (size_t k = 0; k < kChunk; ++k) lane += data[i + k];
        total += lane;
    }
#endif
    for (; i < count; ++i) total += data[i];
    return static_cast<uint16_t>(total & 0xFFFF);
}

uint16_t AddToChecksum(uint16_t sum, const unsigned char* data, size_t count) {
#ifdef VORLAXIS_CHECKSUM_AVX2
    if (platform::HasAvx2()) return AddWide(sum, data, count);
#endif
    return AddToChecksumPortable(sum, data, count);
}

}  // namespace vorlaxis
