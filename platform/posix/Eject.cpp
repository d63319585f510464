// Ejecting on Linux: the desktop's disk service where it runs, else unmount and the drive's
// own eject request.
#include "platform/posix/Eject.h"

#include <fcntl.h>
#include <linux/cdrom.h>
#include <scsi/sg.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "platform/posix/MountTable.h"

extern char** environ;

namespace vorlaxis::platform::eject {

namespace {

constexpr int kProgramTimeoutMs = 30'000;  // a drive spinning down and a slow unmount

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    const std::string dirs = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t pos = 0;
    while (pos <= dirs.size()) {
        const size_t end = std::min(dirs.find(':', pos), dirs.size());
        const std::string dir = dirs.substr(pos, end - pos);
        if (!dir.empty() && ::access((dir + "/" + program).c_str(), X_OK) == 0) return true;
        pos = end + 1;
    }
    return false;
}

bool IsSocket(const char* path) {
    struct stat st {};
    return ::stat(path, &st) == 0 && S_ISSOCK(st.st_mode);
}

// Waits for the child; a program that hangs is killed so the window does not hang with it.
bool WaitForExit(pid_t pid) {
    int status = 0;
    for (int waited = 0; waited < kProgramTimeoutMs; waited += 20) {
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (r < 0 && errno != EINTR) return false;
        const timespec pause{0, 20'000'000};
        ::nanosleep(&pause, nullptr);
    }
    ::kill(pid, SIGKILL);
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return false;
}

bool SendScsi(int fd, std::initializer_list<unsigned char> command) {
    unsigned char cdb[6] = {};
    std::copy(command.begin(), command.end(), cdb);
    unsigned char sense[32] = {};
    sg_io_hdr_t io{};
    io.interface_id = 'S';
    io.cmd_len = sizeof cdb;
    io.cmdp = cdb;
    io.dxfer_direction = SG_DXFER_NONE;
    io.sbp = sense;
    io.mx_sb_len = sizeof sense;
    io.timeout = 10'000;
    return ::ioctl(fd, SG_IO, &io) == 0 && (io.info & SG_INFO_OK_MASK) == SG_INFO_OK;
}

// Every device node is opened read-only; the eject requests need no more.
int OpenDrive(const std::string& disk) {
    return ::open(disk.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
}

DriveFacts DescribePath(const std::string& path) {
    const std::vector<mounts::MountEntry> table = mounts::ReadMountTable();
    const auto location = mounts::LocateVolume(path, table);
    if (!location || !location->device || location->deviceNode.empty()) return {};
    const auto drive = mounts::DescribeDrive(*location->device);
    if (!drive || drive->diskNode.empty()) return {};
    DriveFacts facts;
    facts.device = location->deviceNode;
    facts.disk = drive->diskNode;
    facts.removable = drive->removable;
    facts.optical = drive->optical;
    for (auto it = table.rbegin(); it != table.rend(); ++it) {  // later mounts lie above
        const auto device = mounts::MountDevice(*it);
        if (!device) continue;
        if (*device == *location->device) {
            facts.mountPoints.push_back(it->mountPoint);
        } else if (const auto other = mounts::DescribeDrive(*device)) {
            facts.otherVolumesMounted = facts.otherVolumesMounted || other->disk == drive->disk;
        }
    }
    return facts;
}

class MachineSystem final : public EjectSystem {
  public:
    DriveFacts describe(const std::string& path) override { return DescribePath(path); }

    bool desktopServiceAvailable() override {
        return OnPath("udisksctl") && (IsSocket("/run/dbus/system_bus_socket") ||
                                       IsSocket("/var/run/dbus/system_bus_socket"));
    }

    bool runProgram(const std::vector<std::string>& argv) override {
        if (argv.empty()) return false;
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        for (int fd = 0; fd <= 2; ++fd) {
            posix_spawn_file_actions_addopen(&actions, fd, "/dev/null",
                                             fd == 0 ? O_RDONLY : O_WRONLY, 0);
        }
        pid_t pid = 0;
        const int rc = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        return rc == 0 && WaitForExit(pid);
    }

    bool unmount(const std::string& mountPoint) override {
        if (::umount2(mountPoint.c_str(), 0) == 0) return true;
        // Without the right to unmount, the setuid tool allows what the mount table grants users.
        return errno == EPERM && runProgram({"umount", mountPoint});
    }

    void ejectOptical(const std::string& disk) override {
        const int fd = OpenDrive(disk);
        if (fd < 0) return;
        ::ioctl(fd, CDROM_LOCKDOOR, 0);
        ::ioctl(fd, CDROMEJECT, 0);
        ::close(fd);
    }

    void ejectRemovable(const std::string& disk) override {
        const int fd = OpenDrive(disk);
        if (fd < 0) return;
        // Allow medium removal, then START STOP UNIT: start, and stop with load/eject.
        if (SendScsi(fd, {0x1E, 0, 0, 0, 0, 0}) && SendScsi(fd, {0x1B, 0, 0, 0, 0x01, 0})) {
            SendScsi(fd, {0x1B, 0, 0, 0, 0x02, 0});
        }
        ::close(fd);
    }
};

}  // namespace

EjectSystem& MachineEjectSystem() {
    static MachineSystem system;
    return system;
}

void EjectPath(const std::string& path, EjectSystem& system) {
    const DriveFacts facts = system.describe(path);
    // A fixed disk, or a path on no block device (tmpfs, network share): never ejected.
    if (facts.device.empty() || facts.disk.empty() || !(facts.removable || facts.optical)) return;
    // Pulling a medium another mounted file system lives on could lose its data; and a path
    // whose mount was not found is not known to be released by anything below.
    if (facts.otherVolumesMounted || facts.mountPoints.empty()) return;
    if (system.desktopServiceAvailable()) {
        const std::string quiet = "--no-user-interaction";
        if (system.runProgram({"udisksctl", "unmount", quiet, "-b", facts.device})) {
            if (facts.optical) {
                system.ejectOptical(facts.disk);  // the client has no eject command of its own
            } else {
                system.runProgram({"udisksctl", "power-off", quiet, "-b", facts.disk});
            }
            return;
        }
        // The service refused (a mount it does not manage, no authorisation, busy): the plain
        // way below decides, and it never ejects what it could not unmount.
    }
    for (const std::string& mountPoint : facts.mountPoints) {
        if (!system.unmount(mountPoint)) return;  // still mounted: never eject under it
    }
    if (facts.optical) {
        system.ejectOptical(facts.disk);
    } else {
        system.ejectRemovable(facts.disk);
    }
}

}  // namespace vorlaxis::platform::eject
