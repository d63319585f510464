#include "engine/Checksum.h"

namespace vorlaxis {

uint16_t AddToChecksum(uint16_t sum, const unsigned char* data, size_t count) {
    // Fixed-length chunks into 32-bit lanes let the compiler vectorise the inner loop; a chunk
    // of 64 bytes cannot overflow a lane, and a block of 48 KiB cannot overflow the total.
    constexpr size_t kChunk = 64;
    uint64_t total = sum;
    size_t i = 0;
    for (; i + kChunk <= count; i += kChunk) {
        uint32_t lane = 0;
        for (size_t k = 0; k < kChunk; ++k) lane += data[i + k];
        total += lane;
    }
    for (; i < count; ++i) total += data[i];
    return static_cast<uint16_t>(total & 0xFFFF);
}

}  // namespace vorlaxis
