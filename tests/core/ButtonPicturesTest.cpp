// The buttons' pictures that both faces show: each drawn in the colour of its meaning, in the plain
// size and the dense screens' one, and nothing for a plain button.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/ButtonPictures.h"

using namespace vorlaxis;

namespace {

enum class Hue { Clear, Red, Green, Blue };

// The channel that dominates the visible pixels, summed over the picture.
Hue MainHue(const std::vector<uint32_t>& pixels) {
    uint64_t red = 0, green = 0, blue = 0;
    for (const uint32_t pixel : pixels) {
        red += (pixel >> 16) & 0xFF;
        green += (pixel >> 8) & 0xFF;
        blue += pixel & 0xFF;
    }
    if (red + green + blue == 0) return Hue::Clear;
    if (red >= green && red >= blue) return Hue::Red;
    return green >= blue ? Hue::Green : Hue::Blue;
}

TEST(ButtonPicturesTest, EachPictureHasTheColourOfItsMeaningInBothSizes) {
    const std::pair<PictureKind, Hue> cases[] = {
        {PictureKind::Ok, Hue::Green},    {PictureKind::Cancel, Hue::Red},
        {PictureKind::Close, Hue::Red},  // a brown door
        {PictureKind::Retry, Hue::Green}, {PictureKind::All, Hue::Blue},
        {PictureKind::Help, Hue::Blue},   {PictureKind::None, Hue::Clear}};
    for (const auto& [kind, hue] : cases) {
        for (const int size : {16, 32}) {
            const std::vector<uint32_t> pixels = PicturePixels(kind, size);
            ASSERT_EQ(pixels.size(), static_cast<size_t>(size * size));
            EXPECT_EQ(MainHue(pixels), hue) << static_cast<int>(kind) << " at " << size;
        }
    }
}

}  // namespace
