// The label and serial read from real file system images made here with the usual tools.
#include <gtest/gtest.h>

#include <string>

#include "TempDir.h"
#include "VolumeImages.h"
#include "platform/posix/VolumeFormats.h"
#include "platform/posix/VolumeProbe.h"

using namespace vorlaxis::platform;
using vorlaxis::test::ReadWhole;
using vorlaxis::test::RunTool;
using vorlaxis::test::SparseImage;
using vorlaxis::test::TempDir;

namespace {

constexpr const char* kEpoch = "SOURCE_DATE_EPOCH=1700000000";

// Parses an image with one parser, over its bytes in memory.
template <typename Parser>
std::optional<VolumeIdentity> ParseImage(const std::string& path, Parser parser) {
    const std::string bytes = ReadWhole(path);
    return parser(formats::MemoryReader(bytes));
}

// The disc serial computed the long way: whole lane totals, reduced only at the end.
uint32_t LaneSerial(const std::string& descriptor, bool reversed) {
    uint64_t lanes[4] = {0, 0, 0, 0};
    for (size_t i = 0; i < 2048; ++i) lanes[i % 4] += static_cast<unsigned char>(descriptor[i]);
    uint32_t serial = 0;
    for (int j = 0; j < 4; ++j) {
        const int shift = reversed ? 8 * j : 8 * (3 - j);
        serial |= static_cast<uint32_t>(lanes[j] % 256) << shift;
    }
    return serial;
}

// Finds an ISO 9660 volume descriptor by scanning the image, independently of the parser.
std::string FindIsoDescriptor(const std::string& image, bool joliet) {
    for (size_t offset = 16 * 2048; offset + 2048 <= image.size(); offset += 2048) {
        const std::string d = image.substr(offset, 2048);
        if (d.compare(1, 5, "CD001") != 0) continue;
        if (!joliet && d[0] == 1) return d;
        if (joliet && d[0] == 2 && d.compare(88, 2, "%/") == 0) return d;
    }
    return {};
}

// The UDF File Set Descriptor found by its tag id (256), independently of the parser.
std::string FindFileSetDescriptor(const std::string& image, size_t block) {
    for (size_t offset = 0; offset + 2048 <= image.size(); offset += block) {
        unsigned sum = 0;  // the tag checksum: bytes 0..15 without byte 4
        for (size_t i = 0; i < 16; ++i)
            sum += i == 4 ? 0 : static_cast<unsigned char>(image[offset + i]);
        if (image[offset] == 0 && image[offset + 1] == 1 &&
            sum % 256 == static_cast<unsigned char>(image[offset + 4])) {
            return image.substr(offset, 2048);
        }
    }
    return {};
}

std::string MakeIso(const TempDir& dir, const std::string& name, const std::string& label,
                    bool joliet) {
    dir.file("content/a.txt", "disc content\n");
    const std::string image = dir.path() + name;
    std::vector<std::string> argv = {"xorriso", "-as", "mkisofs", "-V", label, "-o", image};
    if (joliet) argv.push_back("-J");
    argv.push_back(dir.path() + "content");
    EXPECT_EQ(RunTool(argv, {kEpoch}), 0) << "xorriso failed";
    return image;
}

}  // namespace

TEST(FatImage, SerialAndLabelOfFat12Fat16AndFat32) {
    TempDir dir;
    struct Case {
        const char* fat;
        uint64_t size;
        const char* label;
    };
    for (const Case& c : {Case{"12", 2u << 20, "FLOPPY"}, Case{"16", 24u << 20, "DATA16"},
                          Case{"32", 40u << 20, "VORLAXIS 32"}}) {
        SCOPED_TRACE(std::string("FAT") + c.fat);
        const std::string image = SparseImage(dir.path(), std::string("fat") + c.fat, c.size);
        ASSERT_EQ(RunTool({"mkfs.vfat", "-F", c.fat, "-i", "0123ABCD", "-n", c.label, image}), 0);
        const auto parsed = ParseImage(image, formats::ParseFat);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->serial, 0x0123ABCDu);
        EXPECT_EQ(parsed->label, c.label);
        const auto probed = probe::ProbeDevice(image);
        ASSERT_TRUE(probed);
        EXPECT_EQ(probed->type, "vfat");
        EXPECT_EQ(probed->serial, 0x0123ABCDu);
        EXPECT_EQ(probed->label, c.label);
    }
}

TEST(FatImage, WithoutLabelGivesEmptyLabelAndTheSerial) {
    TempDir dir;
    const std::string image = SparseImage(dir.path(), "nolabel", 2u << 20);
    ASSERT_EQ(RunTool({"mkfs.vfat", "-i", "9ABCDEF0", image}), 0);
    const auto probed = probe::ProbeDevice(image);
    ASSERT_TRUE(probed);
    EXPECT_EQ(probed->label, "");  // the boot sector's "NO NAME" is no label
    EXPECT_EQ(probed->serial, 0x9ABCDEF0u);
}

