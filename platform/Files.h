// Files and directories as the core sees them: listing with an attribute filter, reading with
// 64-bit positions, whole-file text I/O and the few folder queries the program needs.
// Paths are UTF-8 on Windows and the kernel's bytes on Linux; every call reports failure as a
// value and never throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorlaxis::platform {

// The path separator of this platform: '\\' on Windows, '/' on Linux.
char PathSeparator();

// True for a byte Windows forbids in a file name: \ / : * ? " < > | (a ":" would name an
// alternate data stream) and control characters. Names meant for both systems avoid them.
inline bool ForbiddenOnWindows(char c) {
    return static_cast<unsigned char>(c) < 0x20 ||
           std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
}

// True for a byte that may not stand in a file name here: "/" and NUL on Linux, on Windows
// ForbiddenOnWindows().
bool ForbiddenInFileName(char c);

// Attribute bits of a directory entry, as the Windows listing reports them.
enum Attribute : uint32_t {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrSystem = 0x04,
    kAttrVolumeLabel = 0x08,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
    // A symbolic link (on Windows also a junction): the entry stands for what it leads to.
    kAttrReparsePoint = 0x400,
};

// The walk asks for every entry; the file listing for every entry except directories.
constexpr uint32_t kMaskWalk = 0x3F;
constexpr uint32_t kMaskFiles = 0x2F;

struct DirEntry {
    std::string name;
    uint32_t attributes = 0;
};

// True for an entry that a listing of files takes: no directory, nor "." or "..".
inline bool IsFileEntry(const DirEntry& entry) {
    return (entry.attributes & kAttrDirectory) == 0 && entry.name != "." && entry.name != "..";
}

// Why a listing could not start or broke off before its end. Unreadable is the medium's
// failure (an I/O error, also midway); the other two are no damage, only nothing was listed.
enum class ListingFailure : uint8_t { None, Unreadable, AccessDenied, PathTooLong };

// A directory listing with find-first/find-next semantics. Entries carrying a hidden, system,
// volume-label or directory bit that the mask lacks are skipped by the search itself.
// "." and ".." are delivered where the platform lists them; callers pass over them.
class DirSearch {
  public:
    // `dir` ends in the separator; `pattern` is "*.*" or "*" (every name).
    DirSearch(const std::string& dir, std::string_view pattern, uint32_t mask);
    ~DirSearch();
    DirSearch(const DirSearch&) = delete;
    DirSearch& operator=(const DirSearch&) = delete;

    // False when the listing could not start (missing, denied, path too long).
    bool valid() const;
    // The next delivered entry; false at the end of the listing or on a listing error.
    bool next(DirEntry& entry);
    // Why the listing did not start, or why next() ended it early; None at a complete end.
    ListingFailure failure() const;
    // ListedFileSize() of the entry `name` of this directory, looked up in the directory the
    // search holds open: the path to it is not walked again.
    int64_t listedSize(const std::string& name) const;

