// Ejecting the medium behind a path on Linux: the decision, and the system operations it uses
// behind an interface so that a test can record them.
#pragma once

#include <string>
#include <vector>

namespace vorlaxis::platform::eject {

// What the system knows about the drive behind a path.
struct DriveFacts {
    std::string device;                    // the file system's block device; empty when none
    std::string disk;                      // the whole disk's device node ("/dev/sr0")
    std::vector<std::string> mountPoints;  // where that file system is mounted, inner first
    bool otherVolumesMounted = false;      // another file system of the same disk is mounted
    bool removable = false;
    bool optical = false;
};

class EjectSystem {
  public:
    virtual ~EjectSystem() = default;
    virtual DriveFacts describe(const std::string& path) = 0;
    // The desktop's disk service can be asked (its client program and the system bus exist).
    virtual bool desktopServiceAvailable() = 0;
    // Runs a program with these arguments (no shell); true when it exits with status 0.
    virtual bool runProgram(const std::vector<std::string>& argv) = 0;
    virtual bool unmount(const std::string& mountPoint) = 0;
    virtual void ejectOptical(const std::string& disk) = 0;
    virtual void ejectRemovable(const std::string& disk) = 0;
};

// The operations of this machine.
EjectSystem& MachineEjectSystem();

// Releases the mount and ejects the medium, only for a removable or optical drive and only when
// no file system of it stays mounted. Nothing is reported.
void EjectPath(const std::string& path, EjectSystem& system);

}  // namespace vorlaxis::platform::eject
