#include <gtest/gtest.h>

#include "Fakes.h"
#include "TempDir.h"
#include "media/MediaInfo.h"

namespace vorlaxis::test {
namespace {

TEST(MediaInfo, NumToHexTable) {
    const struct {
        uint32_t value;
        uint8_t width;
        const char* text;
    } cases[] = {{0x0123ABCD, 8, "0123ABCD"},
                 {255, 8, "000000FF"},
                 {0, 8, "00000000"},
                 {0x9ABCDEF0, 8, "9ABCDEF0"},
                 {0xFFFFFFFF, 8, "FFFFFFFF"},
                 {0x1A2B, 4, "1A2B"},
                 {10, 4, "000A"},
                 {0x12345, 4, "2345"},
                 {255, 4, "00FF"},
                 {0xABCDEF12, 10, "00ABCDEF12"},
                 {0xABC, 0, ""},
                 {0xABC, 1, "C"}};
    for (const auto& c : cases) EXPECT_EQ(NumToHex(c.value, c.width), c.text) << c.value;
}

class FixedVolume : public DirectBlockingCalls {
  public:
    platform::VolumeIdentity QueryVolume(const std::string& path) override {
        asked = path;
        return identity;
    }
    platform::VolumeIdentity identity;
    std::string asked;
};

TEST(MediaInfo, GetCDInfoFormatsTheSerialAndKeepsTheLabel) {
    FixedVolume calls;
    calls.identity = {"", 0x9ABCDEF0, true};
    std::string serial = "old", label = "old";
    GetCDInfo(calls, "/media/x/", serial, label);
    EXPECT_EQ(calls.asked, "/media/x/");
    EXPECT_EQ(serial, "9ABCDEF0");
    EXPECT_EQ(label, "");
    calls.identity = {" Disk 1 ", 7, true};
    GetCDInfo(calls, "/", serial, label);
    EXPECT_EQ(serial, "00000007");
    EXPECT_EQ(label, " Disk 1 ");
}

TEST(MediaInfo, GetCDInfoOnARealFolderGivesEightDigits) {
    TempDir t;
    std::string serial, label;
    GetCDInfo(DefaultBlockingCalls(), t.path(), serial, label);
    EXPECT_EQ(serial.size(), 8u);
    EXPECT_EQ(serial.find_first_not_of("0123456789ABCDEF"), std::string::npos);
}

TEST(MediaInfo, EjectOnlyWithTheOptionAndNeverANetworkPath) {
    EXPECT_TRUE(ShouldEject("/media/cdrom/", true));
    EXPECT_TRUE(ShouldEject("/media/cdrom/Data/", true));
    EXPECT_FALSE(ShouldEject("/media/cdrom/", false));
    EXPECT_FALSE(ShouldEject("//server/share/", true));
    EXPECT_FALSE(ShouldEject("", true));
    // A fixed disk is asked and refuses: nothing happens, nothing is reported.
    TempDir t;
    EjectMedia(DefaultBlockingCalls(), t.path());
    EXPECT_TRUE(platform::IsDirectory(t.path()));
}

}  // namespace
}  // namespace vorlaxis::test
