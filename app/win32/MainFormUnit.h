// The main window on Windows: the location group, the progress group, the menus, the
// accelerators and the status bar; the test commands; and the run's host (pump, progress timer).
// The rules come from the core (engine/TestBatch, media/LocationList, results/Results); this
// class draws their state on Win32 controls and passes the commands on.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/MessagePump.h"
#include "app/win32/Win32Dialogs.h"
#include "core/Clock.h"
#include "core/MainDisplay.h"
#include "core/Shell.h"
#include "core/TestHost.h"
#include "engine/TestBatch.h"
#include "engine/TestStatistics.h"
#include "media/LocationList.h"
#include "media/RunLocations.h"
#include "results/Results.h"
#include "settings/TestSettings.h"

namespace vorlaxis {
struct TestSession;
class ThreadedBlockingCalls;
}  // namespace vorlaxis

namespace vorlaxis::win32ui {

class TAboutBox;
class TEditor;
class TErrorForm;
class TErrorListForm;
class MainFollowUp;
class TInfoBox;
class TKonfig;

// The identifiers of the controls and menu items, named as the layout names them.
namespace id {
enum : int {
    Bevel2 = 100,
    GroupBox2,
    DiskList,
    btnNalistovat,
    btnOdstranit,
    btnUpravit,
    btnZobrazit,
    btnPridatRucne,
    GroupBox1,
    BitBtn2,
    btnCancelTest,
    BitBtn1,
    StatusBar,
    Label2,
    Label3,
    Label4,
    Label5,
    Label6,
    Label7,
    Label8,
    Label9,
    Label10,
    Label11,
    Label12,
    Label13,
    Label14,
    Label15,
    Label16,
    Label17,
    Label18,
    Label19,
    Label20,
    Label21,
    Label22,
    Label23,
    Label24,
    Label25,
    Label26,
    Label27,
    Label28,
    Label29,
    Label30,
    Label31,
    Label32,
    Label33,
    Label34,
    Bevel1,
    ProgressBar1,
    ProgressBar2,
    // Menu items.
    mmSpustitTest = 1000,
    Spustittestplntendat1,
    Spustitteststbloky1,
    Spustittestpouzeotevratsoubory1,
    mmPorovnatSeZdrojem,
    mmUlozitZaznamy,
    mmKonec,
    mmZobrazitSlozkuZaznamy,
    mmZobrazitDocasneZaznamy,
    mmMoznosti,
    mmObsah,
    mmHelpOnHelp,
    mmCoJeNoveho,
    mmAbout,
    // The results' own commands at the end of "Zobrazit".
    mmZobrazitGrafRychlosti,
    mmZobrazitPorovnani
};
}  // namespace id

class TMainForm final : public TestHost, public BatchWindow, private ResultWindows {
  public:
    // `dialogs` and `clock` (optional) replace the real message boxes and the system clock;
    // they must outlive the window.
    explicit TMainForm(Dialogs* dialogs = nullptr, Clock* clock = nullptr);
    ~TMainForm() override;
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    HWND Handle() const { return m_hwnd; }
    HWND Control(int controlId) const { return ::GetDlgItem(m_hwnd, controlId); }
    HMENU Menu() const { return ::GetMenu(m_hwnd); }
    TErrorForm& ErrorForm() { return *m_errorForm; }
    MainFollowUp& FollowUp() { return *m_followUp; }
    TInfoBox& InfoBox() { return *m_infoBox; }
    TErrorListForm& ErrorList() { return *m_errorList; }
    TEditor& Editor() { return *m_editor; }
    TAboutBox& AboutBox() { return *m_aboutBox; }
    TKonfig& Konfig() { return *m_konfig; }
    // True once the window has closed for good (after FormClose).
    bool Closed() const { return m_closed; }

    TestSettings& Settings() { return m_settings; }
    TestStatistics& Statistics() { return m_statistics; }
    LocationList& Locations() { return m_locations; }
    MainDisplay& Display() { return m_display; }
    TestSession& Session() { return *m_session; }
    // The programs started for viewers and folders; tests record them instead.
    void SetShell(std::unique_ptr<Shell> shell) { m_shell = std::move(shell); }
    // Folders of the results; by default the private temporary folder and the logs folder.
    void SetFolders(std::string tempFolder, std::string logsFolder);

