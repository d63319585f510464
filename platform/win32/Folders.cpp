// The program's folder, the user's folders and the copies' temporary folders on Windows.
#include "platform/Folders.h"

#include <windows.h>
// The known folders; after windows.h.
#include <shlobj.h>

#include "platform/CopyFolderSystem.h"
#include "platform/Files.h"
#include "platform/win32/Wide.h"

namespace vorlaxis::platform {

using win32::LongPath;
using win32::ToUtf8;

bool ProgramFolderIsWritable(const std::string& folder) {
    if (folder.empty()) return false;
    const std::string dir = folder.back() == '\\' ? folder : folder + "\\";
    const std::string probe =
        dir + "vorlaxis-probe-" + std::to_string(::GetCurrentProcessId()) + ".tmp";
    // Removed by the system as soon as it is closed.
    const HANDLE h = ::CreateFileW(
        LongPath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(h);
    return true;
}

std::string UserConfigFolder() {
    PWSTR roaming = nullptr;
    std::string folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &roaming)) &&
        roaming && *roaming) {
        folder = ToUtf8(roaming);
        if (folder.back() != '\\') folder += '\\';
        folder += "Vorlaxis\\";
    }
    ::CoTaskMemFree(roaming);
    return folder;
}

std::string UserDataFolder() {
    return UserConfigFolder();
}

namespace os {

std::string CopyFoldersParent() {
    const std::string temp = TempFolder();
    if (temp.empty()) return {};
    const std::string parent = temp + "Vorlaxis\\";
    return MakeDirectories(parent) ? parent : std::string();
}

bool MakeOwnFolder(const std::string& folder) {
    ::CreateDirectoryW(LongPath(folder).c_str(), nullptr);
    const DWORD a = ::GetFileAttributesW(LongPath(folder).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) &&
           !(a & FILE_ATTRIBUTE_REPARSE_POINT);
}

intptr_t TakeLock(const std::string& lockFile) {
    // Shared with nobody: while this handle is open no other process can open the file. The
    // handle is not inherited by programs started from here.
    const HANDLE h = ::CreateFileW(LongPath(lockFile).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                   nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<intptr_t>(h);
}

void ReleaseLock(intptr_t lock) {
    ::CloseHandle(reinterpret_cast<HANDLE>(lock));
}

}  // namespace os

}  // namespace vorlaxis::platform
