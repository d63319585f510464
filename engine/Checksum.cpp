#include "engine/Checksum.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VORLAXIS_CHECKSUM_SSE2 1
#endif

namespace vorlaxis {

uint16_t AddToChecksum(uint16_t sum, const unsigned char* data, size_t count) {
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

}  // namespace vorlaxis
