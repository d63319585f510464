#include "results/MediumHistory.h"

#include <algorithm>
#include <cstdio>

#include "engine/ChecksumFiles.h"
#include "platform/Files.h"

namespace vorlaxis {

namespace {

const char kHeader[] = "Vorlaxis test record 1";

// Fields are tab-separated: tabs, line ends and backslashes in names are escaped.
std::string Escape(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (size_t tab = line.find('\t'); tab != std::string_view::npos;
         tab = line.find('\t', start)) {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

std::optional<int64_t> Number(std::string_view text) {
    if (text.empty()) return std::nullopt;
    int64_t value = 0;
    bool negative = text.front() == '-';
    if (negative) text.remove_prefix(1);
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

std::string Sanitised(std::string_view text) {
    std::string out;
    for (const char c : text) out += platform::ForbiddenOnWindows(c) ? '_' : c;
    // Windows drops trailing dots and spaces from names.
    while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.back() = '_';
    return out;
}

bool ApplyHeadField(TestRecord& r, std::string_view key, std::string_view value) {
    const std::string text = UnescapeName(value);
    if (key == "label") {
        r.Medium.Label = text;
    } else if (key == "serial") {
        r.Medium.Serial = text;
    } else if (key == "within") {
        r.Medium.Within = text;
    } else if (key == "date") {
        r.Date = text;
    } else if (key == "checksum") {
        r.Checksum = text;
    } else if (key == "outcome") {
        r.Outcome = text;
    } else {
        const auto number = Number(value);
        if (!number) return false;
        if (key == "mode") r.Mode = static_cast<int>(*number);
        if (key == "files") r.FileCount = *number;
        if (key == "unreadable") r.UnreadableCount = *number;
    }
    return true;
}

bool ApplyFileLine(TestRecord& r, const std::vector<std::string_view>& f) {
    if (f.size() != 6) return false;
    FileFingerprint file;
    const auto size = Number(f[1]);
    const auto modified = Number(f[2]);
    if (!size || !modified || (f[4] != "0" && f[4] != "1")) return false;
    file.Size = *size;
    file.Modified = *modified;
    file.Hash = f[3] == "-" ? std::string() : std::string(f[3]);
    file.Readable = f[4] == "1";
    file.Path = UnescapeName(f[5]);
    r.Files.push_back(std::move(file));
    return true;
}

// Writes `content` to a temporary name in `folder`, then gives it `name`; false when either fails.
bool WriteNew(const std::string& folder, const std::string& name, std::string_view content) {
    const std::string temporary = folder + "." + name + ".tmp";
    const std::string final = folder + name;
    if (platform::Exists(final) || !platform::WriteWholeFile(temporary, content)) return false;
    if (platform::RenameNoReplace(temporary, final)) return true;
    platform::RemoveFile(temporary);
    return false;
}

std::string TwoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value % 100);
    return text;
}

}  // namespace

std::string RecordDate(const platform::LocalDateTime& when) {
    return std::to_string(when.year) + "-" + TwoDigits(when.month) + "-" + TwoDigits(when.day) +
           " " + TwoDigits(when.hour) + ":" + TwoDigits(when.minute) + ":" + TwoDigits(when.second);
}

std::string RecordFolder(const std::string& historyFolder, const MediumIdentity& medium) {
    std::string name = Sanitised(medium.Label) + "_" + Sanitised(medium.Serial);
    if (!medium.Within.empty()) name += "_" + Sanitised(medium.Within);
    return historyFolder + name + platform::PathSeparator();
}

std::string RecordText(const TestRecord& r) {
    std::string text = std::string(kHeader) + "\n";
    const auto head = [&](const char* key, std::string_view value) {
        text += std::string(key) + "\t" + Escape(value) + "\n";
    };
    head("label", r.Medium.Label);
    head("serial", r.Medium.Serial);
    head("within", r.Medium.Within);
    head("date", r.Date);
    head("mode", std::to_string(r.Mode));
    head("files", std::to_string(r.FileCount));
    head("unreadable", std::to_string(r.UnreadableCount));
    head("checksum", r.Checksum);
    head("outcome", r.Outcome);
    for (const FileFingerprint& f : r.Files) {
        text += "file\t" + std::to_string(f.Size) + "\t" + std::to_string(f.Modified) + "\t" +
                (f.Hash.empty() ? "-" : f.Hash) + "\t" + (f.Readable ? "1" : "0") + "\t" +
                Escape(f.Path) + "\n";
    }
    return text;
}

std::optional<TestRecord> ParseRecord(std::string_view text) {
    if (!text.starts_with(std::string(kHeader) + "\n")) return std::nullopt;
    TestRecord record;
    size_t start = sizeof kHeader;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) return std::nullopt;  // cut short
        const std::vector<std::string_view> fields = Fields(text.substr(start, end - start));
        start = end + 1;
        const bool ok = fields[0] == "file"
                            ? ApplyFileLine(record, fields)
                            : fields.size() == 2 && ApplyHeadField(record, fields[0], fields[1]);
        if (!ok) return std::nullopt;
    }
    return record;
}

std::string Xxh128Text(const std::vector<FileFingerprint>& files) {
    std::string text;
    for (const FileFingerprint& f : files) {
        if (!f.Readable || f.Hash.empty()) continue;
        bool escaped = false;
        const std::string name = EscapeListedName(f.Path, escaped);
        text += (escaped ? "\\" : "") + f.Hash + "  " + name + "\n";
    }
    return text;
}

std::optional<TestRecord> LatestRecord(const std::string& historyFolder,
                                       const MediumIdentity& medium) {
    const std::string folder = RecordFolder(historyFolder, medium);
    std::vector<std::string> names;
    platform::DirSearch search(folder, "*", platform::kMaskFiles);
    platform::DirEntry entry;
    while (search.valid() && search.next(entry)) {
        if (entry.name.ends_with(".record") && entry.name.front() != '.')
            names.push_back(entry.name);
    }
    std::sort(names.rbegin(), names.rend());
    for (const std::string& name : names) {
        std::string text;
        if (!platform::ReadWholeFile(folder + name, text)) continue;
        std::optional<TestRecord> record = ParseRecord(text);
        // Another medium whose names sanitise alike shares the folder, not the identity.
        if (record && record->Medium == medium) return record;
    }
    return std::nullopt;
}

Result<std::string> SaveRecord(const std::string& historyFolder, const TestRecord& record,
                               const platform::LocalDateTime& when) {
    const std::string folder = RecordFolder(historyFolder, record.Medium);
    if (!platform::MakeDirectories(folder))
        return Failure("the record folder " + folder + " cannot be created");
    const std::string stamp = std::to_string(when.year) + TwoDigits(when.month) +
                              TwoDigits(when.day) + "-" + TwoDigits(when.hour) +
                              TwoDigits(when.minute) + TwoDigits(when.second);
    for (int n = 1; n < 100; ++n) {
        const std::string base = stamp + "-" + TwoDigits(n);
        if (platform::Exists(folder + base + ".record") ||
            platform::Exists(folder + base + ".xxh128")) {
            continue;
        }
        if (!WriteNew(folder, base + ".xxh128", Xxh128Text(record.Files)) ||
            !WriteNew(folder, base + ".record", RecordText(record))) {
            return Failure("the record cannot be written to " + folder);
        }
        return folder + base + ".record";
    }
    return Failure("the record folder " + folder + " has no free name left");
}

}  // namespace vorlaxis
