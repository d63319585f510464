// From a location to its mount, device and identity: the mount table, sysfs facts, the records
// the system keeps, and a real loop-mounted volume.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "TempDir.h"
#include "VolumeImages.h"
#include "media/MediaInfo.h"
#include "platform/Volume.h"
#include "platform/posix/Eject.h"
#include "platform/posix/MountTable.h"
#include "platform/posix/VolumeProbe.h"

using namespace vorlaxis::platform;
using vorlaxis::test::RunTool;
using vorlaxis::test::SparseImage;
using vorlaxis::test::TempDir;
namespace fs = std::filesystem;

TEST(MountTable, ParsesFieldsOptionalTagsAndEscapes) {
    const std::string text =
        "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
        "garbage line\n"
        "45 27 7:3 / /media/My\\040Disc ro master:2 propagating_from:1 - iso9660 /dev/loop3 ro\n"
        "50 27 0:45 / /mnt/share rw - nfs4 server:/export\\011tab rw\n";
    const auto table = mounts::ParseMountInfo(text);
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[1].major, 7u);
    EXPECT_EQ(table[1].minor, 3u);
    EXPECT_EQ(table[1].mountPoint, "/media/My Disc");
    EXPECT_EQ(table[1].fsType, "iso9660");
    EXPECT_EQ(table[1].source, "/dev/loop3");
    EXPECT_EQ(table[2].source, "server:/export\ttab");
    EXPECT_FALSE(mounts::MountDevice(table[2]));  // a network share has no block device
    EXPECT_EQ(mounts::MountDevice(table[1]), makedev(7, 3));
}

// A folder fstab mounts a medium on is awaiting one while nothing is mounted there.
TEST(MountTable, FstabMountPointWithNothingMountedAwaitsAMedium) {
    const std::vector<std::string> expected = mounts::ParseFstabMountPoints(
        "# /etc/fstab\n"
        "UUID=1234 / ext4 defaults 0 1\n"
        "/dev/sr0\t/media/cdrom0/  udf,iso9660 user,noauto 0 0\n"
        "LABEL=Backup /mnt/My\\040Backup vfat noauto 0 0\n"
        "/swapfile none swap sw 0 0\n");
    EXPECT_EQ(expected, (std::vector<std::string>{"/", "/media/cdrom0", "/mnt/My Backup"}));
    const auto table = mounts::ParseMountInfo(
        "1 0 254:0 / / rw - ext4 /dev/vda rw\n"
        "2 1 8:17 / /mnt/My\\040Backup rw - vfat /dev/sdb1 rw\n");
    EXPECT_TRUE(mounts::AwaitsMount("/media/cdrom0", expected, table));
    EXPECT_TRUE(mounts::AwaitsMount("/media/cdrom0/", expected, table));
    EXPECT_FALSE(mounts::AwaitsMount("/mnt/My Backup", expected, table));  // mounted
    EXPECT_FALSE(mounts::AwaitsMount("/", expected, table));
    EXPECT_FALSE(mounts::AwaitsMount("/media/empty", expected, table));  // fstab knows nothing
}

TEST(MountTable, FindsTheInnermostMountOfThePathsDevice) {
    const auto table = mounts::ParseMountInfo(
        "1 0 254:0 / / rw - ext4 /dev/vda rw\n"
        "2 1 8:17 / /media/usb rw - vfat /dev/sdb1 rw\n"
        "3 1 8:33 / /media/usbstick rw - vfat /dev/sdc1 rw\n"
        "4 2 0:50 / /media/usb/tmp rw - tmpfs tmpfs rw\n"
        "5 1 8:17 / /media/usb rw - vfat /dev/sdb1 rw\n");
    // A name that merely begins like a mount point is not under it.
    EXPECT_EQ(mounts::FindMount(table, "/media/usbstick/a", 8, 33)->source, "/dev/sdc1");
    EXPECT_EQ(mounts::FindMount(table, "/media/usb/dir", 8, 17)->mountPoint, "/media/usb");
    EXPECT_EQ(mounts::FindMount(table, "/media/usb/tmp/x", 0, 50)->fsType, "tmpfs");
    EXPECT_EQ(mounts::FindMount(table, "/home/user", 254, 0)->source, "/dev/vda");
    // A device number the table does not show: the innermost mount by path.
    EXPECT_EQ(mounts::FindMount(table, "/media/usb/dir", 0, 99)->source, "/dev/sdb1");
    EXPECT_FALSE(mounts::FindMount({}, "/x", 1, 1));
}