    // Exchanges the listings of two searches (another thread may then go on with one).
    void swap(DirSearch& other) noexcept { m_impl.swap(other.m_impl); }

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// A file opened for the test: read access, others may read and write it meanwhile.
// On Linux a name that is not a regular file (FIFO, socket, device node) is never opened:
// open() succeeds and the file behaves as an empty one. A directory or a name that cannot be
// examined fails. Before reading, the file's cached pages are dropped so the medium is read.
// Whether readAt() on the handle open() gave also leaves that handle's position alone: POSIX's
// positioned read does, while Windows moves a synchronous handle's pointer past what it read.
// And whether willRead() asks the medium for anything: a synchronous Windows handle has no
// way to ask for bytes without waiting for them.
#ifdef _WIN32
inline constexpr bool kReadAtLeavesPosition = false;
inline constexpr bool kAsksAhead = false;
#else
inline constexpr bool kReadAtLeavesPosition = true;
inline constexpr bool kAsksAhead = true;
#endif

class InputFile {
  public:
    InputFile() = default;
    ~InputFile() { close(); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    InputFile(InputFile&& other) noexcept { swap(other); }
    InputFile& operator=(InputFile&& other) noexcept {
        if (this != &other) {
            close();
            swap(other);
        }
        return *this;
    }

    bool open(const std::string& path);
    // Asks the medium for the first `count` bytes of the file just opened, without waiting for
    // them: the reads that follow find them on their way (where kAsksAhead; else nothing).
    void willRead(int64_t count);
    // Asks the medium, without waiting, for the first blocks of `count` bytes that start `every`
    // bytes apart from the start, where every n-th block of the file just opened is read next:
    // at most `most`, and no more than the first move past blocks would ask for, but before the
    // first block is read. False where nothing was asked (see kAsksAhead; a file system served
    // in user space is read only as it is asked).
    bool willReadEvery(int64_t count, int64_t every, int64_t most);
    // Reads up to `count` bytes into `buffer`, retrying interruptions and short reads until
    // `count` bytes, the end of the file, or an error. Returns the bytes delivered (fewer than
    // `count` only at the end of the file, 0 at or past it), or -1 on a read error.
    int64_t read(void* buffer, int64_t count);
    // The current position, or -1 on failure.
    int64_t position();
    // Sets the position from the start of the file; false on failure.
    bool seek(int64_t position);
    // Closing twice is harmless; the result of the close is not reported.
    void close();
    bool isOpen() const;

    // A second handle to the same open file in `into`, for readAt() on another thread while
    // this one goes on; false where the platform offers none or the file is not open.
    bool duplicate(InputFile& into) const;
    // Reads like read() from `offset`, on a handle that duplicate() gave; the position of the
    // file it was duplicated from stays where it is. (On the handle open() gave, see
    // kReadAtLeavesPosition.)
    int64_t readAt(int64_t offset, void* buffer, int64_t count);
    // Whether the file system keeps the file in memory (tmpfs, ramfs): no read of it can wait
    // for a medium. Pages a disk's file system holds could be read without waiting too, but
    // reads of them beside the helper's would break up the system's read-ahead of the file.
    bool livesInMemory();
    // Moves the position on by `count` bytes as reading them would (they were read through a
    // duplicate); false on failure.
    bool skipRead(int64_t count);

    // Hands over the descriptor (or handle) so that another owner closes it; -1 when none.
    intptr_t release();

    // Exchanges the open files of two objects (another thread may then go on with one).
    void swap(InputFile& other) noexcept {
        std::swap(m_handle, other.m_handle);
        std::swap(m_special, other.m_special);
        std::swap(m_pattern, other.m_pattern);
    }

  private:
    // How the file is being read, kept so that reads of every n-th block can ask the medium for
    // the blocks still to come rather than wait for each in turn.
    struct ReadPattern {
        int64_t offset = 0;       // the position: where the next read starts
        int64_t lastRead = 0;     // bytes of the last read
        int64_t stride = 0;       // distance between the starts of read blocks; 0 while reading on
        int64_t hintedTo = 0;     // start of the furthest block already asked for
        int64_t movedAt = 0;      // steady-clock nanoseconds of the last move past blocks
        int64_t moveGap = 0;      // usual nanoseconds from one such move to the next
        int64_t size = 0;         // of the file when it was opened
        int64_t fileSystem = -1;  // its kind as the system names it; 0 unknown, -1 not asked yet
        int64_t letGoTo = 0;      // the cached pages before it have been let go after reading
        bool systemBehind = false;  // moved past bytes read elsewhere; the system not told yet
    };

    intptr_t m_handle = -1;
    bool m_special = false;  // stands for a non-regular file that is never read
    ReadPattern m_pattern;
};

// Size as the listing reports it: the 64-bit size, 0 for an entry that is no regular file on
// Linux, -1 when the name cannot be found or names a directory.
int64_t ListedFileSize(const std::string& path);
// ListedFileSize() of each of `paths` (each `dir` followed by a name) into `sizes`, the
// directory looked up once for all of them.
void ListedFileSizes(const std::string& dir, const std::vector<std::string>& paths,
                     std::vector<int64_t>& sizes);

// How a listing of files went beyond the names it delivered.
struct ListingOutcome {
    ListingFailure failure = ListingFailure::None;
    int64_t pastLimit = 0;  // files listed after the limit was reached: counted, not kept
};

// The files of `dir` (IsFileEntry) in listing order, at most `limit`, as dir + name in `paths`
// and their ListedFileSize() in `sizes`, asked once the names are listed: one look-up of the
// directory for both. The files past the limit are counted in `outcome`. False when `dir`
// cannot be listed; true with the failure in `outcome` when the listing broke off.
bool ListFilesWithSizes(const std::string& dir, size_t limit, std::vector<std::string>& paths,
                        std::vector<int64_t>& sizes, ListingOutcome& outcome);

// True when `path` is longer than this platform can open by its full name (PATH_MAX on Linux).
bool PathTooLong(const std::string& path);

// True when `path` names an existing directory (after following links).
bool IsDirectory(const std::string& path);

// True when `path` names an existing entry of any kind (a dangling link counts as missing).
bool Exists(const std::string& path);

// True when the entry at `path` is itself a symbolic link (on Windows any reparse point, a
// junction too), whatever it leads to.
bool IsSymbolicLink(const std::string& path);

// Deletes a file; false when it does not exist or cannot be deleted.
bool RemoveFile(const std::string& path);

// Gives the file `from` the name `to`, never replacing a file that has that name already; false
// when refused or when `to` exists.
bool RenameNoReplace(const std::string& from, const std::string& to);

// Creates the folder and its missing parents; true when it exists afterwards.
bool MakeDirectories(const std::string& path);

// Reads a whole file into `content`; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& content);

// Reads a whole file like ReadWholeFile; when it fails, `reason` gets the system's text for the
// failure ("No such file or directory"), for messages that name it.
bool ReadWholeFileWithReason(const std::string& path, std::string& content, std::string& reason);

// Replaces the content of `path` with `content` (creating it when missing). A symbolic link in
// place of the file is written through as the user asked; false when refused.
bool WriteWholeFile(const std::string& path, std::string_view content);

// Writes `content` to the new file `temporary`, flushes it to the medium, gives it the name `path`
// (never replacing a file of that name) and flushes the folder, so that after a crash or a power
// loss `path` is either whole or absent. False when any step fails; no temporary file is left
// then, nor when `temporary` existed already (it is not touched).
bool WriteNewFileDurably(const std::string& path, std::string_view content,
                         const std::string& temporary);

// A file created for writing (truncated when it exists). createPrivate() refuses to follow a
// symbolic link at the final name and gives the file to this user only. createNoLink() never
// writes through a link: a symbolic link at the final name, or a file that has other hard
// links, is refused and left as it is.
class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile() { close(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool create(const std::string& path);
    bool createPrivate(const std::string& path);
    bool createNoLink(const std::string& path);
    // All bytes or false.
    bool write(std::string_view data);
    // False when the close reported an error (data may be lost).
    bool close();
    bool isOpen() const;

  private:
    intptr_t m_handle = -1;
};

// Last-write time as nanoseconds since 1970; false when it cannot be read or set.
bool GetLastWriteTime(const std::string& path, int64_t& nanoseconds);
bool SetLastWriteTime(const std::string& path, int64_t nanoseconds);

// True when the file exists and cannot be written by this user (read-only attribute or mode).
bool IsReadOnlyFile(const std::string& path);

// The folder of the running program file, with a trailing separator.
std::string ProgramFolder();

// The temporary folder for this user's logs, with a trailing separator. On Linux a private
// folder inside TempFolderParent(), "vorlaxis-<uid>", created with mode 0700 and used only when
// it is a real directory owned by this user and not writable by others; when something else
// has that name (another user's folder, a link), a fresh private folder "vorlaxis-<uid>-XXXXXX"
// of this user's is taken instead, the same for the rest of the process. Empty only when no
// private folder can be made there.
std::string TempFolder();

// Where TempFolder() makes its folder: $TMPDIR (or /tmp) on Linux, the system's temporary
// folder on Windows.
std::string TempFolderParent();

// True when `path` exists and is neither a regular file nor a directory (a FIFO, a device):
// opening it may wait for another program or act on a device.
bool IsSpecialFile(const std::string& path);

// Which file a path leads to (links followed): device and inode on Linux. The walk uses it to
// tell a directory link that leads back to a directory already on its path.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};
// False when the path cannot be examined.
bool GetFileIdentity(const std::string& path, FileIdentity& id);
// GetFileIdentity() of the directory dir + name + separator for each of `names` into `ids`
// (none where it cannot be examined), `dir` looked up once for all of them.
void GetDirectoryIdentities(const std::string& dir, const std::vector<std::string>& names,
                            std::vector<std::optional<FileIdentity>>& ids);

// True when the process's standard error is a terminal (progress is shown only there).
bool StandardErrorIsTerminal();

}  // namespace vorlaxis::platform
