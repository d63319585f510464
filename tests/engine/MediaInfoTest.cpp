#include <gtest/gtest.h>

#include "Fakes.h"
#include "TempDir.h"
#include "media/MediaInfo.h"

namespace vorlaxis::test {
namespace {

TEST(MediaInfo, NumToHexTable) {
    EXPECT_EQ(NumToHex(0x0123ABCD, 8), "0123ABCD");
    EXPECT_EQ(NumToHex(255, 8), "000000FF");
    EXPECT_EQ(NumToHex(0, 8), "00000000");
    EXPECT_EQ(NumToHex(0x9ABCDEF0, 8), "9ABCDEF0");
    EXPECT_EQ(NumToHex(0xFFFFFFFF, 8), "FFFFFFFF");
    EXPECT_EQ(NumToHex(0x1A2B, 4), "1A2B");
    EXPECT_EQ(NumToHex(10, 4), "000A");
    EXPECT_EQ(NumToHex(0x12345, 4), "2345");
    EXPECT_EQ(NumToHex(255, 4), "00FF");
    EXPECT_EQ(NumToHex(0xABCDEF12, 10), "00ABCDEF12");
    EXPECT_EQ(NumToHex(0xABC, 0), "");
    EXPECT_EQ(NumToHex(0xABC, 1), "C");
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
