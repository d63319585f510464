// The options dialog on Windows: three tabs of options bound to the live settings record; OK and
// "Storno" decide what happens to the settings file, the close box leaves it alone. The rules
// are the core's (settings/KonfigRules).
#pragma once

#include <windows.h>

#include <vector>

#include "settings/KonfigRules.h"
#include "settings/SettingsFile.h"
#include "settings/TestSettings.h"

namespace vorlaxis::win32ui {

namespace konfigid {
// OK and "Storno" carry the OK and Cancel commands: Enter and Esc.
enum : int {
    BitBtn1 = IDOK,
    BitBtn2 = IDCANCEL,
    BitBtn3 = 100,
    PageControl1,
    GroupBox6,
    cbEjectMedia,
    GroupBox3,
    CheckBox1,
    CheckBox2,
    Label8,
    RxSpeedButton1,
    GroupBox1,
    RadioButton1,
    RadioButton2,
    RadioButton3,
    GroupBox2,
    Label1,
    RadioButton4,
    RadioButton5,
    RadioButton6,
    Label2,
    SpinEdit1,
    SpinArrows,
    Label3,
    Label4,
    Label5,
    Label6,
    GroupBox4,
    CheckBox4,
    RadioButton8,
    RadioButton9,
    CheckBox5,
    GroupBox7,
    RadioButton7,
    RadioButton10,
    RadioButton11,
    GroupBox5,
    RadioButton12,
    RadioButton13,
    RadioButton14
};
}  // namespace konfigid

class TKonfig final : public SettingsReadHook {
  public:
    TKonfig(TestSettings& settings, KonfigActions actions, HWND owner);
    ~TKonfig() override;
    TKonfig(const TKonfig&) = delete;
    TKonfig& operator=(const TKonfig&) = delete;

    HWND Handle() const { return m_hwnd; }
    HWND Control(int controlId) const { return ::GetDlgItem(m_hwnd, controlId); }
    // mmMoznostiClick: 30, 30 from the main window's top-left corner, on the first tab, modal.
    void Execute(HWND mainWindow);
    // Shows the record in the controls and brings the enabling rules up to date.
    void LoadFromSettings();
    // SettingsReadHook: ReadINIs has just set ShowLogsAfterTest.
    void ShowLogsAfterTestRead(const TestSettings& settings) override;

  private:
    template <class Window>
    friend LRESULT CALLBACK ForwardMessages(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK SpinProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR self);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Command(int controlId, int code);
    void ShowPage(int page);
    void ApplyEnabling();
    void StepSpin(int steps);
    void SetSpinValue(int32_t value);
    HBRUSH PageBrush(HWND window, HDC dc);
    void DropPageBrush();

    TestSettings& m_settings;
    KonfigActions m_actions;
    HWND m_hwnd = nullptr;
    std::vector<HWND> m_pages[3];
    // The tab's page as it is drawn, the background of the controls on it; made when first needed.
    HBITMAP m_pageBitmap = nullptr;
    HBRUSH m_pageBrush = nullptr;
    bool m_drawingPage = false;
    bool m_closed = false;
};

}  // namespace vorlaxis::win32ui
