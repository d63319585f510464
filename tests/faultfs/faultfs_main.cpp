// vorlaxis-faultfs: a FUSE file system for the tests. It serves a backing folder read-only and
// injects the faults of a configuration file (see FaultConfig.h), re-read whenever it changes.
// Every file is opened with direct_io, so one read of the program is one read request here
// and an error lands on the exact bytes the rule names.
//
//   vorlaxis-faultfs BACKING MOUNTPOINT [--config FILE] [--trace FILE] [FUSE options...]
#define FUSE_USE_VERSION 31
#include <dirent.h>
#include <fcntl.h>
#include <fuse.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "FaultState.h"

namespace {

using vorlaxis::test::FaultState;

FaultState& State() {
    return *static_cast<FaultState*>(fuse_get_context()->private_data);
}

struct OpenDir {
    DIR* dir = nullptr;
    int64_t priorListings = 0;
};

void* Init(fuse_conn_info* conn, fuse_config* cfg) {
    cfg->direct_io = 1;
    cfg->kernel_cache = 0;
    cfg->entry_timeout = 0;
    cfg->attr_timeout = 0;
    cfg->negative_timeout = 0;
    cfg->use_ino = 1;
    conn->want &= ~FUSE_CAP_READDIRPLUS;  // every lookup comes here, so vanishing is seen
    return fuse_get_context()->private_data;
}

int GetAttr(const char* path, struct stat* st, fuse_file_info* /*fi*/) {
    if (State().Vanished(path)) return -ENOENT;
    return ::lstat(State().Backing(path).c_str(), st) == 0 ? 0 : -errno;
}

int ReadLink(const char* path, char* buffer, size_t size) {
    if (State().Vanished(path)) return -ENOENT;
    const ssize_t n = ::readlink(State().Backing(path).c_str(), buffer, size - 1);
    if (n < 0) return -errno;
    buffer[n] = '\0';
    return 0;
}

int OpenDirectory(const char* path, fuse_file_info* fi) {
    const int fault = State().ListFault(path, false);
    State().Trace("list", fault, "-", path);
    if (fault != 0) return fault;
    DIR* dir = ::opendir(State().Backing(path).c_str());
    if (!dir) return -errno;
    fi->fh = reinterpret_cast<uint64_t>(new OpenDir{dir, State().BeginListing(path)});
    return 0;
}

std::string Child(const char* dir, const char* name) {
    return std::strcmp(dir, "/") == 0 ? std::string("/") + name : std::string(dir) + "/" + name;
}

// Entries come in name order, as on a mastered disc, so that tests know the order of a run.
int ReadDirectory(const char* path, void* buffer, fuse_fill_dir_t fill, off_t offset,
                  fuse_file_info* fi, fuse_readdir_flags /*flags*/) {
    if (const int fault = State().ListFault(path, true); fault != 0) return fault;
    const auto [breakAfter, breakError] = State().ListBreak(path);
    auto* open = reinterpret_cast<OpenDir*>(fi->fh);
    std::vector<std::pair<std::string, struct stat>> entries;
    ::rewinddir(open->dir);
    while (const dirent* d = ::readdir(open->dir)) {
        if (State().Vanished(Child(path, d->d_name), open->priorListings)) continue;
        struct stat st {};
        st.st_ino = d->d_ino;
        st.st_mode = static_cast<mode_t>(DTTOIF(d->d_type));
        entries.emplace_back(d->d_name, st);
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    if (breakAfter < 0) {
        for (const auto& [name, st] : entries) {
            if (fill(buffer, name.c_str(), &st, 0, static_cast<fuse_fill_dir_flags>(0)) != 0) break;
        }
        return 0;
    }
    // A listing that breaks off: handed out from `offset` in turns, the turn that would start
    // at the break fails.
    if (offset >= breakAfter && offset < static_cast<off_t>(entries.size())) return -breakError;
    for (size_t i = static_cast<size_t>(offset); i < entries.size(); ++i) {
        if (static_cast<int64_t>(i) >= breakAfter) break;
        if (fill(buffer, entries[i].first.c_str(), &entries[i].second, static_cast<off_t>(i + 1),
                 static_cast<fuse_fill_dir_flags>(0)) != 0) {
            break;
        }
    }
    return 0;
}

int ReleaseDirectory(const char* /*path*/, fuse_file_info* fi) {
    auto* open = reinterpret_cast<OpenDir*>(fi->fh);
    ::closedir(open->dir);
    delete open;
    return 0;
}

int Open(const char* path, fuse_file_info* fi) {
    if ((fi->flags & O_ACCMODE) != O_RDONLY) return -EROFS;
    int result = State().Vanished(path) ? -ENOENT : State().OpenFault(path);
    if (result == 0) {
        const int fd = ::open(State().Backing(path).c_str(), O_RDONLY | O_CLOEXEC);
        result = fd < 0 ? -errno : 0;
        fi->fh = static_cast<uint64_t>(fd);
    }
    fi->direct_io = 1;
    State().Trace("open", result, "-", path);
    return result;
}

int64_t ReadFully(int fd, char* buffer, size_t size, off_t offset) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, buffer + done, size - done, offset + off_t(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -errno;
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(done);
}

int Read(const char* path, char* buffer, size_t size, off_t offset, fuse_file_info* fi) {
    if (const int64_t ms = State().DelayFor(path); ms > 0) {
        // A request the kernel interrupts (its reader is being killed) ends early, as a driver
        // gives a command up for a dying process; otherwise the process could not end.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < until) {
            if (fuse_interrupted()) return -EINTR;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    while (State().Hangs(path)) {
        if (fuse_interrupted()) return -EINTR;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const std::string detail = std::to_string(offset) + ":" + std::to_string(size);
    if (const int fault = State().ReadFault(path, offset, int64_t(size)); fault != 0) {
        State().Trace("read", fault, detail, path);
        return fault;
    }
    const int64_t n = ReadFully(static_cast<int>(fi->fh), buffer, size, offset);
    State().Trace("read", static_cast<int>(n), detail, path);
    if (n > 0) State().AfterRead(path, offset + n);
    return static_cast<int>(n);
}

int Release(const char* /*path*/, fuse_file_info* fi) {
    ::close(static_cast<int>(fi->fh));
    return 0;
}

int StatFs(const char* path, struct statvfs* st) {
    return ::statvfs(State().Backing(path).c_str(), st) == 0 ? 0 : -errno;
}

fuse_operations Operations() {
    fuse_operations ops{};
    ops.init = Init;
    ops.getattr = GetAttr;
    ops.readlink = ReadLink;
    ops.opendir = OpenDirectory;
    ops.readdir = ReadDirectory;
    ops.releasedir = ReleaseDirectory;
    ops.open = Open;
    ops.read = Read;
    ops.release = Release;
    ops.statfs = StatFs;
    return ops;
}

int Usage() {
    std::fputs(
        "usage: vorlaxis-faultfs BACKING MOUNTPOINT [--config FILE] [--trace FILE] "
        "[FUSE options]\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    std::string config, trace;
    std::vector<char*> fuseArgs{argv[0], argv[2]};
    std::string options = "fsname=vorlaxis-faultfs,subtype=vorlaxis-faultfs,ro";
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--config" || arg == "--trace") && i + 1 < argc) {
            (arg == "--config" ? config : trace) = argv[++i];
        } else {
            fuseArgs.push_back(argv[i]);
        }
    }
    fuseArgs.push_back(const_cast<char*>("-o"));
    fuseArgs.push_back(options.data());
    FaultState state(argv[1], config, trace);
    const fuse_operations ops = Operations();
    return fuse_main(static_cast<int>(fuseArgs.size()), fuseArgs.data(), &ops, &state);
}