namespace {

// A sysfs tree: /sys/dev/block/M:m links to the device folders, as the kernel lays them out.
void AddSysDisk(const std::string& root, const std::string& name, const std::string& devno,
                const char* removable, const std::string& partition = {},
                const std::string& partitionDevno = {}, const char* scsiType = nullptr) {
    const std::string disk = root + "devices/" + name;
    fs::create_directories(disk + "/device");
    std::ofstream(disk + "/dev") << devno << "\n";
    std::ofstream(disk + "/removable") << removable << "\n";
    std::ofstream(disk + "/uevent") << "DEVNAME=" << name << "\n";
    if (scsiType) std::ofstream(disk + "/device/type") << scsiType << "\n";
    fs::create_directories(root + "dev/block");
    fs::create_symlink(disk, root + "dev/block/" + devno);
    if (partition.empty()) return;
    fs::create_directories(disk + "/" + partition);
    std::ofstream(disk + "/" + partition + "/partition") << "1\n";
    std::ofstream(disk + "/" + partition + "/dev") << partitionDevno << "\n";
    fs::create_symlink(disk + "/" + partition, root + "dev/block/" + partitionDevno);
}

}  // namespace

TEST(DriveFacts, WholeDiskRemovableAndOpticalFromSysfs) {
    TempDir sys;
    AddSysDisk(sys.path(), "sdb", "8:16", "1", "sdb1", "8:17");
    AddSysDisk(sys.path(), "sda", "8:0", "0", "sda2", "8:2");
    AddSysDisk(sys.path(), "sr0", "11:0", "1");
    AddSysDisk(sys.path(), "sdz", "65:160", "0", {}, {}, "5");  // a DVD drive over USB
    const auto stick = mounts::DescribeDrive(makedev(8, 17), sys.path());
    ASSERT_TRUE(stick);
    EXPECT_EQ(stick->diskName, "sdb");
    EXPECT_EQ(stick->disk, makedev(8, 16));
    EXPECT_TRUE(stick->removable);
    EXPECT_FALSE(stick->optical);
    const auto fixed = mounts::DescribeDrive(makedev(8, 2), sys.path());
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->diskName, "sda");
    EXPECT_FALSE(fixed->removable || fixed->optical);
    EXPECT_TRUE(mounts::DescribeDrive(makedev(11, 0), sys.path())->optical);
    EXPECT_TRUE(mounts::DescribeDrive(makedev(65, 160), sys.path())->optical);
    EXPECT_FALSE(mounts::DescribeDrive(makedev(9, 9), sys.path()));
}

TEST(RecordedVolume, UuidTextsGiveTheWindowsSerial) {
    EXPECT_EQ(probe::SerialFromUuid("vfat", "0123-ABCD"), 0x0123ABCDu);
    EXPECT_EQ(probe::SerialFromUuid("exfat", "89AB-CDEF"), 0x89ABCDEFu);
    EXPECT_EQ(probe::SerialFromUuid("ntfs", "0123456789ABCDEF"), 0x89ABCDEFu);
    EXPECT_EQ(probe::SerialFromUuid("ext4", "89abcdef-0123-4567-89ab-cdef01234567"), 0x89ABCDEFu);
    EXPECT_EQ(probe::SerialFromUuid("iso9660", "2024-01-01-12-00-00-00"), std::nullopt);
    EXPECT_EQ(probe::SerialFromUuid("udf", "6b171447efa228cc"), std::nullopt);
    EXPECT_EQ(probe::SerialFromUuid("ext4", "12-34"), std::nullopt);
    EXPECT_EQ(probe::SerialFromUuid("xfs", "not a uuid at all"), std::nullopt);
}

