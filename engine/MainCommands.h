// Which of the main window's commands and controls can be used while idle and while a test
// runs. Both window faces map these onto their own menu items and controls and apply the answer,
// so the locking of a test is decided here alone.
#pragma once

#include <cstdint>

namespace vorlaxis {

// The main window's commands and controls, in the order of the menus, the location group and
// the buttons below them.
enum class MainCommand : uint8_t {
    // "&Soubor"
    StartTest,
    StartTestBypassMenu,  // the submenu holding the three forced read modes
    StartAllData,
    StartBlocks,
    StartOpenOnly,
    CompareWithSource,
    SaveTempLogs,
    Exit,
    // "Zobrazit"
    ShowLogsFolder,
    ShowTempLogs,
    ShowSpeedGraph,
    ShowLastComparison,
    // "&Nastavení"
    Options,
    // "Nápo&věda"
    HelpContents,
    HelpOnHelp,
    WhatsNew,
    About,
    // The location group.
    LocationList,
    BrowseLocation,
    RemoveLocation,
    EditLocation,
    ShowLocation,
    AddLocationByHand,
    // The buttons below the groups.
    StartButton,
    CancelButton,
    CloseButton
};

// Whether `command` is enabled. A test locks whatever would start a second test, change the
// locations, the options or the logs under it, or close the window from its button; "&Konec"
// and help stay reachable. The start button is not disabled but hidden (CommandShown). The cancel
// button is disabled when a test starts and whenever the window is idle: the run enables it once it
// reads files (MainDisplay::cancelEnabled).
bool CommandEnabled(MainCommand command, bool testing);

// Whether `command` is shown: the start and cancel buttons share one place and replace each
// other; everything else is always there.
bool CommandShown(MainCommand command, bool testing);

}  // namespace vorlaxis
