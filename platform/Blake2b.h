// BLAKE2b-512 as b2sum computes it, for the systems whose own libraries lack it (Windows' CNG).
// Linux takes it from libcrypto; the two are checked against each other there.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vorlaxis::platform {

class Blake2b512 {
  public:
    Blake2b512();
    void Update(const unsigned char* data, size_t count);
    // The 64 bytes of the digest; the object is used up.
    std::array<unsigned char, 64> Final();

  private:
    void Compress(bool last);

    std::array<uint64_t, 8> m_h;
    std::array<unsigned char, 128> m_block{};
    size_t m_filled = 0;
    uint64_t m_countLow = 0, m_countHigh = 0;  // bytes compressed, 128-bit
};

}  // namespace vorlaxis::platform
