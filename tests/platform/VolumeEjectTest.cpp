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

}  // namespace

TEST(Eject, RemovableDriveIsUnmountedThenEjected) {
    RecordingSystem system;
    system.facts = UsbStick();
    EjectPath("/media/user/STICK/photos/", system);
    EXPECT_EQ(system.calls, (Calls{"unmount /media/user/STICK/sub", "unmount /media/user/STICK",
                                   "eject-removable /dev/sdb"}));

    RecordingSystem disc;
    disc.facts = DvdDrive();
    EjectPath("/media/user/DISC/", disc);
    EXPECT_EQ(disc.calls, (Calls{"unmount /media/user/DISC", "eject-optical /dev/sr0"}));
}

TEST(Eject, DesktopServiceIsAskedWhenItRuns) {
    RecordingSystem system;
    system.facts = UsbStick();
    system.desktop = true;
    EjectPath("/media/user/STICK/", system);
    EXPECT_EQ(system.calls, (Calls{"run udisksctl unmount --no-user-interaction -b /dev/sdb1",
                                   "run udisksctl power-off --no-user-interaction -b /dev/sdb"}));

    RecordingSystem disc;
    disc.facts = DvdDrive();
    disc.desktop = true;
    EjectPath("/media/user/DISC/", disc);
    EXPECT_EQ(disc.calls, (Calls{"run udisksctl unmount --no-user-interaction -b /dev/sr0",
                                 "eject-optical /dev/sr0"}));
}

TEST(Eject, AMountTheServiceRefusesIsReleasedThePlainWay) {
    RecordingSystem system;
    system.facts = DvdDrive();
    system.desktop = true;
    system.programSucceeds = false;
    EjectPath("/media/user/DISC/", system);
    EXPECT_EQ(system.calls, (Calls{"run udisksctl unmount --no-user-interaction -b /dev/sr0",
                                   "unmount /media/user/DISC", "eject-optical /dev/sr0"}));
}

TEST(Eject, FixedDiskAndPathsOnNoDriveAreNeverAsked) {
    RecordingSystem fixed;
    fixed.facts = UsbStick();
    fixed.facts.removable = false;
    fixed.desktop = true;
    EjectPath("/media/user/STICK/", fixed);
    EXPECT_TRUE(fixed.calls.empty());

    RecordingSystem share;  // tmpfs, network share, FUSE: no block device
    share.facts.mountPoints = {"/mnt/share"};
    EjectPath("/mnt/share/", share);
    EXPECT_TRUE(share.calls.empty());

    RecordingSystem nothing;  // a path that does not exist
    EjectPath("/no/such/path/", nothing);
    EXPECT_TRUE(nothing.calls.empty());
}

TEST(Eject, NeverEjectsUnderAFileSystemStillMounted) {
    RecordingSystem busy;
    busy.facts = UsbStick();
    busy.unmountSucceeds = false;
    EjectPath("/media/user/STICK/", busy);
    EXPECT_EQ(busy.calls, (Calls{"unmount /media/user/STICK/sub"}));

    RecordingSystem busyDesktop;  // the service refuses, and so does the kernel
    busyDesktop.facts = UsbStick();
    busyDesktop.desktop = true;
    busyDesktop.programSucceeds = false;
    busyDesktop.unmountSucceeds = false;
    EjectPath("/media/user/STICK/", busyDesktop);
    EXPECT_EQ(busyDesktop.calls, (Calls{"run udisksctl unmount --no-user-interaction -b /dev/sdb1",
                                        "unmount /media/user/STICK/sub"}));

    RecordingSystem unknownMount;
    unknownMount.facts = UsbStick();
    unknownMount.facts.mountPoints.clear();
    EjectPath("/media/user/STICK/", unknownMount);
    EXPECT_TRUE(unknownMount.calls.empty());

    RecordingSystem otherPartition;
    otherPartition.facts = UsbStick();
    otherPartition.facts.otherVolumesMounted = true;
    EjectPath("/media/user/STICK/", otherPartition);
    EXPECT_TRUE(otherPartition.calls.empty());
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
