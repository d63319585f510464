#include <gtest/gtest.h>

#include <vector>

#include "engine/Checksum.h"

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

}  // namespace
}  // namespace vorlaxis
