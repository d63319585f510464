// The settings file "Ulvenor.ini": the options, the main window position and the location
// list between runs. ReadINIs and WriteINIs are the main window's operations; they take what
// they touch as arguments so that tests can use a file of their own.
#pragma once

#include <cstdint>
#include <string>

#include "settings/TestSettings.h"

namespace vorlaxis {

class LocationList;

// The settings file: "Ulvenor.ini" beside the program, or in the user's folder when the
// program's folder takes no files (ProgramDataFolders()).
std::string SettingsFilePath();

// The record as ReadINIs leaves it after reading an empty or missing file.
TestSettings DefaultTestSettings();

// The main window's position as the settings file keeps it.
class WindowPlacement {
  public:
    virtual ~WindowPlacement() = default;
    virtual int32_t Left() const = 0;
    virtual int32_t Top() const = 0;
    // ReadINIs sets the top edge first, then the left; values are applied unchecked.
    virtual void SetTop(int32_t top) = 0;
    virtual void SetLeft(int32_t left) = 0;
};

// What the options dialog needs to hear while the file is read.
class SettingsReadHook {
  public:
    virtual ~SettingsReadHook() = default;
    // Called right after ShowLogsAfterTest was read (even when it did not change), so the
    // dialog brings its enabling rules up to date (CheckBox4Click).
    virtual void ShowLogsAfterTestRead(const TestSettings& settings) = 0;
};

// Fills `settings` (Xpos and Ypos included), places `window` and refills `list` from the file
// at `path`. Never fails: a missing or unreadable file reads as an empty one, bad values give
// defaults. A three-way code whose key holds a number other than 1..3 keeps its current value.
// `window` and `hook` may be null.
void ReadINIs(const std::string& path, TestSettings& settings, WindowPlacement* window,
              LocationList& list, SettingsReadHook* hook);

// Writes the options, the window position (from `window`, or settings.Xpos/Ypos when it is
// null) and the list to `path`, each key at once, creating the file if needed. The "Paths"
// section is erased and written anew last; an empty list leaves none. A three-way code in
// the state "nothing chosen" is not written, so the file keeps the value that was read.
// BlockSize is written as `settings` holds it: the options dialog puts its field's value
// there first.
// Returns empty text on success. When the system refuses a write, writing stops at that key
// and the result is "Unable to write to " + path (the window program shows it with a full
// stop added in an error box titled "Vorlaxis"); keys written before stay written.
[[nodiscard]] std::string WriteINIs(const std::string& path, const TestSettings& settings,
                                    const WindowPlacement* window, const LocationList& list);

}  // namespace vorlaxis