namespace {

// The records name real device nodes (libblkid drops cache entries of missing ones); the loop
// devices stand in for any disk.
bool HaveLoop0(dev_t& device) {
    struct stat st {};
    if (::stat("/dev/loop0", &st) != 0 || !S_ISBLK(st.st_mode)) return false;
    device = st.st_rdev;
    return true;
}

}  // namespace

TEST(RecordedVolume, UdevDatabaseThenBlkidCache) {
    dev_t device = 0;
    if (!HaveLoop0(device)) GTEST_SKIP() << "no /dev/loop0 block device to stand for a disk";
    TempDir dir;
    char devno[16];
    std::snprintf(devno, sizeof devno, "0x%04x", static_cast<unsigned>(device));
    const std::string cache = dir.file(
        "blkid.tab", std::string("<device DEVNO=\"") + devno +
                         "\" TIME=\"1700000000.100000\" LABEL=\"CACHED\" UUID=\"0123-ABCD\" "
                         "TYPE=\"vfat\">/dev/loop0</device>\n");
    dir.file("udev/b" + std::to_string(major(device)) + ":" + std::to_string(minor(device)),
             "S:disk/by-label/Moje\\x20fotky\nE:ID_FS_TYPE=ntfs\nE:ID_FS_LABEL=Moje_fotky\n"
             "E:ID_FS_LABEL_ENC=Moje\\x20fotky\nE:ID_FS_UUID=0123456789ABCDEF\n");
    const std::string none = dir.path() + "nothing";

    const auto fromUdev =
        probe::RecordedVolume("/dev/loop0", device, cache.c_str(), dir.path() + "udev", none);
    ASSERT_TRUE(fromUdev);
    EXPECT_EQ(fromUdev->label, "Moje fotky");
    EXPECT_EQ(fromUdev->serial, 0x89ABCDEFu);

    const auto fromCache = probe::RecordedVolume("/dev/loop0", device, cache.c_str(), none, none);
    ASSERT_TRUE(fromCache);
    EXPECT_EQ(fromCache->label, "CACHED");
    EXPECT_EQ(fromCache->serial, 0x0123ABCDu);

    EXPECT_FALSE(probe::RecordedVolume("/dev/loop0", device, none.c_str(), none, none));
    EXPECT_EQ(probe::DecodeUdevText("A\\x2fB\\x20C\\xZZ"), "A/B C\\xZZ");
}

TEST(RecordedVolume, DiskLinksNameTheLabelOfTheDevice) {
    dev_t device = 0;
    if (!HaveLoop0(device)) GTEST_SKIP() << "no /dev/loop0 block device to stand for a disk";
    TempDir dir;
    fs::create_directories(dir.path() + "disk/by-label");
    fs::create_directories(dir.path() + "disk/by-uuid");
    fs::create_symlink("/dev/loop0", dir.path() + "disk/by-label/Dovolen\\xc3\\xa1");
    fs::create_symlink("/dev/loop0", dir.path() + "disk/by-uuid/4A3B-2C1D");
    const std::string none = dir.path() + "nothing";
    const auto v = probe::RecordedVolume("", device, none.c_str(), none, dir.path() + "disk");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->label, "Dovolená");
    EXPECT_EQ(v->serial, 0x4A3B2C1Du);
}

