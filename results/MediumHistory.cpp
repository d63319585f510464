#include "results/MediumHistory.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "engine/ChecksumFiles.h"
#include "platform/Files.h"

namespace vorlaxis {

namespace {

// Records since version 2 end in a line "end" with the count of file lines, so a record cut at
// a line end is never taken for whole. Version 1 records are read when their head is whole and
// their file lines are as many as it says the test had files.
const char kHeader[] = "Vorlaxis test record 2";
const char kHeaderBefore[] = "Vorlaxis test record 1";
const char kEnd[] = "end";
const char kTemporary[] = ".tmp";
const char kRecordEnd[] = ".record";
const char kDamagedEnd[] = ".damaged";
// The head's keys, each once, in the order written.
const char* const kHeadKeys[] = {"label", "serial",     "within",   "date",   "mode",
                                 "files", "unreadable", "checksum", "outcome"};
constexpr size_t kHeadCount = sizeof kHeadKeys / sizeof kHeadKeys[0];

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

// A decimal number as std::to_string writes it; none for anything else, too large ones included.
std::optional<int64_t> Number(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty() || text.size() > 19) return std::nullopt;
    uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');  // 19 digits stay within 64 bits
    }
    if (value > static_cast<uint64_t>(INT64_MAX)) return std::nullopt;
    return negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
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
        if (key == "mode") {
            if (*number < INT32_MIN || *number > INT32_MAX) return false;
            r.Mode = static_cast<int>(*number);
        }
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

// Writes `content` to a temporary name in `folder`, then gives it `name`, flushed to the disk
// both; false when any of it fails.
bool WriteNew(const std::string& folder, const std::string& name, std::string_view content) {
    const std::string final = folder + name;
    return !platform::Exists(final) &&
           platform::WriteNewFileDurably(final, content, folder + "." + name + kTemporary);
}

// Temporary files of writers that are gone (killed, or the machine went down): ours are
// ".<name>.record.tmp" and ".<name>.xxh128.tmp", and a writer takes seconds, not an hour.
void RemoveLeftovers(const std::string& folder) {
    const auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    constexpr int64_t kHour = 3600LL * 1000 * 1000 * 1000;
    std::vector<std::string> leftovers;
    platform::DirSearch search(folder, "*", platform::kMaskFiles);
    platform::DirEntry entry;
    while (search.valid() && search.next(entry)) {
        const std::string& n = entry.name;
        if (n.front() != '.' || !n.ends_with(kTemporary)) continue;
        const std::string_view inner(n.data(), n.size() - sizeof kTemporary + 1);
        if (!inner.ends_with(".record") && !inner.ends_with(".xxh128")) continue;
        int64_t written = 0;
        if (platform::GetLastWriteTime(folder + n, written) && now - written > kHour)
            leftovers.push_back(folder + n);
    }
    for (const std::string& path : leftovers) platform::RemoveFile(path);
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
    const std::string values[kHeadCount] = {r.Medium.Label,
                                            r.Medium.Serial,
                                            r.Medium.Within,
                                            r.Date,
                                            std::to_string(r.Mode),
                                            std::to_string(r.FileCount),
                                            std::to_string(r.UnreadableCount),
                                            r.Checksum,
                                            r.Outcome};
    for (size_t i = 0; i < kHeadCount; ++i) head(kHeadKeys[i], values[i]);
    for (const FileFingerprint& f : r.Files) {
        text += "file\t" + std::to_string(f.Size) + "\t" + std::to_string(f.Modified) + "\t" +
                (f.Hash.empty() ? "-" : f.Hash) + "\t" + (f.Readable ? "1" : "0") + "\t" +
                Escape(f.Path) + "\n";
    }
    return text + kEnd + "\t" + std::to_string(r.Files.size()) + "\n";
}

std::optional<TestRecord> ParseRecord(std::string_view text) {
    const bool current = text.starts_with(std::string(kHeader) + "\n");
    if (!current && !text.starts_with(std::string(kHeaderBefore) + "\n")) return std::nullopt;
    static_assert(sizeof kHeader == sizeof kHeaderBefore);
    TestRecord record;
    size_t head = 0;  // the head's lines read so far
    std::optional<int64_t> end;
    for (size_t start = sizeof kHeader; start < text.size();) {
        if (end) return std::nullopt;  // nothing follows the end
        const size_t stop = text.find('\n', start);
        if (stop == std::string_view::npos) return std::nullopt;  // cut short
        const std::vector<std::string_view> fields = Fields(text.substr(start, stop - start));
        start = stop + 1;
        bool ok = false;
        if (head < kHeadCount) {
            ok = fields.size() == 2 && fields[0] == kHeadKeys[head++] &&
                 ApplyHeadField(record, fields[0], fields[1]);
        } else if (fields[0] == "file") {
            ok = ApplyFileLine(record, fields);
        } else if (current && fields[0] == kEnd && fields.size() == 2) {
            end = Number(fields[1]);
            ok = end.has_value();
        }
        if (!ok) return std::nullopt;
    }
    const auto files = static_cast<int64_t>(record.Files.size());
    if (head < kHeadCount || (current ? end != files : record.FileCount != files))
        return std::nullopt;
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

EarlierRecord LatestRecord(const std::string& historyFolder, const MediumIdentity& medium) {
    const std::string folder = RecordFolder(historyFolder, medium);
    std::vector<std::string> names;
    platform::DirSearch search(folder, "*", platform::kMaskFiles);
    platform::DirEntry entry;
    while (search.valid() && search.next(entry)) {
        if (entry.name.ends_with(kRecordEnd) && entry.name.front() != '.')
            names.push_back(entry.name);
    }
    std::sort(names.rbegin(), names.rend());
    EarlierRecord earlier;
    for (const std::string& name : names) {
        std::string text;
        std::optional<TestRecord> record;
        if (platform::ReadWholeFile(folder + name, text)) record = ParseRecord(text);
        if (!record) {
            // An older record must not stand in for it: it is set aside and named instead.
            const std::string aside = folder + name + kDamagedEnd;
            earlier.Unusable =
                platform::RenameNoReplace(folder + name, aside) ? aside : folder + name;
            break;
        }
        // Another medium whose names sanitise alike shares the folder, not the identity.
        if (record->Medium == medium) {
            earlier.Record = std::move(record);
            break;
        }
    }
    return earlier;
}

Result<std::string> SaveRecord(const std::string& historyFolder, const TestRecord& record,
                               const platform::LocalDateTime& when) {
    const std::string folder = RecordFolder(historyFolder, record.Medium);
    if (!platform::MakeDirectories(folder))
        return Failure("the record folder " + folder + " cannot be created");
    RemoveLeftovers(folder);
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