TEST(FatImage, RootDirectoryLabelWinsOverAStaleBootSectorLabel) {
    TempDir dir;
    const std::string image = SparseImage(dir.path(), "stale", 2u << 20);
    ASSERT_EQ(RunTool({"mkfs.vfat", "-F", "12", "-i", "01020304", "-n", "CURRENT", image}), 0);
    vorlaxis::test::WriteAt(image, 0x2B, "OLD LABEL  ");  // as left by a relabel elsewhere
    const auto parsed = ParseImage(image, formats::ParseFat);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->label, "CURRENT");
    EXPECT_EQ(parsed->serial, 0x01020304u);
}

TEST(FatImage, LabelEntryInALaterClusterOfTheRootDirectory) {
    TempDir dir;
    // One sector per cluster: sixteen entries fill the root directory's first cluster, so the
    // label set afterwards goes into the next one.
    const std::string image = SparseImage(dir.path(), "chained", 40u << 20);
    ASSERT_EQ(RunTool({"mkfs.vfat", "-F", "32", "-s", "1", "-i", "11223344", image}), 0);
    const std::string bootSector = ReadWhole(image).substr(0, 512);
    const auto* boot = reinterpret_cast<const uint8_t*>(bootSector.data());
    const uint64_t rootStart =
        (formats::Le16(boot + 14) + boot[16] * uint64_t{formats::Le32(boot + 36)}) *
        formats::Le16(boot + 11);
    std::string files;
    for (int i = 0; i < 16; ++i) {
        files += "FILE" + std::to_string(1000 + i) + "TXT\x20";
        files.resize(files.size() + 20, '\0');
    }
    vorlaxis::test::WriteAt(image, rootStart, files);
    ASSERT_EQ(RunTool({"fatlabel", image, "SECOND"}), 0);
    ASSERT_GE(ReadWhole(image).find("SECOND     ", rootStart), rootStart + 512);
    vorlaxis::test::WriteAt(image, 0x47, "OLD LABEL  ");  // a stale copy in the boot sector
    const auto parsed = ParseImage(image, formats::ParseFat);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->label, "SECOND");
    EXPECT_EQ(parsed->serial, 0x11223344u);
}

TEST(FatImage, BootSectorLabelInTheDosCodePageWhenTheDirectoryHasNone) {
    TempDir dir;
    const std::string image = SparseImage(dir.path(), "oem", 2u << 20);
    ASSERT_EQ(RunTool({"mkfs.vfat", "-i", "00C0FFEE", image}), 0);  // no label entry
    vorlaxis::test::WriteAt(image, 0x2B,
                            "\xAC"
                            "TEN\xD6 DAT  ");  // "ČTENÍ DAT" in code page 852
    const auto parsed = ParseImage(image, formats::ParseFat);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->label, "ČTENÍ DAT");
    EXPECT_EQ(parsed->serial, 0x00C0FFEEu);
}

TEST(ExfatImage, SerialAndUnicodeLabel) {
    TempDir dir;
    const std::string image = SparseImage(dir.path(), "exfat", 8u << 20);
    ASSERT_EQ(RunTool({"mkfs.exfat", "-L", "Média čtení", image}), 0);
    ASSERT_EQ(RunTool({"tune.exfat", "-I", "0x89ABCDEF", image}), 0);
    const auto parsed = ParseImage(image, formats::ParseExfat);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->serial, 0x89ABCDEFu);
    EXPECT_EQ(parsed->label, "Média čtení");
    const auto probed = probe::ProbeDevice(image);
    ASSERT_TRUE(probed);
    EXPECT_EQ(probed->type, "exfat");
    EXPECT_EQ(probed->serial, 0x89ABCDEFu);
    EXPECT_EQ(probed->label, "Média čtení");

    const std::string bare = SparseImage(dir.path(), "bare", 8u << 20);
    ASSERT_EQ(RunTool({"mkfs.exfat", bare}), 0);
    const auto unlabelled = probe::ProbeDevice(bare);
    ASSERT_TRUE(unlabelled);
    EXPECT_EQ(unlabelled->label, "");
}

TEST(NtfsImage, LowHalfOfTheSerialAndTheVolumeName) {
    TempDir dir;
    const std::string image = SparseImage(dir.path(), "ntfs", 16u << 20);
    ASSERT_EQ(RunTool({"mkntfs", "-F", "-Q", "-L", "Záloha 2024", image}), 0);
    ASSERT_EQ(RunTool({"ntfslabel", "--new-serial=0123456789ABCDEF", image}), 0);
    const auto parsed = ParseImage(image, formats::ParseNtfs);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->serial, 0x89ABCDEFu);
    EXPECT_EQ(parsed->label, "Záloha 2024");
    const auto probed = probe::ProbeDevice(image);
    ASSERT_TRUE(probed);
    EXPECT_EQ(probed->type, "ntfs");
    EXPECT_EQ(probed->serial, 0x89ABCDEFu);
    EXPECT_EQ(probed->label, "Záloha 2024");
}