TEST(QueryVolume, DeviceLessFileSystemGivesNoLabelAndItsFileSystemId) {
    const std::string shm = "/dev/shm/";
    struct statvfs vfs {};
    ASSERT_EQ(::statvfs(shm.c_str(), &vfs), 0);
    const auto fsid = static_cast<uint64_t>(vfs.f_fsid);
    const VolumeIdentity id = QueryVolume(shm);
    EXPECT_TRUE(id.known);
    EXPECT_EQ(id.label, "");
    if (fsid != 0) {
        EXPECT_EQ(id.serial, static_cast<uint32_t>(fsid ^ (fsid >> 32)));
    }

    const VolumeIdentity missing = QueryVolume("/no/such/location/");
    EXPECT_FALSE(missing.known);
    EXPECT_EQ(missing.label, "");
    EXPECT_EQ(missing.serial, 0u);
}

// An ext4 volume loop-mounted for the test: the whole road from a location to its identity.
class LoopMountedVolume : public ::testing::Test {
  protected:
    // The label and UUID options of mkfs.ext4.
    virtual std::vector<std::string> Identity() const {
        return {"-L", "Archiv 7", "-U", "c0ffee12-3456-4789-abcd-ef0123456789"};
    }

    void SetUp() override {
        m_image = SparseImage(m_dir.path(), "volume.img", 8u << 20);
        std::vector<std::string> mkfs = {"mkfs.ext4", "-q", "-F"};
        for (const std::string& option : Identity()) mkfs.push_back(option);
        mkfs.push_back(m_image);
        ASSERT_EQ(RunTool(mkfs), 0);
        m_mountPoint = m_dir.path() + "mnt";
        fs::create_directories(m_mountPoint);
        if (RunTool({"mount", "-o", "loop", m_image, m_mountPoint}) != 0) {
            GTEST_SKIP() << "loop mounting is not allowed on this machine (needs root and loop "
                            "devices); the whole road from location to identity is not tested";
        }
        m_mounted = true;
        fs::create_directories(m_mountPoint + "/photos/2024");
    }
    void TearDown() override {
        if (m_mounted) {
            EXPECT_EQ(RunTool({"umount", m_mountPoint}), 0);
        }
    }

    TempDir m_dir;
    std::string m_image;
    std::string m_mountPoint;
    bool m_mounted = false;
};

TEST_F(LoopMountedVolume, RootAndFolderGiveTheLabelAndUuidSerial) {
    for (const std::string& location :
         {m_mountPoint + "/", m_mountPoint + "/photos/2024/", m_mountPoint + "/photos/../"}) {
        SCOPED_TRACE(location);
        const VolumeIdentity id = QueryVolume(location);
        EXPECT_TRUE(id.known);
        EXPECT_EQ(id.label, "Archiv 7");
        EXPECT_EQ(id.serial, 0xC0FFEE12u);
    }
    const auto location = mounts::LocateVolume(m_mountPoint + "/photos/", mounts::ReadMountTable());
    ASSERT_TRUE(location);
    EXPECT_EQ(location->mount.mountPoint, fs::canonical(m_mountPoint).string());
    EXPECT_EQ(location->mount.fsType, "ext4");
    EXPECT_EQ(location->deviceNode.compare(0, 9, "/dev/loop"), 0) << location->deviceNode;
    const auto drive = mounts::DescribeDrive(*location->device);
    ASSERT_TRUE(drive);
    EXPECT_FALSE(drive->removable || drive->optical);  // a loop device is a fixed disk
}

TEST_F(LoopMountedVolume, EjectLeavesAFixedLoopDiskAlone) {
    const auto facts = eject::MachineEjectSystem().describe(m_mountPoint + "/photos/");
    EXPECT_EQ(facts.device.compare(0, 9, "/dev/loop"), 0) << facts.device;
    EXPECT_EQ(facts.mountPoints, std::vector<std::string>{fs::canonical(m_mountPoint).string()});
    EXPECT_FALSE(facts.removable || facts.optical);
    EjectVolume(m_mountPoint + "/photos/");  // the real request: must leave the volume mounted
    EXPECT_TRUE(fs::exists(m_mountPoint + "/photos/2024"));
}

