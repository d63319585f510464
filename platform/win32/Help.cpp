// HTML Help on Windows: the viewer control is loaded on first use, so that a system without it
// only loses the compiled help and the program still starts.
#include "platform/Help.h"

#include <windows.h>

#include "platform/win32/Wide.h"

namespace vorlaxis::platform {
namespace {

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
constexpr UINT kDisplayTopic = 0x0000;  // HH_DISPLAY_TOPIC

HtmlHelpFunction HtmlHelpEntry() {
    static const HtmlHelpFunction entry = [] {
        const HMODULE control = ::LoadLibraryW(L"hhctrl.ocx");
        return control ? reinterpret_cast<HtmlHelpFunction>(
                             reinterpret_cast<void*>(::GetProcAddress(control, "HtmlHelpW")))
                       : nullptr;
    }();
    return entry;
}

}  // namespace

bool ShowCompiledHelp(const std::string& helpFile, const std::string& topic) {
    const HtmlHelpFunction htmlHelp = HtmlHelpEntry();
    if (!htmlHelp) return false;
    // "file.chm::/topic.htm": the topic names a page inside the file, with forward slashes.
    const std::wstring target = win32::ToWide(helpFile + "::" + topic);
    return htmlHelp(::GetDesktopWindow(), target.c_str(), kDisplayTopic, 0) != nullptr;
}

}  // namespace vorlaxis::platform