    // The settings file; tests point it elsewhere. Defaults to the one beside the program.
    std::string SettingsPath;
    // The locations named on the command line: ticked for this run, saved only once the user
    // changes the list. Set before the settings are first read.
    RunLocations StartLocations;
    void ReadINIs();
    [[nodiscard]] std::string WriteINIs();
    void RefreshDiskList();

    void InitInterface();
    void SetMenus(bool enabled);
    void EnableDiskList(bool enabled);

    // Handles the keyboard interface (accelerators, Enter, Esc, Tab) of a message for this
    // window; true when the message has been dealt with.
    bool PreTranslate(MSG& msg);

    // BatchWindow
    void LockCommands(bool locked) override;
    void ShowDisplay() override;
    void PrepareLocation(bool toFront) override;
    uint16_t PerformTest(const std::string& location, ReadModeOverride override) override;
    void StopProgressTimer() override;
    bool PauseProgressTimer() override;
    void ResumeProgressTimer() override;
    void ErrorResults(uint16_t badFileCount) override;
    bool Closing() const override { return m_closePending; }

    // TestHost
    void ProcessMessages() override;
    void ShowBusyWindow() override;
    void HideBusyWindow() override;
    ReadErrorAnswer AskReadError(const std::string& path) override;
    void StartProgressTimer() override;

  private:
    template <class Window>
    friend LRESULT CALLBACK ForwardMessages(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    HMENU CreateMenus();
    void FormCreate();
    void Command(int commandId);
    void ButtonStartTest(ReadModeOverride override);
    void mmPorovnatSeZdrojemClick();
    void btnCancelTestClick();
    void LocationCommand(bool (*command)(LocationList&, Dialogs&));
    void DiskListChanged(const NMHDR& header);
    void Timer1Timer();
    void RxTimerEvent1Timer();
    void RequestClose();
    void FormClose();
    void SetText(int controlId, const std::string& utf8);
    LRESULT ColourStatic(HDC dc, HWND control);
    ResultsContext Context();

    // ResultWindows
    std::string ShowLogInViewer(const std::string& path) override;
    void ShowBadFileList() override;
    void SetBadFileCountRed(bool red) override;

    HWND m_hwnd = nullptr;
    HACCEL m_accelerators = nullptr;
    SystemClock m_systemClock;
    Clock* m_clock;
    Win32Dialogs m_ownDialogs;
    Dialogs* m_dialogs;
    vorlaxis::gui::MessagePump m_pump;
    TestSettings m_settings;
    TestStatistics m_statistics;
    LocationList m_locations;
    MainDisplay m_display;
    std::unique_ptr<TErrorForm> m_errorForm;
    std::unique_ptr<MainFollowUp> m_followUp;
    std::unique_ptr<TInfoBox> m_infoBox;
    std::unique_ptr<TErrorListForm> m_errorList;
    std::unique_ptr<TEditor> m_editor;
    std::unique_ptr<TAboutBox> m_aboutBox;
    std::unique_ptr<TKonfig> m_konfig;
    std::unique_ptr<ThreadedBlockingCalls> m_calls;
    std::unique_ptr<TestSession> m_session;
    std::unique_ptr<Shell> m_shell;
    std::string m_tempFolder;
    std::string m_logsFolder;
    std::string m_testedLocation;  // the location PerformTest had last
    bool m_timer1Running = false;
    bool m_refreshingList = false;
    // A close granted during a test: the window goes at once, the clean-up after the batch.
    bool m_closePending = false;
    bool m_closed = false;
};

// Shows a topic of the help file beside the program.
void ShowHelp(const std::string& topic);

// The program's message loop: runs until the main window has closed. Returns the exit code.
int RunMessageLoop(TMainForm& form);

}  // namespace vorlaxis::win32ui
