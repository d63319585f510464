// Files and directories through the wide Windows calls. Every path goes through LongPath(), so
// names outside the ANSI code page and paths beyond 260 characters are reached as they are.
#include "platform/Files.h"

#include <windows.h>

#include <algorithm>

#include "platform/CopyFolderSystem.h"
#include "platform/win32/Wide.h"

namespace vorlaxis::platform {

using win32::LongPath;
using win32::ToUtf8;
using win32::ToWide;

char PathSeparator() {
    return '\\';
}

bool ForbiddenInFileName(char c) {
    return ForbiddenOnWindows(c);
}

// ---------------------------------------------------------------------------------------------
// Directory listing

struct DirSearch::Impl {
    HANDLE find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW data{};
    bool pending = false;  // `data` holds an entry not yet examined
    bool empty = false;    // the listing started but no name matched (an empty drive root)
    ListingFailure failure = ListingFailure::None;
    uint32_t mask = 0;
    std::string dir;
};

namespace {

// The bits an entry may only carry when the search asked for them.
constexpr DWORD kFilteredBits = kAttrHidden | kAttrSystem | kAttrVolumeLabel | kAttrDirectory;

bool Passes(DWORD attributes, uint32_t mask) {
    return (attributes & kFilteredBits & ~mask) == 0;
}

// What a failed FindFirstFileW or FindNextFileW says about the directory.
ListingFailure FailureOf(DWORD error) {
    switch (error) {
        case ERROR_ACCESS_DENIED:
            return ListingFailure::AccessDenied;
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_BUFFER_OVERFLOW:
            return ListingFailure::PathTooLong;
        default:
            return ListingFailure::Unreadable;
    }
}

// The longest path the wide calls take, in UTF-16 units with the "\\?\" prefix.
constexpr size_t kLongestPath = 32767;

}  // namespace

DirSearch::DirSearch(const std::string& dir, std::string_view pattern, uint32_t mask)
    : m_impl(std::make_unique<Impl>()) {
    m_impl->mask = mask;
    m_impl->dir = dir;
    const std::wstring query = LongPath(dir) + ToWide(pattern);
    m_impl->find = ::FindFirstFileW(query.c_str(), &m_impl->data);
    m_impl->pending = m_impl->find != INVALID_HANDLE_VALUE;
    if (m_impl->find != INVALID_HANDLE_VALUE) return;
    const DWORD error = ::GetLastError();
    // A drive root has no "." or "..": an empty one matches nothing, which is no failure.
    m_impl->empty = error == ERROR_FILE_NOT_FOUND;
    if (!m_impl->empty) m_impl->failure = FailureOf(error);
}

DirSearch::~DirSearch() {
    if (m_impl->find != INVALID_HANDLE_VALUE) ::FindClose(m_impl->find);
}

bool DirSearch::valid() const {
    return m_impl->find != INVALID_HANDLE_VALUE || m_impl->empty;
}

ListingFailure DirSearch::failure() const {
    return m_impl->failure;
}

bool DirSearch::next(DirEntry& entry) {
    if (m_impl->find == INVALID_HANDLE_VALUE) return false;
    for (;;) {
        if (!m_impl->pending && !::FindNextFileW(m_impl->find, &m_impl->data)) {
            // A listing that breaks off is no complete one: the entries after are unknown.
            const DWORD error = ::GetLastError();
            if (error != ERROR_NO_MORE_FILES) m_impl->failure = FailureOf(error);
            return false;
        }
        m_impl->pending = false;
        if (!Passes(m_impl->data.dwFileAttributes, m_impl->mask)) continue;
        entry.name = ToUtf8(m_impl->data.cFileName);
        entry.attributes = m_impl->data.dwFileAttributes;
        return true;
    }
}

// The size as for any path: the directory's own entries may lag behind a file being written.
int64_t DirSearch::listedSize(const std::string& name) const {
    return ListedFileSize(m_impl->dir + name);
}

bool PathTooLong(const std::string& path) {
    return LongPath(path).size() >= kLongestPath;
}

// ---------------------------------------------------------------------------------------------
// Reading

namespace {

HANDLE AsHandle(intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

// Read access while other programs may go on reading and writing the file.
HANDLE OpenForReading(const std::string& path) {
    return ::CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool ReadAll(HANDLE h, char* out, int64_t count, int64_t& done) {
    done = 0;
    while (done < count) {
        const DWORD want = static_cast<DWORD>(std::min<int64_t>(count - done, 1 << 30));
        DWORD got = 0;
        if (!::ReadFile(h, out + done, want, &got, nullptr)) return false;
        if (got == 0) break;
        done += got;
    }
    return true;
}

}  // namespace

bool InputFile::open(const std::string& path) {
    close();
    // A directory cannot be opened this way (no backup semantics), so it fails as it should.
    const HANDLE h = OpenForReading(path);
    if (h == INVALID_HANDLE_VALUE) return false;
    if (::GetFileType(h) != FILE_TYPE_DISK) {
        // A pipe or character device reached through a name on the medium is never read.
        ::CloseHandle(h);
        m_special = true;
        return true;
    }
    m_handle = reinterpret_cast<intptr_t>(h);
    return true;
}

void InputFile::willRead(int64_t /*count*/) {}

bool InputFile::willReadEvery(int64_t /*count*/, int64_t /*every*/, int64_t /*most*/) {
    return false;
}

int64_t InputFile::read(void* buffer, int64_t count) {
    if (m_special) return 0;
    if (m_handle == -1 || count < 0) return -1;
    int64_t done = 0;
    if (!ReadAll(AsHandle(m_handle), static_cast<char*>(buffer), count, done)) return -1;
    return done;
}

int64_t InputFile::position() {
    if (m_special) return 0;
    if (m_handle == -1) return -1;
    LARGE_INTEGER zero{};
    LARGE_INTEGER pos{};
    if (!::SetFilePointerEx(AsHandle(m_handle), zero, &pos, FILE_CURRENT)) return -1;
    return pos.QuadPart;
}

// No hints for the blocks ahead when every n-th block is read, unlike on Linux: the system's
// cache reads ahead for a handle opened without an access-pattern flag once its last reads
// show a pattern, a stride over unread blocks included.
bool InputFile::seek(int64_t position) {
    if (m_special) return true;
    if (m_handle == -1 || position < 0) return false;
    LARGE_INTEGER to{};
    to.QuadPart = position;
    return ::SetFilePointerEx(AsHandle(m_handle), to, nullptr, FILE_BEGIN) != 0;
}

void InputFile::close() {
    if (m_handle != -1) {
        ::CloseHandle(AsHandle(m_handle));
        m_handle = -1;
    }
    m_special = false;
}

bool InputFile::isOpen() const {
    return m_handle != -1 || m_special;
}

// A second handle of the same file, opened for overlapped reads: it has no file pointer, so
// its positioned reads on the helper thread never move the run's position.
bool InputFile::duplicate(InputFile& into) const {
    into.close();
    if (m_handle == -1) return false;
    const HANDLE h = ::ReOpenFile(AsHandle(m_handle), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_FLAG_OVERLAPPED);
    if (h == INVALID_HANDLE_VALUE) return false;
    into.m_handle = reinterpret_cast<intptr_t>(h);
    return true;
}

int64_t InputFile::readAt(int64_t offset, void* buffer, int64_t count) {
    if (m_special) return 0;
    if (m_handle == -1 || offset < 0 || count < 0) return -1;
    const HANDLE h = AsHandle(m_handle);
    auto* out = static_cast<char*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const auto at = static_cast<uint64_t>(offset + done);
        OVERLAPPED request{};
        request.Offset = static_cast<DWORD>(at);
        request.OffsetHigh = static_cast<DWORD>(at >> 32);
        const DWORD want = static_cast<DWORD>(std::min<int64_t>(count - done, 1 << 30));
        const BOOL started = ::ReadFile(h, out + done, want, nullptr, &request);
        DWORD error = started ? ERROR_SUCCESS : ::GetLastError();
        DWORD got = 0;
        // Only this thread waits on the handle: it is signalled when the read is done.
        if (error == ERROR_SUCCESS || error == ERROR_IO_PENDING) {
            error =
                ::GetOverlappedResult(h, &request, &got, TRUE) ? ERROR_SUCCESS : ::GetLastError();
        }
        if (error == ERROR_HANDLE_EOF) break;
        if (error != ERROR_SUCCESS) return -1;
        if (got == 0) break;
        done += got;
    }
    return done;
}

// A RAM disk is a driver of its own kind, not told apart here: the reading stays the helper's.
bool InputFile::livesInMemory() {
    return false;
}

bool InputFile::skipRead(int64_t count) {
    if (m_special) return true;
    const int64_t here = position();
    return here >= 0 && count >= 0 && seek(here + count);
}

intptr_t InputFile::release() {
    const intptr_t h = m_handle;
    m_handle = -1;
    m_special = false;
    return h;
}

// ---------------------------------------------------------------------------------------------
// Path queries

namespace {

bool Attributes(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    return !path.empty() &&
           ::GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data) != 0;
}

}  // namespace

int64_t ListedFileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!Attributes(path, data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return -1;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void ListedFileSizes(const std::string& /*dir*/, const std::vector<std::string>& paths,
                     std::vector<int64_t>& sizes) {
    sizes.clear();
    for (const std::string& path : paths) sizes.push_back(ListedFileSize(path));
}

bool IsDirectory(const std::string& path) {
    if (path.empty()) return false;
    const DWORD a = ::GetFileAttributesW(LongPath(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::string& path) {
    return !path.empty() && ::GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsSymbolicLink(const std::string& path) {
    if (path.empty()) return false;
    const DWORD a = ::GetFileAttributesW(LongPath(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
    return ::MoveFileExW(LongPath(from).c_str(), LongPath(to).c_str(), 0) != 0;
}

bool RemoveFile(const std::string& path) {
    return !path.empty() && ::DeleteFileW(LongPath(path).c_str()) != 0;
}

bool MakeDirectories(const std::string& path) {
    if (path.empty()) return false;
    if (IsDirectory(path)) return true;
    // Each leading part in turn; the parts that exist already (or are a drive or a share)
    // refuse quietly, the final check decides.
    for (size_t pos = path.find_first_of("\\/", 1); pos != std::string::npos;
         pos = path.find_first_of("\\/", pos + 1)) {
        ::CreateDirectoryW(LongPath(path.substr(0, pos)).c_str(), nullptr);
    }
    ::CreateDirectoryW(LongPath(path).c_str(), nullptr);
    return IsDirectory(path);
}

bool ReadWholeFile(const std::string& path, std::string& content) {
    content.clear();
    const HANDLE h = OpenForReading(path);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = ::GetFileType(h) == FILE_TYPE_DISK;
    char buffer[65536];
    for (int64_t got = 1; ok && got > 0;) {
        ok = ReadAll(h, buffer, sizeof buffer, got);
        if (ok) content.append(buffer, static_cast<size_t>(got));
    }
    ::CloseHandle(h);
    if (!ok) content.clear();
    return ok;
}

// ---------------------------------------------------------------------------------------------
// Writing

namespace {

bool WriteAll(HANDLE h, std::string_view data) {
    size_t done = 0;
    while (done < data.size()) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1 << 30));
        DWORD put = 0;
        if (!::WriteFile(h, data.data() + done, want, &put, nullptr) || put == 0) return false;
        done += put;
    }
    return true;
}

// Opens or creates the file and empties it. OPEN_ALWAYS rather than CREATE_ALWAYS: the latter
// refuses an existing hidden or system file, which the user may well have made of a settings
// file or a log.
// `alone`: a file that other hard links share is refused too.
HANDLE CreateEmptied(const std::wstring& path, DWORD flags, bool alone = false) {
    const HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) return h;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool plainFile = ::GetFileType(h) == FILE_TYPE_DISK &&
                           ::GetFileInformationByHandle(h, &info) &&
                           !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                           (!alone || info.nNumberOfLinks <= 1);
    if (!plainFile || !::SetEndOfFile(h)) {
        ::CloseHandle(h);
        return INVALID_HANDLE_VALUE;
    }
    return h;
}

}  // namespace

bool WriteWholeFile(const std::string& path, std::string_view content) {
    // A link in place of the file is written through, as the user asked.
    const HANDLE h = ::CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = ::SetEndOfFile(h) && WriteAll(h, content);
    return ::CloseHandle(h) && ok;
}

bool WriteNewFileDurably(const std::string& path, std::string_view content,
                         const std::string& temporary) {
    const HANDLE h = ::CreateFileW(LongPath(temporary).c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = WriteAll(h, content) && ::FlushFileBuffers(h);
    ok = ::CloseHandle(h) && ok;
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken; write-through
    // returns only once the new name is on the medium.
    if (ok && ::MoveFileExW(LongPath(temporary).c_str(), LongPath(path).c_str(),
                            MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    ::DeleteFileW(LongPath(temporary).c_str());
    return false;
}

bool OutputFile::create(const std::string& path) {
    close();
    const HANDLE h = CreateEmptied(LongPath(path), 0);
    if (h == INVALID_HANDLE_VALUE) return false;
    m_handle = reinterpret_cast<intptr_t>(h);
    return true;
}

bool OutputFile::createPrivate(const std::string& path) {
    close();
    // The link itself is opened, and refused: a planted link must not redirect the write.
    // The folder is the user's own temporary folder, whose permissions the file inherits.
    const HANDLE h = CreateEmptied(LongPath(path), FILE_FLAG_OPEN_REPARSE_POINT);
    if (h == INVALID_HANDLE_VALUE) return false;
    m_handle = reinterpret_cast<intptr_t>(h);
    return true;
}

bool OutputFile::createNoLink(const std::string& path) {
    close();
    // The link itself is opened and refused, as is a file that other names share.
    const HANDLE h = CreateEmptied(LongPath(path), FILE_FLAG_OPEN_REPARSE_POINT, true);
    if (h == INVALID_HANDLE_VALUE) return false;
    m_handle = reinterpret_cast<intptr_t>(h);
    return true;
}

bool OutputFile::write(std::string_view data) {
    return m_handle != -1 && WriteAll(AsHandle(m_handle), data);
}

bool OutputFile::close() {
    if (m_handle == -1) return true;
    const bool ok = ::CloseHandle(AsHandle(m_handle)) != 0;
    m_handle = -1;
    return ok;
}

bool OutputFile::isOpen() const {
    return m_handle != -1;
}

// ---------------------------------------------------------------------------------------------
// Times, attributes and folders

namespace {

// 100-nanosecond ticks from 1601 to 1970.
constexpr int64_t kEpochTicks = 116444736000000000;

}  // namespace

bool GetLastWriteTime(const std::string& path, int64_t& nanoseconds) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!Attributes(path, data)) return false;
    const int64_t ticks = (static_cast<int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                          data.ftLastWriteTime.dwLowDateTime;
    nanoseconds = (ticks - kEpochTicks) * 100;
    return true;
}

bool SetLastWriteTime(const std::string& path, int64_t nanoseconds) {
    // Backup semantics let the same call reach a folder.
    const HANDLE h = ::CreateFileW(LongPath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const int64_t ticks = nanoseconds / 100 + kEpochTicks;
    FILETIME ft{};
    ft.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFF);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    const bool ok = ::SetFileTime(h, nullptr, nullptr, &ft) != 0;
    ::CloseHandle(h);
    return ok;
}

bool IsReadOnlyFile(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return Attributes(path, data) && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
}

std::string ProgramFolder() {
    std::wstring module(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            ::GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
        if (n == 0) return ".\\";
        if (n < module.size()) {
            module.resize(n);
            break;
        }
        module.resize(module.size() * 2);  // cut short: ask again with room
    }
    const size_t sep = module.find_last_of(L"\\/");
    return sep == std::wstring::npos ? ".\\" : ToUtf8(module.substr(0, sep + 1));
}

std::string TempFolderParent() {
    const DWORD need = ::GetTempPathW(0, nullptr);
    if (need == 0) return {};
    std::wstring folder(need, L'\0');
    const DWORD n = ::GetTempPathW(need, folder.data());
    if (n == 0 || n >= need) return {};
    folder.resize(n);
    if (folder.back() != L'\\') folder += L'\\';
    return ToUtf8(folder);
}

std::string TempFolder() {
    if (const std::string* own = os::OwnTempFolder()) return *own;
    // The system's temporary folder as it is: it already belongs to the user.
    return TempFolderParent();
}

bool IsSpecialFile(const std::string& path) {
    // Devices and pipes have no attributes of a file; names such as "NUL" are the system's.
    const std::wstring wide = LongPath(path);
    const HANDLE h = ::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const DWORD type = ::GetFileType(h);
    ::CloseHandle(h);
    return type != FILE_TYPE_DISK;
}

namespace {

// The system's text for an error, without the line break it ends with.
std::string ErrorText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = n && text ? std::wstring(text, n) : std::wstring();
    if (text) ::LocalFree(text);
    while (!message.empty() &&
           (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ')) {
        message.pop_back();
    }
    if (message.empty()) return "Error " + std::to_string(error);
    return ToUtf8(message);
}

}  // namespace

bool ReadWholeFileWithReason(const std::string& path, std::string& content, std::string& reason) {
    reason.clear();
    if (ReadWholeFile(path, content)) return true;
    DWORD error = ::GetLastError();
    if (error == ERROR_SUCCESS) error = ERROR_READ_FAULT;  // no disk file (a pipe, a device)
    reason = ErrorText(error);
    return false;
}

bool GetFileIdentity(const std::string& path, FileIdentity& id) {
    // Backup semantics open a folder too; links and junctions are followed to their target.
    const HANDLE h = ::CreateFileW(LongPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = ::GetFileInformationByHandle(h, &info) != 0;
    ::CloseHandle(h);
    if (!ok) return false;
    id.device = info.dwVolumeSerialNumber;
    id.inode = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

void GetDirectoryIdentities(const std::string& dir, const std::vector<std::string>& names,
                            std::vector<std::optional<FileIdentity>>& ids) {
    ids.assign(names.size(), std::nullopt);
    for (size_t i = 0; i < names.size(); ++i) {
        FileIdentity id;
        if (GetFileIdentity(dir + names[i] + '\\', id)) ids[i] = id;
    }
}

bool StandardErrorIsTerminal() {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace vorlaxis::platform