TEST(IsoImage, JolietDescriptorIsPreferredForLabelAndSerial) {
    TempDir dir;
    // 26 characters: Joliet keeps 16 of them, the primary descriptor all.
    const std::string label = "Zkouška disku 2024 – část";
    const std::string image = ReadWhole(MakeIso(dir, "joliet.iso", label, true));
    const std::string joliet = FindIsoDescriptor(image, true);
    ASSERT_EQ(joliet.size(), 2048u);
    const auto parsed = formats::ParseIso9660(formats::MemoryReader(image));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->label, "Zkouška disku 20");
    EXPECT_EQ(parsed->serial, LaneSerial(joliet, false));
    EXPECT_NE(parsed->serial, LaneSerial(FindIsoDescriptor(image, false), false));
    const auto probed = probe::ProbeDevice(dir.path() + "joliet.iso");
    ASSERT_TRUE(probed);
    EXPECT_EQ(probed->serial, parsed->serial);
    EXPECT_EQ(probed->label, parsed->label);
}

TEST(IsoImage, PrimaryDescriptorWithoutJolietAndReproducibleSerial) {
    TempDir dir;
    const std::string first = ReadWhole(MakeIso(dir, "plain.iso", "BACKUP_2024_DISC_01", false));
    const std::string again = ReadWhole(MakeIso(dir, "again.iso", "BACKUP_2024_DISC_01", false));
    ASSERT_EQ(FindIsoDescriptor(first, true), "");
    const auto parsed = formats::ParseOptical(formats::MemoryReader(first));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->label, "BACKUP_2024_DISC_01");
    EXPECT_EQ(parsed->serial, LaneSerial(first.substr(16 * 2048, 2048), false));
    // The same content and time give the same disc, so the same serial.
    EXPECT_EQ(formats::ParseOptical(formats::MemoryReader(again))->serial, parsed->serial);
}

TEST(UdfImage, FileSetDescriptorSumsInReverseOrderAndVolumeIdentifier) {
    TempDir dir;
    for (const char* blockSize : {"2048", "512"}) {
        SCOPED_TRACE(std::string("block size ") + blockSize);
        const std::string path = SparseImage(dir.path(), std::string("udf") + blockSize, 4u << 20);
        ASSERT_EQ(RunTool({"mkudffs", std::string("--blocksize=") + blockSize, "--media-type=hd",
                           "--vid=Fotky léto", "--lvid=Fotky léto", path}),
                  0);
        const std::string image = ReadWhole(path);
        const std::string fsd = FindFileSetDescriptor(image, std::stoul(blockSize));
        ASSERT_FALSE(fsd.empty());
        const auto parsed = formats::ParseOptical(formats::MemoryReader(image));
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->label, "Fotky léto");
        EXPECT_EQ(parsed->serial, LaneSerial(fsd, true));
        const auto probed = probe::ProbeDevice(path);
        ASSERT_TRUE(probed);
        EXPECT_EQ(probed->type, "udf");
        EXPECT_EQ(probed->serial, parsed->serial);
    }
}

TEST(Ext4Image, LabelAndFirstFourBytesOfTheUuid) {
    TempDir dir;
    const std::string image = SparseImage(dir.path(), "ext4", 4u << 20);
    ASSERT_EQ(RunTool({"mkfs.ext4", "-q", "-F", "-L", "data disk", "-U",
                       "89abcdef-0123-4567-89ab-cdef01234567", image}),
              0);
    const auto probed = probe::ProbeDevice(image);
    ASSERT_TRUE(probed);
    EXPECT_EQ(probed->type, "ext4");
    EXPECT_EQ(probed->label, "data disk");
    EXPECT_EQ(probed->serial, 0x89ABCDEFu);
}

