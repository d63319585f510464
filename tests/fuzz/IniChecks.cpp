#include "fuzz/IniChecks.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <vector>

#include "media/LocationList.h"
#include "platform/Files.h"
#include "settings/IniFile.h"
#include "settings/SettingsFile.h"

namespace vorlaxis::test {

namespace {

struct Key {
    const char* section;
    const char* key;
};

// The program's own keys, a location or two, and a foreign one that must survive every write.
constexpr Key kKeys[] = {
    {"Application", "Xpos"},
    {"Application", "Ypos"},
    {"Application", "Eject media"},
    {"DataRead", "DataReadStyle"},
    {"DataRead", "BlockSize"},
    {"DataRead", "ReadEveryXthBlock"},
    {"Test", "Go nonstop"},
    {"Test", "Show ErrorList"},
    {"Logs", "Show Logs After Test"},
    {"Logs", "Show Logs After Test Always"},
    {"Logs", "Save Logs to Disk"},
    {"Logs", "Logs FileNameFormat"},
    {"Logs", "TXT Viewer"},
    {"Paths", "Path0"},
    {"Paths", "Path0Checked"},
    {"Paths", "Path1"},
    {"Foreign", "k"},
};
constexpr size_t kKeyCount = std::size(kKeys);

// What every key reads as, except the one at `skip`.
std::string Snapshot(const IniDocument& ini, size_t skip = kKeyCount) {
    std::string result;
    for (size_t i = 0; i < kKeyCount; ++i) {
        if (i == skip) continue;
        result += ini.HasKey(kKeys[i].section, kKeys[i].key) ? "+" : "-";
        result += ini.ReadString(kKeys[i].section, kKeys[i].key, "") + '\x01';
    }
    return result;
}

// A value as it reads back after it was written: line breaks become blanks, and it is cut.
std::string ReadBackForm(std::string_view value) {
    std::string result(value.substr(0, kIniMaxValueLength));
    for (char& c : result) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return result;
}

std::string CheckDocument(std::string_view content) {
    const IniDocument original(content);
    const std::string text = original.Text();
    const IniDocument saved(text);
    if (saved.Text() != text) return "saving the text again changes it";
    if (Snapshot(saved) != Snapshot(original)) return "a value changed when the text was saved";
    const std::string value(content.substr(content.size() / 2));
    for (size_t i = 0; i < kKeyCount; ++i) {
        IniDocument written(text);
        written.WriteString(kKeys[i].section, kKeys[i].key, value);
        const IniDocument back(written.Text());
        if (back.ReadString(kKeys[i].section, kKeys[i].key, "-") != ReadBackForm(value)) {
            return std::string("a written value reads back differently: ") + kKeys[i].key;
        }
        if (Snapshot(back, i) != Snapshot(original, i)) {
            return std::string("writing a key changed another one: ") + kKeys[i].key;
        }
    }
    IniDocument erased(text);
    erased.EraseSection("paths");
    const IniDocument back(erased.Text());
    if (back.HasSection("Paths") || back.HasKey("Paths", "Path0")) return "a section survived";
    if (back.ReadString("Foreign", "k", "-") != original.ReadString("Foreign", "k", "-")) {
        return "erasing a section changed another one";
    }
    return {};
}

// The file on disk follows the text in memory through every kind of edit: replacing a key,
// appending one, appending a section, erasing a section.
std::string CheckIniFile(std::string_view content, const std::string& folder) {
    const std::string path = folder + "direct.ini";
    if (!platform::WriteWholeFile(path, content)) return "cannot prepare " + path;
    IniFile file(path);
    const std::string value(content.substr(0, content.size() / 3));
    auto inStep = [&file, &path] {
        std::string disk;
        return platform::ReadWholeFile(path, disk) && disk == file.Document().Text();
    };
    for (const Key& k : kKeys) {
        if (!file.WriteString(k.section, k.key, value) || !inStep()) {
            return std::string("the file and the text differ after writing ") + k.key;
        }
    }
    if (!file.EraseSection("Paths") || !inStep() || !file.WriteString("Paths", "Path9", "x") ||
        !file.WriteString("paths", "Path9Checked", "1") || !inStep()) {
        return "the file and the text differ after rewriting the locations";
    }
    return {};
}

bool ValidSettings(const TestSettings& s) {
    auto code = [](int32_t v) { return v >= kNothingChosen && v <= 3; };
    return s.BlockSize >= 4 && s.BlockSize <= 48 && code(s.DataReadStyle) &&
           code(s.ReadEveryXthBlock) && code(s.LogsFileNameFormat) && code(s.TxtViewer);
}

// "ticked|path" of every entry; sorted when the order does not matter.
std::vector<std::string> EntryTexts(const LocationList& list, bool readBackForm, bool sorted) {
    std::vector<std::string> result;
    for (const TestLocation& e : list.Entries()) {
        result.push_back((e.Checked ? "1|" : "0|") +
                         (readBackForm ? ReadBackForm(e.Path) : e.Path));
    }
    if (sorted) std::sort(result.begin(), result.end());
    return result;
}

struct Cycle {
    TestSettings settings;
    LocationList list;
    std::string foreign;
};

Cycle ReadFile(const std::string& path) {
    Cycle c;
    ReadINIs(path, c.settings, nullptr, c.list, nullptr);
    std::string content;
    platform::ReadWholeFile(path, content);
    c.foreign = IniDocument(content).ReadString("Foreign", "k", "-");
    return c;
}

std::string CheckSettingsFile(std::string_view content, const std::string& folder) {
    const std::string path = folder + "Ulvenor.ini";
    if (!platform::WriteWholeFile(path, content)) return "cannot prepare " + path;
    const Cycle first = ReadFile(path);
    if (!ValidSettings(first.settings)) return "a field was read outside its range";
    if (const std::string e = WriteINIs(path, first.settings, nullptr, first.list); !e.empty()) {
        return "first write: " + e;
    }
    const Cycle second = ReadFile(path);
    if (first.settings != second.settings) return "options changed in the file";
    if (first.foreign != second.foreign) return "a foreign key was lost";
    if (EntryTexts(first.list, true, true) != EntryTexts(second.list, false, true)) {
        return "locations changed in the file";
    }
    if (const std::string e = WriteINIs(path, second.settings, nullptr, second.list); !e.empty()) {
        return "second write: " + e;
    }
    const Cycle third = ReadFile(path);
    if (EntryTexts(second.list, false, false) != EntryTexts(third.list, false, false)) {
        return "the location order is not stable";
    }
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(folder))) {
        if (entry.path().filename().string().find(".new") != std::string::npos) {
            return "a temporary file was left behind";
        }
    }
    return {};
}

}  // namespace

std::string CheckSettingsContent(std::string_view content, const std::string& workFolder) {
    if (std::string problem = CheckDocument(content); !problem.empty()) return problem;
    if (std::string problem = CheckIniFile(content, workFolder); !problem.empty()) return problem;
    return CheckSettingsFile(content, workFolder);
}

}  // namespace vorlaxis::test
