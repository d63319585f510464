// TMainForm on Windows: the commands, the location group, the settings, the results and the
// close handling.
#include "app/win32/MainFormUnit.h"

#include <commctrl.h>

#include "engine/TestRun.h"
#include "help/HelpTopics.h"
#include "help/win32/AboutUnit.h"
#include "platform/Files.h"
#include "platform/win32/Wide.h"
#include "results/win32/EditorUnit.h"
#include "results/win32/ErrorListUnit.h"
#include "results/win32/MainFollowUp.h"
#include "settings/SettingsFile.h"
#include "settings/win32/KonfigUnit.h"

namespace vorlaxis::win32ui {

namespace {

using platform::win32::ToWide;

class FormPlacement final : public WindowPlacement {
  public:
    explicit FormPlacement(HWND window) : m_window(window) {}
    int32_t Left() const override { return Rect().left; }
    int32_t Top() const override { return Rect().top; }
    void SetTop(int32_t top) override { Move(Rect().left, top); }
    void SetLeft(int32_t left) override { Move(left, Rect().top); }

  private:
    RECT Rect() const {
        RECT rect{};
        ::GetWindowRect(m_window, &rect);
        return rect;
    }
    void Move(int32_t left, int32_t top) {
        ::SetWindowPos(m_window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    HWND m_window;
};

}  // namespace

void ShowHelp(const std::string& topic) {
    help::ShowCompiledTopic(topic);
}

void TMainForm::Command(int commandId) {
    // A locked menu item stays locked for its accelerator too.
    const UINT menuState = ::GetMenuState(Menu(), static_cast<UINT>(commandId), MF_BYCOMMAND);
    if (menuState != static_cast<UINT>(-1) && (menuState & (MF_GRAYED | MF_DISABLED))) return;
    switch (commandId) {
        case IDOK:
        case id::BitBtn2:
        case id::mmSpustitTest:
            ButtonStartTest(AsTheOptionsSay);
            break;
        case id::Spustittestplntendat1:
            ButtonStartTest(ForceAllData);
            break;
        case id::Spustitteststbloky1:
            ButtonStartTest(ForceBlocks);
            break;
        case id::Spustittestpouzeotevratsoubory1:
            ButtonStartTest(ForceOpenOnly);
            break;
        case id::mmPorovnatSeZdrojem:
            mmPorovnatSeZdrojemClick();
            break;
        case IDCANCEL:
        case id::btnCancelTest:
            btnCancelTestClick();
            break;
        case id::BitBtn1:
            RequestClose();
            break;
        case id::mmKonec:
            if (ConfirmExit(*m_dialogs)) RequestClose();
            break;
        case id::btnNalistovat:
            LocationCommand(&BrowseAndAddLocation);
            break;
        case id::btnOdstranit:
            LocationCommand(&RemoveSelectedLocation);
            break;
        case id::btnUpravit:
            LocationCommand(&EditSelectedLocation);
            break;
        case id::btnPridatRucne:
            LocationCommand(&AddLocationByHand);
            break;
        case id::btnZobrazit:
            ShowSelectedLocation(m_locations, *m_dialogs);
            break;
        case id::mmUlozitZaznamy:
            SaveTempLogs(Context(), m_statistics.LocationIndex, m_session->MediaRecords);
            break;
        case id::mmZobrazitSlozkuZaznamy:
            ShowLogsFolder(Context());
            break;
        case id::mmZobrazitDocasneZaznamy:
            ShowTempLogs(Context(), m_statistics.LocationIndex);
            break;
        case id::mmZobrazitGrafRychlosti:
            m_followUp->mmZobrazitGrafRychlostiClick();
            break;
        case id::mmZobrazitPorovnani:
            m_followUp->mmZobrazitPorovnaniClick();
            break;
        case id::mmObsah:
            ShowHelp(help::kTopicContents);
            break;
        case id::mmHelpOnHelp:
            ShowHelp(help::kTopicHelpOnHelp);
            break;
        case id::mmCoJeNoveho:
            m_shell->OpenDocument(platform::ProgramFolder() + help::kWhatsNewFileName, {});
            break;
        case id::mmMoznosti:
            m_konfig->Execute(m_hwnd);
            break;
        case id::mmAbout:
            m_aboutBox->ShowFor(m_hwnd);
            break;
        default:
            break;
    }
}

void TMainForm::ButtonStartTest(ReadModeOverride override) {
    // Enter reaches here as IDOK: only while the start button is there to press.
    if (!::IsWindowVisible(Control(id::BitBtn2)) || m_statistics.TestRunning) return;
    vorlaxis::ButtonStartTest(*m_session, m_locations, *this, override);
    if (m_closePending) FormClose();
}

void TMainForm::mmPorovnatSeZdrojemClick() {
    if (m_statistics.TestRunning) return;
    vorlaxis::CompareWithSource(*m_session, m_locations, *this);
    if (m_closePending) FormClose();
}

void TMainForm::ReadINIs() {
    FormPlacement placement(m_hwnd);
    vorlaxis::ReadINIs(SettingsPath, m_settings, &placement, m_locations, m_konfig.get());
    StartLocations.Apply(m_locations);
    RefreshDiskList();
}

std::string TMainForm::WriteINIs() {
    FormPlacement placement(m_hwnd);
    return vorlaxis::WriteINIs(SettingsPath, m_settings, &placement,
                               StartLocations.ListToSave(m_locations));
}

void TMainForm::RefreshDiskList() {
    HWND list = Control(id::DiskList);
    m_refreshingList = true;
    ListView_DeleteAllItems(list);
    for (int i = 0; i < m_locations.Count(); ++i) {
        std::wstring text = ToWide(m_locations.Text(i));
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = text.data();
        ListView_InsertItem(list, &item);
        ListView_SetCheckState(list, i, m_locations.IsTicked(i));
    }
    const int selected = m_locations.Selected();
    if (selected != LocationList::kNone) {
        ListView_SetItemState(list, selected, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
    }
    m_refreshingList = false;
}

void TMainForm::DiskListChanged(const NMHDR& header) {
    if (header.idFrom != id::DiskList || header.code != LVN_ITEMCHANGED || m_refreshingList) {
        return;
    }
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if (change.iItem < 0 || change.iItem >= m_locations.Count()) return;
    if (change.uChanged & LVIF_STATE) {
        HWND list = Control(id::DiskList);
        m_locations.SetTicked(change.iItem, ListView_GetCheckState(list, change.iItem) != FALSE);
        if ((change.uNewState ^ change.uOldState) & LVIS_SELECTED) {
            m_locations.SetSelected(static_cast<int>(
                ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)));
        }
    }
}

void TMainForm::LocationCommand(bool (*command)(LocationList&, Dialogs&)) {
    if (command(m_locations, *m_dialogs)) RefreshDiskList();
}

void TMainForm::SetFolders(std::string tempFolder, std::string logsFolder) {
    m_tempFolder = std::move(tempFolder);
    m_logsFolder = std::move(logsFolder);
}

ResultsContext TMainForm::Context() {
    return {m_settings, *m_dialogs, *m_shell, *this, m_tempFolder, m_logsFolder};
}

void TMainForm::ErrorResults(uint16_t badFileCount) {
    // The list holds the rows of the location just tested.
    m_errorList->Clear();
    for (const BadFileEntry& entry : m_session->BadFiles) m_errorList->AddRow(entry);
    vorlaxis::ErrorResults(Context(), m_statistics, badFileCount);
    m_followUp->AfterLocation(*m_session, m_testedLocation, m_logsFolder, m_closePending);
}

std::string TMainForm::ShowLogInViewer(const std::string& path) {
    m_editor->SetCaption(path);
    std::string error = m_editor->Load(path);
    if (error.empty()) m_editor->ShowModal(m_hwnd);
    return error;
}

void TMainForm::ShowBadFileList() {
    m_errorList->ShowModal(m_hwnd);
}

void TMainForm::SetBadFileCountRed(bool red) {
    m_display.badFilesRed = red;
    ShowDisplay();
}

void TMainForm::RequestClose() {
    if (m_closePending || m_closed) return;
    if (!CloseQuery(m_statistics, *m_dialogs)) return;
    ::ShowWindow(m_hwnd, SW_HIDE);
    if (m_statistics.TestRunning) {
        // The run is still on the stack: it stops at its next check, the batch ends after
        // this location, and the clean-up follows when the batch has unwound.
        m_closePending = true;
        return;
    }
    FormClose();
}

void TMainForm::FormClose() {
    m_closePending = false;
    CloseCleanUp(m_statistics, *m_dialogs, [this] { return WriteINIs(); });
    m_closed = true;
    ::KillTimer(m_hwnd, 2);
    ::PostQuitMessage(0);
}

}  // namespace vorlaxis::win32ui