TEST(DamagedImage, TruncatedAndGarbageBytesNeverCrashAndAreNotMistaken) {
    TempDir dir;
    const std::string fat = SparseImage(dir.path(), "fat", 2u << 20);
    ASSERT_EQ(RunTool({"mkfs.vfat", "-i", "0BADF00D", "-n", "CUT", fat}), 0);
    const std::string ntfs = SparseImage(dir.path(), "ntfs", 16u << 20);
    ASSERT_EQ(RunTool({"mkntfs", "-F", "-Q", "-L", "CUT", ntfs}), 0);
    // Only the boot sector left: the serial is there, the label is not.
    const auto fatBoot =
        formats::ParseAnyWindowsFormat(formats::MemoryReader(ReadWhole(fat).substr(0, 512)));
    ASSERT_TRUE(fatBoot);
    EXPECT_EQ(fatBoot->serial, 0x0BADF00Du);
    EXPECT_EQ(fatBoot->label, "CUT");  // the boot sector's copy stands in for the directory
    const auto ntfsBoot =
        formats::ParseAnyWindowsFormat(formats::MemoryReader(ReadWhole(ntfs).substr(0, 512)));
    ASSERT_TRUE(ntfsBoot);
    EXPECT_EQ(ntfsBoot->label, "");

    std::string noise(1u << 20, '\0');
    uint32_t x = 12345;
    for (char& c : noise) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    EXPECT_FALSE(formats::ParseAnyWindowsFormat(formats::MemoryReader(noise)));
    EXPECT_FALSE(formats::ParseAnyWindowsFormat(formats::MemoryReader(std::string(70000, '\0'))));
    EXPECT_FALSE(formats::ParseAnyWindowsFormat(formats::MemoryReader("")));
    EXPECT_FALSE(probe::ProbeDevice(dir.path() + "missing"));
    EXPECT_FALSE(probe::ProbeDevice("/dev/null"));  // a character device is never read
}

TEST(DamagedImage, BrokenUdfStructuresFallBackToTheIsoDescriptors) {
    TempDir dir;
    std::string image = ReadWhole(MakeIso(dir, "bridge.iso", "BRIDGE", false));
    // A "BEA01" area after the terminator, but no anchor at block 256.
    size_t free = 17 * 2048;
    while (image.compare(free + 1, 5, "CD001") == 0) free += 2048;
    image.replace(free, 6, std::string("\0BEA01", 6));
    const auto parsed = formats::ParseOptical(formats::MemoryReader(image));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->label, "BRIDGE");
}

TEST(IsoImage, LastSessionOfAMultisessionDiscIsRead) {
    TempDir dir;
    const std::string first = ReadWhole(MakeIso(dir, "s1.iso", "SESSION_1", true));
    const std::string second = ReadWhole(MakeIso(dir, "s2.iso", "SESSION_2", true));
    ASSERT_EQ(first.size() % 2048, 0u);
    const std::string disc = first + second;  // the second session starts behind the first
    const auto reader = formats::MemoryReader(disc);
    EXPECT_EQ(formats::ParseOptical(reader)->label, "SESSION_1");
    const auto last = formats::ParseOptical(reader, first.size());
    ASSERT_TRUE(last);
    EXPECT_EQ(last->label, "SESSION_2");
    EXPECT_EQ(last->serial, LaneSerial(FindIsoDescriptor(second, true), false));
}

TEST(UdfImage, BridgeDiscIsReadOnItsUdfSide) {
    TempDir dir;
    dir.file("content/a.txt", "disc content\n");
    const std::string path = dir.path() + "bridge.iso";
    ASSERT_EQ(RunTool({"genisoimage", "-quiet", "-udf", "-J", "-V", "Bridge Disc", "-o", path,
                       dir.path() + "content"}),
              0);
    const std::string image = ReadWhole(path);
    const std::string fsd = FindFileSetDescriptor(image, 2048);
    ASSERT_FALSE(fsd.empty());
    const auto parsed = formats::ParseOptical(formats::MemoryReader(image));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->label, "Bridge Disc");
    EXPECT_EQ(parsed->serial, LaneSerial(fsd, true));
    EXPECT_NE(parsed->serial, formats::ParseIso9660(formats::MemoryReader(image))->serial);
    const auto probed = probe::ProbeDevice(path);
    ASSERT_TRUE(probed);
    EXPECT_EQ(probed->serial, parsed->serial);
    EXPECT_EQ(probed->label, "Bridge Disc");
}

TEST(Ext4Image, StaleFatBootSectorYieldsToTheMountedType) {
    TempDir dir;
    const std::string image = SparseImage(dir.path(), "ext4", 4u << 20);
    ASSERT_EQ(RunTool({"mkfs.ext4", "-q", "-F", "-L", "current", "-U",
                       "12345678-0123-4567-89ab-cdef01234567", image}),
              0);
    const std::string fat = SparseImage(dir.path(), "fat", 2u << 20);
    ASSERT_EQ(RunTool({"mkfs.vfat", "-i", "0BADF00D", "-n", "FORMER", fat}), 0);
    vorlaxis::test::WriteAt(image, 0, ReadWhole(fat).substr(0, 512));  // left by an old format
    const auto mounted = probe::ProbeDevice(image, "ext4");
    ASSERT_TRUE(mounted);
    EXPECT_EQ(mounted->label, "current");
    EXPECT_EQ(mounted->serial, 0x12345678u);
}
