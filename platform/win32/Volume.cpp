// Volume identity and eject on Windows.
#include "platform/Volume.h"

#include <windows.h>
#include <winioctl.h>

#include "platform/win32/Wide.h"

namespace vorlaxis::platform {
namespace {

// The root of the volume that holds `path` ("D:\", "\\server\share\", a mounted folder), found
// by the system so that a folder on a drive is as good as the drive's root.
std::wstring VolumeRoot(const std::string& path) {
    std::wstring wide = win32::ToWide(path);
    if (wide.size() >= MAX_PATH - 1) wide = win32::LongPath(path);
    wchar_t root[MAX_PATH + 1] = {};
    if (!::GetVolumePathNameW(wide.c_str(), root, MAX_PATH + 1)) return {};
    std::wstring result(root);
    if (!result.empty() && result.back() != L'\\') result += L'\\';
    return result;
}

}  // namespace

VolumeIdentity QueryVolume(const std::string& path) {
    VolumeIdentity id;
    const std::wstring root = VolumeRoot(path);
    if (root.empty()) return id;
    // Room for any label the system can give: a 20-character buffer fails on longer ones.
    wchar_t label[MAX_PATH + 1] = {};
    wchar_t fileSystem[MAX_PATH + 1] = {};
    DWORD serial = 0;
    DWORD maxComponent = 0;
    DWORD flags = 0;
    if (!::GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, &serial, &maxComponent, &flags,
                                 fileSystem, MAX_PATH + 1)) {
        return id;
    }
    id.label = win32::ToUtf8(label);
    id.serial = serial;
    id.known = true;
    return id;
}

std::string FullFolderPath(const std::string& path) {
    const std::wstring wide = win32::ToWide(path);
    std::wstring buffer(32768, L'\0');
    const DWORD n = ::GetFullPathNameW(wide.c_str(), 32768, buffer.data(), nullptr);
    buffer.resize(n < 32768 ? n : 0);
    std::string full = n > 0 ? win32::ToUtf8(buffer) : path;
    if (full.starts_with("\\\\?\\UNC\\")) {
        full = "\\\\" + full.substr(8);
    } else if (full.starts_with("\\\\?\\")) {
        full = full.substr(4);
    }
    for (char& c : full) {
        if (c == '\\') c = '/';
    }
    while (full.size() > 1 && full.back() == '/') full.pop_back();
    return full;
}

std::optional<std::string> PathWithinVolume(const std::string& path) {
    const std::string root = win32::ToUtf8(VolumeRoot(path));
    if (root.empty()) return std::nullopt;
    // Both as full paths: a relative location lies below the current folder, not the root.
    std::string full = FullFolderPath(path) + "/";
    std::string base = FullFolderPath(root) + "/";
    if (base.ends_with("//")) base.pop_back();
    if (full.size() < base.size() || full.compare(0, base.size(), base) != 0) return std::nullopt;
    std::string within = full.substr(base.size());
    while (!within.empty() && within.back() == '/') within.pop_back();
    return within;
}

// A drive without its medium cannot be listed at all: no empty folder stands for it.
bool NothingMountedWhereExpected(const std::string& /*path*/) {
    return false;
}

void EjectVolume(const std::string& path) {
    // Only a location with a drive letter has a drive to eject; its first character names it.
    if (path.size() < 2 || path[1] != ':') return;
    const std::wstring drive = win32::ToWide(path.substr(0, 2));
    const UINT type = ::GetDriveTypeW((drive + L"\\").c_str());
    if (type != DRIVE_REMOVABLE && type != DRIVE_CDROM) return;  // a fixed disk stays put
    const std::wstring device = L"\\\\.\\" + drive;
    const HANDLE h = ::CreateFileW(device.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD returned = 0;
    ::DeviceIoControl(h, IOCTL_STORAGE_EJECT_MEDIA, nullptr, 0, nullptr, 0, &returned, nullptr);
    ::CloseHandle(h);
}

}  // namespace vorlaxis::platform
