// The copy procedure and the names of the saved logs.
#include "results/LogFiles.h"

#include <initializer_list>
#include <vector>

#include "core/Result.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "settings/TestSettings.h"

namespace vorlaxis {

namespace {

std::string FileNameOf(const std::string& path) {
    const size_t sep = path.rfind(platform::PathSeparator());
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::string FolderOf(const std::string& path) {
    const size_t sep = path.rfind(platform::PathSeparator());
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

// A volume label is the medium's to choose; it may hold "/", which would lead the saved log into
// another folder (or out of Logs with "../"), or on Windows a ":" that names a data stream.
std::string SafeNamePart(std::string text) {
    for (char& c : text) {
        if (platform::ForbiddenInFileName(c)) c = '_';
    }
    return text;
}

// The name of the location's own folder ("/media/user/DISC/" -> "DISC", "D:\\" -> "D");
// empty for the root of a file system without a drive letter.
std::string LocationFolderName(std::string location) {
    const std::string separators = {'/', platform::PathSeparator()};
    while (!location.empty() && separators.find(location.back()) != std::string::npos) {
        location.pop_back();
    }
    const size_t sep = location.find_last_of(separators);
    std::string name = sep == std::string::npos ? location : location.substr(sep + 1);
    if (name.size() == 2 && name[1] == ':') name.pop_back();  // a drive letter
    return name;
}

// The last of the fallbacks: a location that is the root of a file system without a label.
constexpr char kUnnamedMedium[] = "médium";

// Copies the bytes to the end of `in`; the number copied, or the error text.
Result<int64_t> CopyBytes(platform::InputFile& in, platform::OutputFile& out) {
    std::vector<char> buffer(65536);
    int64_t copied = 0;
    for (;;) {
        const int64_t n = in.read(buffer.data(), static_cast<int64_t>(buffer.size()));
        if (n < 0) return Failure("Stream read error");
        if (n == 0) return copied;
        if (!out.write(std::string_view(buffer.data(), static_cast<size_t>(n)))) {
            return Failure("Stream write error");
        }
        copied += n;
    }
}

}  // namespace

std::string SavedLogName(int32_t format, const std::string& volumeLabel,
                         const std::string& volumeSerial, const std::string& location) {
    // A part the medium does not have falls back to the next (label, serial, the location's
    // own folder name), so that no log is saved as ".txt": hidden on Linux, and replaced by
    // the next unlabelled medium's.
    const std::string folder = SafeNamePart(LocationFolderName(location));
    const std::string label = SafeNamePart(volumeLabel);
    const std::string serial = SafeNamePart(volumeSerial);
    auto first = [](std::initializer_list<const std::string*> parts) {
        for (const std::string* part : parts) {
            if (!part->empty()) return *part;
        }
        return std::string(kUnnamedMedium);
    };
    switch (format) {
        case BySerialNumber:
            return first({&serial, &label, &folder}) + ".txt";
        case ByVolumeLabel:
            return first({&label, &serial, &folder}) + ".txt";
        case Combined:
            return first({&label, &folder}) + (serial.empty() ? "" : " (" + serial + ")") + ".txt";
        default:
            return {};
    }
}

std::string CopyLogFile(const std::string& source, const std::string& destination) {
    std::string target = destination;
    // A link planted at the name is not followed, not even into a folder: refused below.
    const bool linkAtName = !target.empty() && target.back() != platform::PathSeparator() &&
                            platform::IsSymbolicLink(target);
    if (platform::IsDirectory(target) && !linkAtName) {
        if (target.empty() || target.back() != platform::PathSeparator()) {
            target += platform::PathSeparator();
        }
        target += FileNameOf(source);
    }
    platform::InputFile in;
    if (!in.open(source)) return "Cannot open file " + platform::DisplayText(source);
    const std::string folder = FolderOf(target);
    if (!folder.empty()) platform::MakeDirectories(folder);
    platform::OutputFile out;
    if (platform::IsReadOnlyFile(target) || !out.createNoLink(target)) {
        return "Cannot create file " + platform::DisplayText(target);
    }
    std::string error = CopyBytes(in, out).Error();
    if (!out.close() && error.empty()) error = "Stream write error";
    if (!error.empty()) return error;
    int64_t mtime = 0;
    // Closed first: a network file system may still stamp the time when the data goes out.
    if (platform::GetLastWriteTime(source, mtime)) platform::SetLastWriteTime(target, mtime);
    return {};
}

std::string LoadLogText(const std::string& path, std::string& text) {
    std::string bytes;
    std::string reason;
    if (!platform::ReadWholeFileWithReason(path, bytes, reason)) {
        return "Cannot open file \"" + platform::DisplayText(path) + "\". " + reason;
    }
    std::string lines;
    lines.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            lines += '\n';
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            lines += bytes[i];
        }
    }
    text = platform::Cp1250ToUtf8(lines);
    return {};
}

}  // namespace vorlaxis
