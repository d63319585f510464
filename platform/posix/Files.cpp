// Files and directories on Linux.
#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <stdio.h>  // renameat2
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/CopyFolderSystem.h"

namespace vorlaxis::platform {

char PathSeparator() {
    return '/';
}

bool ForbiddenInFileName(char c) {
    return c == '/' || c == '\0';
}

// ---------------------------------------------------------------------------------------------
// Directory listing

struct DirSearch::Impl {
    int dirFd = -1;
    uint32_t mask = 0;
    // Entries as the kernel hands them out, many at a time; `next` is the first not yet given.
    std::unique_ptr<char[]> buffer;
    size_t filled = 0;
    size_t next = 0;
    bool ended = false;
    ListingFailure failure = ListingFailure::None;
};

namespace {

// Bytes of entries fetched per system call: a directory of a few hundred names in one call.
constexpr size_t kListingBuffer = 32 * 1024;

// What a failed open or getdents64 says about the directory.
ListingFailure FailureOf(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return ListingFailure::AccessDenied;
        case ENAMETOOLONG:
            return ListingFailure::PathTooLong;
        default:
            return ListingFailure::Unreadable;
    }
}

// The size a listing reports: -1 for a directory, 0 for anything that is no regular file.
int64_t SizeOf(const struct stat& st) {
    if (S_ISDIR(st.st_mode)) return -1;
    if (!S_ISREG(st.st_mode)) return 0;
    return static_cast<int64_t>(st.st_size);
}

}  // namespace

DirSearch::DirSearch(const std::string& dir, std::string_view /*pattern*/, uint32_t mask)
    : m_impl(std::make_unique<Impl>()) {
    m_impl->mask = mask;
    // O_NONBLOCK and O_DIRECTORY: a name that is no directory must not be opened as a file.
    // The entries are fetched straight from the descriptor: the C library's directory stream
    // would look at it three more times per directory to learn what this open already says.
    const int fd = ::open(dir.empty() ? "." : dir.c_str(),
                          O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        m_impl->failure = FailureOf(errno);
        return;
    }
    m_impl->dirFd = fd;
    m_impl->buffer = std::make_unique_for_overwrite<char[]>(kListingBuffer);
}

DirSearch::~DirSearch() {
    if (m_impl->dirFd >= 0) ::close(m_impl->dirFd);
}

bool DirSearch::valid() const {
    return m_impl->dirFd >= 0;
}

ListingFailure DirSearch::failure() const {
    return m_impl->failure;
}

