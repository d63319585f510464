// The main window: the location group, the progress group, the menus and the status bar; the
// test commands; and the run's host (pump, busy window, read-error question, progress timer).
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/MessagePump.h"
#include "app/qt/QtDialogs.h"
#include "core/TestHost.h"
#include "engine/ReadMode.h"
#include "engine/TestBatch.h"
#include "engine/TestStatistics.h"
#include "media/LocationList.h"
#include "media/RunLocations.h"
#include "results/qt/MainResults.h"
#include "settings/TestSettings.h"

class QLabel;

namespace Ui {
class TMainForm;
}

namespace vorlaxis {
struct TestSession;
class ThreadedBlockingCalls;
}  // namespace vorlaxis

namespace vorlaxis::gui {

class TAboutBox;
class TEditor;
class TErrorForm;
class TErrorListForm;
class TInfoBox;
class TKonfig;
class MainHistory;

// The other windows the main window shows; created after it, in the start-up order.
struct FormWindows {
    TErrorForm* ErrorForm = nullptr;
    TInfoBox* InfoBox = nullptr;
    TAboutBox* AboutBox = nullptr;
    TErrorListForm* ErrorListForm = nullptr;
    TKonfig* Konfig = nullptr;
    TEditor* Editor = nullptr;
};

class TMainForm final : public QMainWindow, public TestHost, public BatchWindow {
    Q_OBJECT
  public:
    // `clock` (optional) replaces the system clock; it must outlive the window.
    explicit TMainForm(QWidget* parent = nullptr, Clock* clock = nullptr);
    ~TMainForm() override;

    void AttachWindows(const FormWindows& windows);
    // The results after each location and the log commands; null until the result windows
    // are attached.
    MainResults* Results() { return m_results.get(); }
    // The media's test history after each location; null until the result windows are attached.
    MainHistory* History() { return m_history.get(); }
    // What the options dialog's OK, "Storno" and "&Nápověda" do.
    std::function<void()> KonfigWrite();
    std::function<void()> KonfigRead();
    std::function<void()> KonfigHelp();

    // The shared records the main window owns.
    TestSettings& Settings() { return m_settings; }
    TestStatistics& Statistics() { return m_statistics; }
    LocationList& Locations() { return m_locations; }
    MainDisplay& Display() { return m_display; }
    TestSession& Session() { return *m_session; }
    Dialogs& DialogBoxes() { return m_dialogs; }
    QTimer& Timer1() { return m_timer1; }
    QTimer& Timer2() { return m_timer2; }
    MessagePump& Pump() { return m_pump; }

    // The settings file; tests point it elsewhere. Defaults to "Ulvenor.ini" beside the program.
    std::string SettingsPath;
    // The locations named on the command line: ticked for this run, saved only once the user
    // changes the list. Set before the settings are first read.
    RunLocations StartLocations;

    void ReadINIs();
    // Writes the settings file; returns the error text (empty on success).
    std::string WriteINIs();
    // Redraws DiskList from the location list.
    void RefreshDiskList();

    void InitInterface();
    void SetMenus(bool enabled);
    void EnableDiskList(bool enabled);
    // Copies the display values into the controls of the progress group and the status bar.
    void ShowDisplay() override;

    void ButtonStartTest(ReadModeOverride readModeOverride);
    uint16_t PerformTest(const std::string& location, ReadModeOverride readModeOverride) override;
    // Shows, keeps and lists the results of the location at LocationIndex.
    void ErrorResults(uint16_t badFileCount) override;

    // Close handling: every close request passes FormCloseQuery; FormClose cleans up.
    void FormCloseQuery(bool& canClose);
    void FormClose();

    // TestHost
    void ProcessMessages() override;
    void ShowBusyWindow() override;
    void HideBusyWindow() override;
    ReadErrorAnswer AskReadError(const std::string& path) override;
    void StartProgressTimer() override;

    // BatchWindow
    void LockCommands(bool locked) override;
    void PrepareLocation(bool toFront) override;
    void StopProgressTimer() override;
    bool PauseProgressTimer() override;
    void ResumeProgressTimer() override;
    bool Closing() const override { return m_closePending; }

  public slots:
    void BitBtn2Click();
    void mmSpustitTestClick();
    void Spustittestplntendat1Click();
    void Spustitteststbloky1Click();
    void Spustittestpouzeotevratsoubory1Click();
    void mmPorovnatSeZdrojemClick();
    void btnCancelTestClick();
    void mmKonecClick();
    void mmUlozitZaznamyClick();
    void mmZobrazitSlozkuZaznamyClick();
    void mmZobrazitDocasneZaznamyClick();
    void mmZobrazitGrafRychlostiClick();
    void mmMoznostiClick();
    void mmObsahClick();
    void mmHelpOnHelpClick();
    void mmCoJeNovehoClick();
    void mmAboutClick();
    void btnNalistovatClick();
    void btnOdstranitClick();
    void btnUpravitClick();
    void btnZobrazitClick();
    void btnPridatRucneClick();
    void Timer1Timer();
    void RxTimerEvent1Timer();

  signals:
    // The window has closed for good (after FormClose): the program ends.
    void Closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void FormCreate();
    void CreateStatusPanels();
    void ConnectCommands();
    void ConnectLocationGroup();
    void LocationCommand(bool (*command)(LocationList&, Dialogs&));
    void DiskListItemChanged();
    void DiskListSelectionChanged();
    void SetDiskListColour(bool testing);
    void FinishPendingClose();
    void ConnectResults();

    std::unique_ptr<Ui::TMainForm> m_ui;
    QLabel* m_panel[3] = {nullptr, nullptr, nullptr};
    QTimer m_timer1;
    QTimer m_timer2;
    SystemClock m_systemClock;
    Clock* m_clock;
    QtDialogs m_dialogs;
    MessagePump m_pump;
    TestSettings m_settings;
    TestStatistics m_statistics;
    LocationList m_locations;
    MainDisplay m_display;
    // The run's waits on the medium, on a helper thread while the window pumps.
    std::unique_ptr<ThreadedBlockingCalls> m_calls;
    std::unique_ptr<TestSession> m_session;
    FormWindows m_windows;
    std::unique_ptr<MainResults> m_results;
    // The location of the last run, for its speed graph.
    std::string m_testedLocation;
    std::unique_ptr<MainHistory> m_history;
    bool m_refreshingList = false;
    // A close granted during a test: the window goes at once, the clean-up after the batch.
    bool m_closePending = false;
};

}  // namespace vorlaxis::gui