TEST(FuseMountedImage, NtfsImageServedByFuseGivesTheImagesIdentity) {
    TempDir dir;
    const std::string image = SparseImage(dir.path(), "ntfs.img", 16u << 20);
    ASSERT_EQ(RunTool({"mkntfs", "-F", "-Q", "-L", "Záloha", image}), 0);
    ASSERT_EQ(RunTool({"ntfslabel", "--new-serial=FEDCBA9876543210", image}), 0);
    const std::string mountPoint = dir.path() + "mnt";
    fs::create_directories(mountPoint);
    if (RunTool({"ntfs-3g", "-o", "ro", image, mountPoint}) != 0) {
        GTEST_SKIP() << "FUSE mounting is not allowed on this machine (needs /dev/fuse); the "
                        "identity of a FUSE-served image is not tested";
    }
    const VolumeIdentity id = QueryVolume(mountPoint + "/");
    const auto facts = eject::MachineEjectSystem().describe(mountPoint + "/");
    EXPECT_EQ(RunTool({"umount", mountPoint}), 0);
    EXPECT_TRUE(id.known);
    EXPECT_EQ(id.label, "Záloha");
    EXPECT_EQ(id.serial, 0x76543210u);
    EXPECT_TRUE(facts.device.empty());  // an image file is no drive to eject
}

namespace {

// QueryVolume run by the user "nobody" in a child process: "known|label|serial text".
std::string QueryAsNobody(const std::string& location) {
    int fds[2];
    if (::pipe(fds) != 0) return "pipe failed";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
        const VolumeIdentity id = QueryVolume(location);
        const std::string text = std::string(id.known ? "1" : "0") + "|" + id.label + "|" +
                                 vorlaxis::NumToHex(id.serial, 8);
        const bool written =
            ::write(fds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::_exit(written ? 0 : 3);
    }
    ::close(fds[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2) return "no setuid";
    return text;
}

}  // namespace

TEST_F(LoopMountedVolume, UnreadableDeviceStillGivesAnIdentity) {
    // The user may reach the folder but not read the device node.
    const auto perms = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                       fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(m_dir.path(), perms);
    const std::string location = m_mountPoint + "/photos/";
    const auto device = mounts::LocateVolume(location, mounts::ReadMountTable())->device;
    const std::string text = QueryAsNobody(location);
    if (text == "no setuid") GTEST_SKIP() << "cannot become another user to lose the device";
    const std::string record =
        "/run/udev/data/b" + std::to_string(major(*device)) + ":" + std::to_string(minor(*device));
    if (fs::exists(record) || fs::exists("/run/blkid/blkid.tab")) {
        EXPECT_EQ(text.substr(0, 2), "1|") << text;  // the records decide the label
        return;
    }
    // No records on this machine: no label, and the file system id as the serial.
    struct statvfs vfs {};
    ASSERT_EQ(::statvfs(location.c_str(), &vfs), 0);
    const auto fsid = static_cast<uint64_t>(vfs.f_fsid);
    EXPECT_EQ(text, "1||" + vorlaxis::NumToHex(static_cast<uint32_t>(fsid ^ (fsid >> 32)), 8));
}

class UnlabelledLoopVolume : public LoopMountedVolume {
  protected:
    std::vector<std::string> Identity() const override {
        return {"-U", "0000abcd-3456-4789-abcd-ef0123456789"};
    }
};

TEST_F(UnlabelledLoopVolume, EmptyLabelAndStillEightDigits) {
    const VolumeIdentity id = QueryVolume(m_mountPoint + "/photos/");
    EXPECT_TRUE(id.known);
    EXPECT_EQ(id.label, "");
    EXPECT_EQ(vorlaxis::NumToHex(id.serial, 8), "0000ABCD");
}