bool DirSearch::next(DirEntry& entry) {
    Impl& l = *m_impl;
    if (l.dirFd < 0) return false;
    for (;;) {
        if (l.next >= l.filled) {
            if (l.ended) return false;
            ssize_t n;
            do {
                n = ::getdents64(l.dirFd, l.buffer.get(), kListingBuffer);
            } while (n < 0 && errno == EINTR);
            if (n <= 0) {
                // A listing that breaks off is no complete one: the entries after are unknown.
                if (n < 0) l.failure = FailureOf(errno);
                l.ended = true;
                return false;
            }
            l.filled = static_cast<size_t>(n);
            l.next = 0;
        }
        const auto* d = reinterpret_cast<const dirent64*>(l.buffer.get() + l.next);
        l.next += d->d_reclen;
        uint32_t attributes = 0;
        bool isDir = d->d_type == DT_DIR;
        bool isLink = d->d_type == DT_LNK;
        struct stat st {};
        if (d->d_type == DT_UNKNOWN &&
            ::fstatat(l.dirFd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            isDir = S_ISDIR(st.st_mode);
            isLink = S_ISLNK(st.st_mode);
        }
        if (isLink) {
            // A link to a directory is walked like a directory; the walk guards loops.
            attributes |= kAttrReparsePoint;
            isDir = ::fstatat(l.dirFd, d->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        if (isDir) attributes |= kAttrDirectory;
        // Linux has no hidden, system or volume-label bits: only the directory bit filters.
        if ((attributes & kAttrDirectory) && !(l.mask & kAttrDirectory)) continue;
        entry.name = d->d_name;
        entry.attributes = attributes;
        return true;
    }
}

int64_t DirSearch::listedSize(const std::string& name) const {
    struct stat st {};
    if (m_impl->dirFd < 0 || ::fstatat(m_impl->dirFd, name.c_str(), &st, 0) != 0) return -1;
    return SizeOf(st);
}

bool PathTooLong(const std::string& path) {
    return path.size() >= PATH_MAX;
}

// ---------------------------------------------------------------------------------------------
// Reading

namespace {

// The kind of file system the file is on, asked once per file; 0 when the system does not say.
int64_t FileSystemOf(int fd, int64_t& known) {
    if (known < 0) {
        struct statfs fs {};
        known = ::fstatfs(fd, &fs) == 0 ? static_cast<int64_t>(fs.f_type) : 0;
    }
    return known;
}

// Blocks asked for ahead are read into the page cache. A user-space file system may serve the
// program's reads past that cache, and would then be asked for every such block twice.
bool HintsHelp(int fd, int64_t& known) {
    constexpr int64_t kFuseMagic = 0x65735546;
    const int64_t kind = FileSystemOf(fd, known);
    return kind != 0 && kind != kFuseMagic;
}

bool LivesInMemory(int fd, int64_t& known) {
    const int64_t kind = FileSystemOf(fd, known);
    return kind == TMPFS_MAGIC || kind == RAMFS_MAGIC;
}

// Pages already read are let go some way behind the reading. A test of a large medium would
// otherwise push everything else out of the page cache for data nobody reads again; and on a
// virtual machine, whose host may have taken its free memory back, reads that keep taking
// fresh pages were seen to run at a third of their pace, where reused pages keep it. The last
// stretch is kept, as the system may still be adding those pages to its lists and would have
// to stop every processor to let them go. Reading every n-th block, which keeps only an n-th
// of the data anyway, nothing is let go: its pages come one block at a time, and letting go of
// those cost as much as a quarter of the run. A memory file system's pages are the file itself,
// and a user-space one is left to read as it is asked.
constexpr int64_t kLetGoLag = 4 * 1024 * 1024;
constexpr int64_t kLetGoAlign = 64 * 1024;  // whole pages, whatever their size

void LetGoBehind(int fd, int64_t end, bool everyNth, int64_t& letGoTo, int64_t& fileSystem) {
    if (everyNth || end - letGoTo < 2 * kLetGoLag) return;
    if (!HintsHelp(fd, fileSystem) || LivesInMemory(fd, fileSystem)) return;
    const int64_t to = (end - kLetGoLag) / kLetGoAlign * kLetGoAlign;
    ::posix_fadvise(fd, static_cast<off_t>(letGoTo), static_cast<off_t>(to - letGoTo),
                    POSIX_FADV_DONTNEED);
    letGoTo = to;
}

}  // namespace

bool InputFile::open(const std::string& path) {
    close();
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;  // missing or a dangling link
    if (S_ISDIR(st.st_mode)) return false;
    if (!S_ISREG(st.st_mode)) {
        // FIFOs, sockets and device nodes are never opened: opening can block or act on a
        // device of this machine. They count as readable and empty.
        m_special = true;
        return true;
    }
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    struct stat fst {};
    if (::fstat(fd, &fst) != 0 || !S_ISREG(fst.st_mode)) {
        // Swapped for something else between the two looks.
        ::close(fd);
        if (S_ISDIR(fst.st_mode)) return false;
        m_special = true;
        return true;
    }
    // A media test must read the medium, not memory (an empty file has no pages to let go).
    // Sequential reading widens the system's read-ahead, which a file within its usual window
    // does not need: a call saved per file.
    constexpr off_t kUsualReadAhead = 128 * 1024;
    if (fst.st_size > 0) ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    if (fst.st_size > kUsualReadAhead) ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    m_handle = fd;
    m_pattern = {};
    m_pattern.size = fst.st_size;
    return true;
}

void InputFile::willRead(int64_t count) {
    if (m_handle >= 0 && count > 0)
        ::posix_fadvise(static_cast<int>(m_handle), 0, static_cast<off_t>(count),
                        POSIX_FADV_WILLNEED);
}

int64_t InputFile::read(void* buffer, int64_t count) {
    if (m_special) return 0;
    if (m_handle < 0) return -1;
    if (m_pattern.systemBehind) {
        if (::lseek(static_cast<int>(m_handle), static_cast<off_t>(m_pattern.offset), SEEK_SET) < 0)
            return -1;
        m_pattern.systemBehind = false;
    }
    auto* out = static_cast<char*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const ssize_t n =
            ::read(static_cast<int>(m_handle), out + done, static_cast<size_t>(count - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            m_pattern.offset += done;  // what was read before the failure moved the position
            m_pattern.lastRead = 0;
            return -1;
        }
        if (n == 0) break;
        done += n;
    }
    m_pattern.offset += done;
    m_pattern.lastRead = done;
    LetGoBehind(static_cast<int>(m_handle), m_pattern.offset, m_pattern.stride != 0,
                m_pattern.letGoTo, m_pattern.fileSystem);
    return done;
}

int64_t InputFile::position() {
    if (m_special) return 0;
    if (m_handle < 0) return -1;
    // Only this object's calls move the position (a duplicate reads at positions of its own),
    // so it is known without asking the system between every two blocks.
    return m_pattern.offset;
}

namespace {

// Blocks asked for ahead of the one being read when every n-th block is read: enough to keep
// the medium busy while a block is summed, few enough to stay a small share of memory. A medium
// that answers fast is asked for as many more as it reads in about kHintTime (a disk that its
// host caches serves many requests at once), but never more: a stop must not leave a slow drive
// busy for long with blocks nobody reads.
constexpr int64_t kHintBlocks = 32;
constexpr int64_t kHintBytes = 2 * 1024 * 1024;
constexpr int64_t kMostHintBlocks = 512;
constexpr int64_t kMostHintBytes = 32 * 1024 * 1024;
constexpr int64_t kHintTime = 100'000'000;  // nanoseconds

int64_t SteadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Blocks to ask for ahead, from how soon the medium has been delivering one after another.
int64_t HintDepth(int64_t block, int64_t moveGap) {
    const int64_t least = std::max<int64_t>(1, std::min(kHintBlocks, kHintBytes / block));
    if (moveGap <= 0) return least;
    const int64_t most = std::min(kMostHintBlocks, kMostHintBytes / block);
    return std::clamp(kHintTime / moveGap, least, std::max(least, most));
}

// Asks for the blocks of `block` bytes every `stride` bytes after the one at `hintedTo`, up to
// the one at `last`. Blocks past the end the file had when opened are not asked for: nothing
// is there.
void AskUpTo(int fd, int64_t last, int64_t stride, int64_t block, int64_t size, int64_t& hintedTo) {
    while (hintedTo < last && hintedTo + stride < size) {
        hintedTo += stride;
        ::posix_fadvise(fd, static_cast<off_t>(hintedTo), static_cast<off_t>(block),
                        POSIX_FADV_WILLNEED);
    }
}

}  // namespace

bool InputFile::willReadEvery(int64_t count, int64_t every, int64_t most) {
    ReadPattern& p = m_pattern;
    if (m_handle < 0 || count <= 0 || every <= count) return false;
    const int fd = static_cast<int>(m_handle);
    if (p.stride != every) {
        if (!HintsHelp(fd, p.fileSystem)) return false;
        // As a first move past blocks would; the pace of the moves is not known yet.
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
        p.stride = every;
        p.hintedTo = -every;
    }
    // A file opened ahead asked for some already: the rest, up to what is asked now.
    const int64_t ahead = std::min(most, HintDepth(count, 0));
    AskUpTo(fd, (ahead - 1) * every, every, count, p.size, p.hintedTo);
    return true;
}

bool InputFile::seek(int64_t position) {
    if (m_special) return true;
    if (m_handle < 0 || position < 0) return false;
    const int fd = static_cast<int>(m_handle);
    // Told to the system when a read of this handle needs it (every n-th block is read at
    // its position through the helper, and never needs it).
    m_pattern.systemBehind = true;

    // A forward move straight after a read passes over blocks. Read one by one, each block
    // would wait for the medium in turn; asking for the next few blocks of the same pattern keeps
    // the medium busy while one is summed. The system's own read-ahead cannot know which
    // stretches are passed over, so it is switched off while the pattern holds.
    ReadPattern& p = m_pattern;
    const int64_t block = p.lastRead;
    const int64_t readStart = p.offset - block;
    if (block > 0 && position > p.offset && HintsHelp(fd, p.fileSystem)) {
        const int64_t stride = position - readStart;
        const int64_t now = SteadyNanoseconds();
        if (stride != p.stride) {
            if (p.stride == 0) ::posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
            p.stride = stride;
            p.hintedTo = position - stride;
            p.moveGap = 0;
        } else if (p.movedAt != 0) {
            const int64_t gap = now - p.movedAt;
            p.moveGap = p.moveGap == 0 ? gap : (3 * p.moveGap + gap) / 4;
        }
        p.movedAt = now;
        const int64_t ahead = HintDepth(block, p.moveGap);
        AskUpTo(fd, position + (ahead - 1) * stride, stride, block, p.size, p.hintedTo);
    } else if (p.stride != 0) {
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        p.stride = 0;
    }
    p.offset = position;
    p.lastRead = 0;
    return true;
}

void InputFile::close() {
    if (m_handle >= 0) {
        // The rest of a file whose pages were being let go.
        if (m_pattern.letGoTo > 0) {
            ::posix_fadvise(static_cast<int>(m_handle), static_cast<off_t>(m_pattern.letGoTo), 0,
                            POSIX_FADV_DONTNEED);
        }
        ::close(static_cast<int>(m_handle));
        m_handle = -1;
    }
    m_special = false;
    m_pattern = {};
}

bool InputFile::isOpen() const {
    return m_handle >= 0 || m_special;
}

bool InputFile::duplicate(InputFile& into) const {
    into.close();
    if (m_handle < 0) return false;
    const int fd = ::fcntl(static_cast<int>(m_handle), F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return false;
    into.m_handle = fd;
    into.m_pattern = m_pattern;
    return true;
}

int64_t InputFile::readAt(int64_t offset, void* buffer, int64_t count) {
    if (m_special) return 0;
    if (m_handle < 0 || offset < 0) return -1;
    auto* out = static_cast<char*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const ssize_t n =
            ::pread(static_cast<int>(m_handle), out + done, static_cast<size_t>(count - done),
                    static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += n;
    }
    LetGoBehind(static_cast<int>(m_handle), offset + done, m_pattern.stride != 0, m_pattern.letGoTo,
                m_pattern.fileSystem);
    return done;
}

bool InputFile::livesInMemory() {
    if (m_special || m_handle < 0) return false;
    return LivesInMemory(static_cast<int>(m_handle), m_pattern.fileSystem);
}

bool InputFile::skipRead(int64_t count) {
    if (m_special) return true;
    if (m_handle < 0 || count < 0) return false;
    // The system's position is set only when a read of this handle needs it: a file read
    // through its duplicate would otherwise cost a call per block.
    m_pattern.offset += count;
    m_pattern.lastRead = count;
    m_pattern.systemBehind = true;
    return true;
}

intptr_t InputFile::release() {
    if (m_handle >= 0 && m_pattern.systemBehind) {
        ::lseek(static_cast<int>(m_handle), static_cast<off_t>(m_pattern.offset), SEEK_SET);
    }
    const intptr_t h = m_handle;
    m_handle = -1;
    m_special = false;
    m_pattern = {};
    return h;
}

// ---------------------------------------------------------------------------------------------
// Path queries

int64_t ListedFileSize(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return -1;
    return SizeOf(st);
}

void ListedFileSizes(const std::string& dir, const std::vector<std::string>& paths,
                     std::vector<int64_t>& sizes) {
    sizes.assign(paths.size(), -1);
    // Each name from the directory: the path up to it is walked once, not once per file.
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        struct stat st {};
        if (fd < 0 || path.size() <= dir.size() || path.compare(0, dir.size(), dir) != 0) {
            sizes[i] = ListedFileSize(path);
        } else if (::fstatat(fd, path.c_str() + dir.size(), &st, 0) == 0) {
            sizes[i] = SizeOf(st);
        }
    }
    if (fd >= 0) ::close(fd);
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool IsSymbolicLink(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the flag: a second link fails as well when the name is taken.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool MakeDirectories(const std::string& path) {
    if (path.empty()) return false;
    if (IsDirectory(path)) return true;
    std::string partial;
    size_t pos = 0;
    while (pos <= path.size()) {
        const size_t slash = path.find('/', pos);
        const size_t end = slash == std::string::npos ? path.size() : slash;
        partial = path.substr(0, end);
        if (!partial.empty() && !IsDirectory(partial)) {
            if (::mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST) return false;
        }
        if (slash == std::string::npos) break;
        pos = slash + 1;
    }
    return IsDirectory(path);
}

bool ReadWholeFile(const std::string& path, std::string& content) {
    content.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        content.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

namespace {

bool WriteAll(int fd, std::string_view data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool WriteWholeFile(const std::string& path, std::string_view content) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) return false;
    const bool ok = WriteAll(fd, content);
    return (::close(fd) == 0) && ok;
}

bool WriteNewFileDurably(const std::string& path, std::string_view content,
                         const std::string& temporary) {
    const int fd = ::open(temporary.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, content) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || !RenameNoReplace(temporary, path)) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The new name lives in the folder: it is durable once the folder is.
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return false;
    // Some file systems cannot flush a folder at all; they say so with EINVAL.
    const bool flushed = ::fsync(dir) == 0 || errno == EINVAL;
    ::close(dir);
    return flushed;
}

bool OutputFile::create(const std::string& path) {
    close();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) return false;
    m_handle = fd;
    return true;
}

// Opens `path` for writing without following a link at the name and without emptying it, and
// lets `accept` examine what was opened; -1 when either refuses. O_NONBLOCK: a FIFO without a
// reader is refused instead of waited for.
template <class Accept>
int OpenUnfollowed(const std::string& path, mode_t mode, Accept accept) {
    const int fd = ::open(
        path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, mode);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !accept(fd, st)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool OutputFile::createPrivate(const std::string& path) {
    close();
    const int fd = OpenUnfollowed(path, 0600, [](int opened, const struct stat& st) {
        return S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && ::ftruncate(opened, 0) == 0;
    });
    if (fd < 0) return false;
    ::fchmod(fd, 0600);
    m_handle = fd;
    return true;
}

bool OutputFile::createNoLink(const std::string& path) {
    close();
    // A regular file with other names would change under them too; anything else (a device
    // the user named) is written as it is.
    const int fd = OpenUnfollowed(path, 0666, [](int opened, const struct stat& st) {
        return !S_ISREG(st.st_mode) || (st.st_nlink <= 1 && ::ftruncate(opened, 0) == 0);
    });
    if (fd < 0) return false;
    m_handle = fd;
    return true;
}

bool OutputFile::write(std::string_view data) {
    if (m_handle < 0) return false;
    return WriteAll(static_cast<int>(m_handle), data);
}

bool OutputFile::close() {
    if (m_handle < 0) return true;
    const int rc = ::close(static_cast<int>(m_handle));
    m_handle = -1;
    return rc == 0;
}

bool OutputFile::isOpen() const {
    return m_handle >= 0;
}

bool GetLastWriteTime(const std::string& path, int64_t& nanoseconds) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    nanoseconds = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

bool SetLastWriteTime(const std::string& path, int64_t nanoseconds) {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(nanoseconds / 1000000000);
    times[1].tv_nsec = static_cast<long>(nanoseconds % 1000000000);
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool IsReadOnlyFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    // Root may write anything; the owner's write bit is what a user means by read-only.
    return (st.st_mode & S_IWUSR) == 0 || ::access(path.c_str(), W_OK) != 0;
}

std::string ProgramFolder() {
    char buffer[PATH_MAX + 1];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0) return "./";
    std::string path(buffer, static_cast<size_t>(n));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

namespace {

// A private folder is usable when it is a real directory (no link), owned by this user and
// writable by nobody else.
bool IsSafePrivateFolder(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 0022) == 0;
}

// A private folder of this user's named "vorlaxis-<uid>-XXXXXX" in `base`: one left by an
// earlier run is taken again (no new folder at every run), else a fresh one is made.
std::string FreshPrivateFolder(const std::string& base, const std::string& prefix) {
    if (DIR* dir = ::opendir(base.c_str())) {
        std::string found;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() == prefix.size() + 6 && name.rfind(prefix, 0) == 0 &&
                IsSafePrivateFolder(base + "/" + name)) {
                found = base + "/" + name;
                break;
            }
        }
        ::closedir(dir);
        if (!found.empty()) return found;
    }
    std::string pattern = base + "/" + prefix + "XXXXXX";
    if (!::mkdtemp(pattern.data()) || !IsSafePrivateFolder(pattern)) return {};
    return pattern;
}

}  // namespace

std::string TempFolderParent() {
    std::string base = "/tmp";
    if (const char* env = std::getenv("TMPDIR"); env && *env && IsDirectory(env)) base = env;
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return base;
}

std::string TempFolder() {
    if (const std::string* own = os::OwnTempFolder()) return *own;
    const std::string base = TempFolderParent();
    const std::string prefix = "vorlaxis-" + std::to_string(::geteuid());
    const std::string folder = base + "/" + prefix;
    if ((::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) && IsSafePrivateFolder(folder)) {
        return folder + "/";
    }
    // The usual name is taken by what is not ours (another user's folder, a link, a folder
    // others may write to): never used. The fresh folder is kept for the process, so every
    // log of the run lies in one place.
    static std::mutex lock;
    static std::map<std::string, std::string> fresh;  // by parent: TMPDIR may change
    const std::lock_guard<std::mutex> hold(lock);
    std::string& mine = fresh[base];
    if (mine.empty() || !IsSafePrivateFolder(mine)) mine = FreshPrivateFolder(base, prefix + "-");
    return mine.empty() ? std::string() : mine + "/";
}

bool IsSpecialFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

namespace os {

std::string CopyFoldersParent() {
    return TempFolder();  // private to this user already
}

bool MakeOwnFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    return IsSafePrivateFolder(folder);
}

intptr_t TakeLock(const std::string& lockFile) {
    // Close-on-exec: a viewer started from the program must not keep its lock after it ends.
    const int fd =
        ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void ReleaseLock(intptr_t lock) {
    ::close(static_cast<int>(lock));
}

}  // namespace os

bool GetFileIdentity(const std::string& path, FileIdentity& id) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
    id.device = static_cast<uint64_t>(st.st_dev);
    id.inode = static_cast<uint64_t>(st.st_ino);
    return true;
}

void GetDirectoryIdentities(const std::string& dir, const std::vector<std::string>& names,
                            std::vector<std::optional<FileIdentity>>& ids) {
    ids.assign(names.size(), std::nullopt);
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    for (size_t i = 0; i < names.size(); ++i) {
        // The trailing "/" takes directories only, as the path with its separator does.
        struct stat st {};
        if (!names[i].empty() && ::fstatat(fd, (names[i] + '/').c_str(), &st, 0) == 0) {
            ids[i] =
                FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
        }
    }
    ::close(fd);
}

bool StandardErrorIsTerminal() {
    return ::isatty(2) == 1;
}

}  // namespace vorlaxis::platform
