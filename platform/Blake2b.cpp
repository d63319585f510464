#include "platform/Blake2b.h"

#include <cstring>

namespace vorlaxis::platform {

namespace {

constexpr std::array<uint64_t, 8> kIv = {
    0x6A09E667F3BCC908ULL, 0xBB67AE8584CAA73BULL, 0x3C6EF372FE94F82BULL, 0xA54FF53A5F1D36F1ULL,
    0x510E527FADE682D1ULL, 0x9B05688C2B3E6C1FULL, 0x1F83D9ABFB41BD6BULL, 0x5BE0CD19137E2179ULL};

constexpr unsigned char kSigma[10][16] = {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
                                          {14, 10, 4, 8, 9, 15, 13, 6, 1, 12, 0, 2, 11, 7, 5, 3},
                                          {11, 8, 12, 0, 5, 2, 15, 13, 10, 14, 3, 6, 7, 1, 9, 4},
                                          {7, 9, 3, 1, 13, 12, 11, 14, 2, 6, 5, 10, 4, 0, 15, 8},
                                          {9, 0, 5, 7, 2, 4, 10, 15, 14, 1, 11, 12, 6, 8, 3, 13},
                                          {2, 12, 6, 10, 0, 11, 8, 3, 4, 13, 7, 5, 15, 14, 1, 9},
                                          {12, 5, 1, 15, 14, 13, 4, 10, 0, 7, 6, 3, 9, 2, 8, 11},
                                          {13, 11, 7, 14, 12, 1, 3, 9, 5, 0, 15, 4, 8, 6, 2, 10},
                                          {6, 15, 14, 9, 11, 3, 0, 8, 12, 2, 13, 7, 1, 4, 10, 5},
                                          {10, 2, 8, 4, 7, 6, 1, 5, 15, 11, 9, 14, 3, 12, 13, 0}};

constexpr uint64_t RotateRight(uint64_t x, int n) {
    return (x >> n) | (x << (64 - n));
}

void Mix(uint64_t* v, int a, int b, int c, int d, uint64_t x, uint64_t y) {
    v[a] += v[b] + x;
    v[d] = RotateRight(v[d] ^ v[a], 32);
    v[c] += v[d];
    v[b] = RotateRight(v[b] ^ v[c], 24);
    v[a] += v[b] + y;
    v[d] = RotateRight(v[d] ^ v[a], 16);
    v[c] += v[d];
    v[b] = RotateRight(v[b] ^ v[c], 63);
}

uint64_t LittleEndian64(const unsigned char* p) {
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i) value = (value << 8) | p[i];
    return value;
}

}  // namespace

// No key, 64 bytes of output.
Blake2b512::Blake2b512() : m_h(kIv) {
    m_h[0] ^= 0x01010000ULL ^ 64;
}

void Blake2b512::Compress(bool last) {
    uint64_t m[16];
    for (int i = 0; i < 16; ++i) m[i] = LittleEndian64(m_block.data() + 8 * i);
    uint64_t v[16];
    for (int i = 0; i < 8; ++i) {
        v[i] = m_h[i];
        v[i + 8] = kIv[i];
    }
    v[12] ^= m_countLow;
    v[13] ^= m_countHigh;
    if (last) v[14] = ~v[14];
    for (int round = 0; round < 12; ++round) {
        const unsigned char* s = kSigma[round % 10];
        Mix(v, 0, 4, 8, 12, m[s[0]], m[s[1]]);
        Mix(v, 1, 5, 9, 13, m[s[2]], m[s[3]]);
        Mix(v, 2, 6, 10, 14, m[s[4]], m[s[5]]);
        Mix(v, 3, 7, 11, 15, m[s[6]], m[s[7]]);
        Mix(v, 0, 5, 10, 15, m[s[8]], m[s[9]]);
        Mix(v, 1, 6, 11, 12, m[s[10]], m[s[11]]);
        Mix(v, 2, 7, 8, 13, m[s[12]], m[s[13]]);
        Mix(v, 3, 4, 9, 14, m[s[14]], m[s[15]]);
    }
    for (int i = 0; i < 8; ++i) m_h[i] ^= v[i] ^ v[i + 8];
}

void Blake2b512::Update(const unsigned char* data, size_t count) {
    while (count > 0) {
        // A full block is compressed only once more data follows: the last one is marked.
        if (m_filled == m_block.size()) {
            m_countLow += m_block.size();
            if (m_countLow < m_block.size()) ++m_countHigh;
            Compress(false);
            m_filled = 0;
        }
        const size_t piece = std::min(count, m_block.size() - m_filled);
        std::memcpy(m_block.data() + m_filled, data, piece);
        m_filled += piece;
        data += piece;
        count -= piece;
    }
}

std::array<unsigned char, 64> Blake2b512::Final() {
    m_countLow += m_filled;
    if (m_countLow < m_filled) ++m_countHigh;
    std::memset(m_block.data() + m_filled, 0, m_block.size() - m_filled);
    Compress(true);
    std::array<unsigned char, 64> out{};
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<unsigned char>(m_h[i / 8] >> (8 * (i % 8)));
    return out;
}

}  // namespace vorlaxis::platform
