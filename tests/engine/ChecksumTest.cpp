#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "engine/Checksum.h"
#include "engine/Xxh3Wide.h"
#include "platform/Processor.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace vorlaxis {
namespace {

TEST(Checksum, ByteSumModulo65536) {
    const unsigned char abc[] = {'a', 'b', 'c'};
    EXPECT_EQ(AddToChecksum(0, abc, 3), 0x0126);
    std::vector<unsigned char> ff(49152, 0xFF);
    // 49152 * 255 = 12533760 = 0xBF4000 -> 0x4000, added to a running 0xF000.
    EXPECT_EQ(AddToChecksum(0xF000, ff.data(), ff.size()), (0xF000 + 0x4000) % 65536);
    for (size_t n : {0u, 1u, 63u, 64u, 65u, 127u, 4097u}) {
        std::vector<unsigned char> data(n);
        unsigned expected = 7;
        for (size_t i = 0; i < n; ++i) {
            data[i] = static_cast<unsigned char>(i * 37 + 11);
            expected += data[i];
        }
        EXPECT_EQ(AddToChecksum(7, data.data(), n), expected % 65536) << n;
    }
}

TEST(Checksum, AnyStartAndLengthAndLargeRuns) {
    // Every start within a vector's width and lengths around it: the wide loop and the tail
    // must together count each byte once.
    std::vector<unsigned char> data(300);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(255 - i * 7);
    for (size_t start = 0; start < 17; ++start) {
        for (size_t n : {0u, 15u, 16u, 17u, 31u, 32u, 33u, 47u, 48u, 95u, 96u, 97u, 283u}) {
            unsigned expected = 0xFFF0;
            for (size_t i = 0; i < n; ++i) expected += data[start + i];
            EXPECT_EQ(AddToChecksum(0xFFF0, data.data() + start, n), expected % 65536)
                << start << " + " << n;
        }
    }
    // 64 MiB of 0xFF in one call: 64 Mi * 255 = 0x3FC000000, which is 0 modulo 65536.
    std::vector<unsigned char> ff(64u << 20, 0xFF);
    EXPECT_EQ(AddToChecksum(0x1234, ff.data(), ff.size()), 0x1234);
    EXPECT_EQ(AddToChecksum(0, ff.data(), ff.size() - 1), (65536 - 255) % 65536);
}

// The widest way this processor has and the one for any processor give the same sums, with
// lanes that wrap many times over (a long run of 0xFF) and every alignment.
TEST(Checksum, WidestAndPortableAgree) {
    std::vector<unsigned char> data(70000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 131 + 7);
    std::fill(data.begin() + 1000, data.begin() + 60000, 0xFF);
    for (size_t start : {0u, 1u, 31u, 33u}) {
        for (size_t n : {0u, 31u, 127u, 128u, 129u, 4096u, 49152u, 69000u}) {
            EXPECT_EQ(AddToChecksum(0xABCD, data.data() + start, n),
                      AddToChecksumPortable(0xABCD, data.data() + start, n))
                << start << " + " << n;
        }
    }
}

// Each wide build of XXH3 the processor runs gives the sums of the baseline one, fed in pieces
// that cut its stripes and blocks anywhere.
TEST(Checksum, WideXxh3AgreesWithTheBaseline) {
    std::vector<unsigned char> data(200003);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * i + i / 7);
    const XXH128_hash_t expected = XXH3_128bits(data.data(), data.size());
    std::vector<std::pair<const char*, Xxh3Update>> updates;
#ifdef VORLAXIS_XXH3_WIDE
    if (platform::HasAvx2()) updates.emplace_back("avx2", Xxh3UpdateAvx2);
    if (platform::HasAvx512()) updates.emplace_back("avx512", Xxh3UpdateAvx512);
#endif
    if (updates.empty()) GTEST_SKIP() << "no wide build of XXH3 runs here";
    for (const auto& [name, update] : updates) {
        XXH3_state_t* state = XXH3_createState();
        XXH3_128bits_reset(state);
        size_t at = 0;
        for (size_t piece : {1u, 63u, 64u, 1000u, 1025u, 49152u}) {
            update(state, data.data() + at, piece);
            at += piece;
        }
        update(state, data.data() + at, data.size() - at);
        EXPECT_TRUE(XXH128_isEqual(XXH3_128bits_digest(state), expected)) << name;
        XXH3_freeState(state);
    }
}

}  // namespace
}  // namespace vorlaxis
