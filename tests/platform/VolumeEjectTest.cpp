// The eject decision, with the machine's operations recorded instead of done.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/posix/Eject.h"

using namespace vorlaxis::platform::eject;

namespace {

// Records every request; the facts and answers are set by the test.
class RecordingSystem : public EjectSystem {
  public:
    DriveFacts facts;
    bool desktop = false;
    bool unmountSucceeds = true;
    bool programSucceeds = true;
    std::vector<std::string> calls;
    EjectSystem* realFacts = nullptr;  // when set, the machine describes the path

    DriveFacts describe(const std::string& path) override {
        return realFacts ? realFacts->describe(path) : facts;
    }
    bool desktopServiceAvailable() override { return desktop; }
    bool runProgram(const std::vector<std::string>& argv) override {
        std::string line = "run";
        for (const std::string& a : argv) line += " " + a;
        calls.push_back(line);
        return programSucceeds;
    }
    bool unmount(const std::string& mountPoint) override {
        calls.push_back("unmount " + mountPoint);
        return unmountSucceeds;
    }
    void ejectOptical(const std::string& disk) override {
        calls.push_back("eject-optical " + disk);
    }
    void ejectRemovable(const std::string& disk) override {
        calls.push_back("eject-removable " + disk);
    }
};

DriveFacts UsbStick() {
    DriveFacts f;
    f.device = "/dev/sdb1";
    f.disk = "/dev/sdb";
    f.mountPoints = {"/media/user/STICK/sub", "/media/user/STICK"};
    f.removable = true;
    return f;
}

DriveFacts DvdDrive() {
    DriveFacts f;
    f.device = "/dev/sr0";
    f.disk = "/dev/sr0";
    f.mountPoints = {"/media/user/DISC"};
    f.optical = true;
    return f;
}

using Calls = std::vector<std::string>;

// How the machine answers besides the drive's facts.
struct Answers {
    bool desktop = false;
    bool programSucceeds = true;
    bool unmountSucceeds = true;
};

// The requests EjectPath makes for `path` on a drive with `facts`.
Calls EjectCalls(const std::string& path, const DriveFacts& facts, Answers answers = {}) {
    RecordingSystem system;
    system.facts = facts;
    system.desktop = answers.desktop;
    system.programSucceeds = answers.programSucceeds;
    system.unmountSucceeds = answers.unmountSucceeds;
    EjectPath(path, system);
    return system.calls;
}

constexpr Answers kDesktop{.desktop = true};

}  // namespace

TEST(Eject, RemovableDriveIsUnmountedThenEjected) {
    EXPECT_EQ(EjectCalls("/media/user/STICK/photos/", UsbStick()),
              (Calls{"unmount /media/user/STICK/sub", "unmount /media/user/STICK",
                     "eject-removable /dev/sdb"}));
    EXPECT_EQ(EjectCalls("/media/user/DISC/", DvdDrive()),
              (Calls{"unmount /media/user/DISC", "eject-optical /dev/sr0"}));
}

TEST(Eject, DesktopServiceIsAskedWhenItRuns) {
    EXPECT_EQ(EjectCalls("/media/user/STICK/", UsbStick(), kDesktop),
              (Calls{"run udisksctl unmount --no-user-interaction -b /dev/sdb1",
                     "run udisksctl power-off --no-user-interaction -b /dev/sdb"}));
    EXPECT_EQ(EjectCalls("/media/user/DISC/", DvdDrive(), kDesktop),
              (Calls{"run udisksctl unmount --no-user-interaction -b /dev/sr0",
                     "eject-optical /dev/sr0"}));
}

TEST(Eject, AMountTheServiceRefusesIsReleasedThePlainWay) {
    EXPECT_EQ(
        EjectCalls("/media/user/DISC/", DvdDrive(), {.desktop = true, .programSucceeds = false}),
        (Calls{"run udisksctl unmount --no-user-interaction -b /dev/sr0",
               "unmount /media/user/DISC", "eject-optical /dev/sr0"}));
}

TEST(Eject, FixedDiskAndPathsOnNoDriveAreNeverAsked) {
    DriveFacts fixed = UsbStick();
    fixed.removable = false;
    EXPECT_TRUE(EjectCalls("/media/user/STICK/", fixed, kDesktop).empty());

    DriveFacts share;  // tmpfs, network share, FUSE: no block device
    share.mountPoints = {"/mnt/share"};
    EXPECT_TRUE(EjectCalls("/mnt/share/", share).empty());

    // A path that does not exist.
    EXPECT_TRUE(EjectCalls("/no/such/path/", DriveFacts{}).empty());
}

TEST(Eject, NeverEjectsUnderAFileSystemStillMounted) {
    EXPECT_EQ(EjectCalls("/media/user/STICK/", UsbStick(), {.unmountSucceeds = false}),
              (Calls{"unmount /media/user/STICK/sub"}));

    // The service refuses, and so does the kernel.
    EXPECT_EQ(EjectCalls("/media/user/STICK/", UsbStick(),
                         {.desktop = true, .programSucceeds = false, .unmountSucceeds = false}),
              (Calls{"run udisksctl unmount --no-user-interaction -b /dev/sdb1",
                     "unmount /media/user/STICK/sub"}));

    DriveFacts unknownMount = UsbStick();
    unknownMount.mountPoints.clear();
    EXPECT_TRUE(EjectCalls("/media/user/STICK/", unknownMount).empty());

    DriveFacts otherPartition = UsbStick();
    otherPartition.otherVolumesMounted = true;
    EXPECT_TRUE(EjectCalls("/media/user/STICK/", otherPartition).empty());
}

TEST(Eject, MachineFactsOfThisMachinesFoldersAskNothing) {
    // The system disk and a device-less file system, described by the machine itself.
    for (const std::string path : {"/", "/dev/shm/", "/proc/"}) {
        SCOPED_TRACE(path);
        const DriveFacts facts = MachineEjectSystem().describe(path);
        EXPECT_FALSE(facts.removable || facts.optical);
        RecordingSystem system;
        system.realFacts = &MachineEjectSystem();
        system.desktop = true;
        EjectPath(path, system);
        EXPECT_TRUE(system.calls.empty());
    }
    EXPECT_TRUE(MachineEjectSystem().describe("/dev/shm/").device.empty());
}
