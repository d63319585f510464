#include "engine/win32/ErrorUnit.h"

#include "core/win32/ButtonPictures.h"
#include "core/win32/Controls.h"
#include "help/HelpTopics.h"
#include "platform/Files.h"

namespace vorlaxis::win32ui {

namespace {

constexpr wchar_t kClassName[] = L"TErrorForm";

const Place kPlaces[] = {{errorid::Label1, Kind::Label,
                          L"Při čtení došlo k chybě při čtení tohoto souboru:", 8, 4, 401, 13},
                         {errorid::Edit1, Kind::ReadOnlyEdit, L"", 8, 20, 401, 19},
                         {errorid::BitBtn1, Kind::Button, L"&Zkusit znovu", 186, 48, 93, 25},
                         {errorid::BitBtn2, Kind::DefaultButton, L"&Pokračovat", 282, 48, 128, 25},
                         {errorid::BitBtn3, Kind::Button, L"Ukončit test", 186, 76, 93, 25},
                         {errorid::BitBtn4, Kind::Button, L"Pokračovat &nonstop", 282, 76, 128, 25},
                         {errorid::BitBtn5, Kind::Button, L"Náp&ověda", 8, 76, 93, 25}};

}  // namespace

TErrorForm::TErrorForm(HWND owner) {
    RegisterWindowClass(kClassName, &ForwardMessages<TErrorForm>);
    // A dialog border without close box or system menu: only an answer ends the question.
    m_hwnd = CreateSizedWindow(kClassName, L"Chyba při čtení souboru", WS_POPUP | WS_CAPTION,
                               WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, 418, 108, owner, this);
    CreatePlaces(m_hwnd, kPlaces);
    SetButtonPictures(m_hwnd, {{errorid::BitBtn1, "BitBtn1"},
                               {errorid::BitBtn2, "BitBtn2"},
                               {errorid::BitBtn3, "BitBtn3"},
                               {errorid::BitBtn4, "BitBtn4"},
                               {errorid::BitBtn5, "BitBtn5"}});
}

TErrorForm::~TErrorForm() {
    ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    ::DestroyWindow(m_hwnd);
}

ReadErrorAnswer TErrorForm::Ask(const std::string& path, HWND mainWindow) {
    PlaceBeside(m_hwnd, mainWindow);
    SetWindowText(::GetDlgItem(m_hwnd, errorid::Edit1), path);
    m_answered = false;
    // Anything but an answer (the program quitting under the question) stops the test.
    m_answer = ReadErrorAnswer::Stop;
    RunModal(m_hwnd, mainWindow, m_answered, ::GetDlgItem(m_hwnd, errorid::BitBtn2));
    return m_answer;
}

void TErrorForm::Command(int commandId) {
    switch (commandId) {
        case errorid::BitBtn1:
            m_answer = ReadErrorAnswer::Retry;
            break;
        case errorid::BitBtn2:
            m_answer = ReadErrorAnswer::Continue;
            break;
        case errorid::BitBtn3:
            m_answer = ReadErrorAnswer::Stop;
            break;
        case errorid::BitBtn4:
            m_answer = ReadErrorAnswer::NonStop;
            break;
        case errorid::BitBtn5:
            help::ShowCompiledTopic(help::kTopicReadError);
            return;
        default:
            return;
    }
    m_answered = true;
}

LRESULT TErrorForm::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            Command(LOWORD(wParam));
            return 0;
        case WM_CLOSE:
            return 0;  // no close box, no Alt+F4
        default:
            return ::DefWindowProcW(m_hwnd, message, wParam, lParam);
    }
}

}  // namespace vorlaxis::win32ui
