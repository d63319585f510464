#include "settings/SettingsFile.h"

#include <cstdint>
#include <vector>

#include "media/LocationList.h"
#include "platform/Files.h"
#include "settings/DataFolders.h"
#include "settings/IniFile.h"

namespace vorlaxis {

namespace {

constexpr const char* kApplication = "Application";
constexpr const char* kDataRead = "DataRead";
constexpr const char* kTest = "Test";
constexpr const char* kLogs = "Logs";
constexpr const char* kPaths = "Paths";
constexpr const char* kEndOfList = "{}";

bool IsThreeWayCode(int32_t value) {
    return value >= 1 && value <= 3;
}

// A three-way code takes effect only for 1, 2 or 3; any other number leaves the field alone.
void ReadThreeWay(const IniDocument& ini, const char* section, const char* key, int32_t fallback,
                  int32_t& field) {
    const int32_t value = ini.ReadInteger(section, key, fallback);
    if (IsThreeWayCode(value)) field = value;
}

std::string PathKey(int position) {
    return "Path" + std::to_string(position);
}

void ReadOptions(const IniDocument& ini, TestSettings& settings, SettingsReadHook* hook) {
    settings.EjectAfterTest = ini.ReadBool(kApplication, "Eject media", true);
    ReadThreeWay(ini, kDataRead, "DataReadStyle", 1, settings.DataReadStyle);
    settings.BlockSize = PullBlockSize(ini.ReadInteger(kDataRead, "BlockSize", kDefaultBlockSize));
    ReadThreeWay(ini, kDataRead, "ReadEveryXthBlock", 1, settings.ReadEveryXthBlock);
    settings.GoNonstop = ini.ReadBool(kTest, "Go nonstop", false);
    settings.ShowErrorList = ini.ReadBool(kTest, "Show ErrorList", false);
    settings.ShowLogsAfterTest = ini.ReadBool(kLogs, "Show Logs After Test", true);
    if (hook) hook->ShowLogsAfterTestRead(settings);
    settings.ShowLogsAfterTestAlways = ini.ReadBool(kLogs, "Show Logs After Test Always", false);
    settings.SaveLogsToDisk = ini.ReadBool(kLogs, "Save Logs to Disk", false);
    ReadThreeWay(ini, kLogs, "Logs FileNameFormat", ByVolumeLabel, settings.LogsFileNameFormat);
    ReadThreeWay(ini, kLogs, "TXT Viewer", Notepad, settings.TxtViewer);
}

void ReadLocations(const IniDocument& ini, LocationList& list) {
    list.Clear();
    // A missing key ends the list, so does one holding the end marker; an empty value is an
    // entry with an empty path.
    std::vector<TestLocation> entries;
    for (int n = 0; n < INT32_MAX; ++n) {
        std::string path = ini.ReadString(kPaths, PathKey(n), kEndOfList);
        if (path == kEndOfList) break;
        entries.push_back({std::move(path), ini.ReadBool(kPaths, PathKey(n) + "Checked", false)});
    }
    list.AddAll(std::move(entries));  // each at its sorted place, as Add() would put it
}

// Writes the option keys in order and stops at the first one the system refuses.
bool WriteOptions(IniFile& ini, const TestSettings& s, int32_t left, int32_t top) {
    auto code = [&ini](const char* section, const char* key, int32_t value) {
        // "Nothing chosen" is not written: the file keeps the number that was read.
        return !IsThreeWayCode(value) || ini.WriteInteger(section, key, value);
    };
    return ini.WriteInteger(kApplication, "Xpos", left) &&
           ini.WriteInteger(kApplication, "Ypos", top) &&
           ini.WriteBool(kApplication, "Eject media", s.EjectAfterTest) &&
           code(kDataRead, "DataReadStyle", s.DataReadStyle) &&
           ini.WriteInteger(kDataRead, "BlockSize", s.BlockSize) &&
           code(kDataRead, "ReadEveryXthBlock", s.ReadEveryXthBlock) &&
           ini.WriteBool(kTest, "Go nonstop", s.GoNonstop) &&
           ini.WriteBool(kTest, "Show ErrorList", s.ShowErrorList) &&
           ini.WriteBool(kLogs, "Show Logs After Test", s.ShowLogsAfterTest) &&
           ini.WriteBool(kLogs, "Show Logs After Test Always", s.ShowLogsAfterTestAlways) &&
           ini.WriteBool(kLogs, "Save Logs to Disk", s.SaveLogsToDisk) &&
           code(kLogs, "Logs FileNameFormat", s.LogsFileNameFormat) &&
           code(kLogs, "TXT Viewer", s.TxtViewer);
}

bool WriteLocations(IniFile& ini, const LocationList& list) {
    if (!ini.EraseSection(kPaths)) return false;
    for (int n = 0; n < list.Count(); ++n) {
        if (!ini.WriteString(kPaths, PathKey(n), list.Text(n)) ||
            !ini.WriteBool(kPaths, PathKey(n) + "Checked", list.IsTicked(n))) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string SettingsFilePath() {
    return ProgramDataFolders().SettingsFile;
}

TestSettings DefaultTestSettings() {
    TestSettings settings;
    settings.DataReadStyle = ReadAllData;
    settings.ReadEveryXthBlock = EveryFourthBlock;
    settings.LogsFileNameFormat = ByVolumeLabel;
    settings.TxtViewer = Notepad;
    return settings;
}

void ReadINIs(const std::string& path, TestSettings& settings, WindowPlacement* window,
              LocationList& list, SettingsReadHook* hook) {
    std::string content;
    const IniDocument ini =
        platform::ReadWholeFile(path, content) ? IniDocument(content) : IniDocument();
    settings.Ypos = ini.ReadInteger(kApplication, "Ypos", 100);
    if (window) window->SetTop(settings.Ypos);
    settings.Xpos = ini.ReadInteger(kApplication, "Xpos", 100);
    if (window) window->SetLeft(settings.Xpos);
    ReadOptions(ini, settings, hook);
    ReadLocations(ini, list);
}

std::string WriteINIs(const std::string& path, const TestSettings& settings,
                      const WindowPlacement* window, const LocationList& list) {
    IniFile ini(path);
    const int32_t left = window ? window->Left() : settings.Xpos;
    const int32_t top = window ? window->Top() : settings.Ypos;
    if (WriteOptions(ini, settings, left, top) && WriteLocations(ini, list)) return {};
    return "Unable to write to " + path;
}

}  // namespace vorlaxis
