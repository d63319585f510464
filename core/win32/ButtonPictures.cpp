#include "core/win32/ButtonPictures.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/Wide.h"

namespace vorlaxis::win32ui {

namespace {

constexpr int kSize = 16;

// The shared picture as a 32-bit bitmap: its pixels are already in the order and form (blue,
// green, red, alpha; premultiplied) of a top-down 32-bit DIB.
HBITMAP PictureBitmap(PictureKind kind) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kSize;
    info.bmiHeader.biHeight = -kSize;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    const std::vector<uint32_t> pixels = PicturePixels(kind, kSize);
    std::copy(pixels.begin(), pixels.end(), static_cast<uint32_t*>(bits));
    return bitmap;
}

// One image list per picture, made when first needed and kept while the program runs: the
// buttons only refer to it.
HIMAGELIST PictureList(PictureKind kind) {
    static std::array<HIMAGELIST, 7> lists{};
    HIMAGELIST& list = lists[static_cast<size_t>(kind)];
    if (!list) {
        HBITMAP bitmap = PictureBitmap(kind);
        list = ::ImageList_Create(kSize, kSize, ILC_COLOR32, 1, 0);
        ::ImageList_Add(list, bitmap, nullptr);
        ::DeleteObject(bitmap);
    }
    return list;
}

std::string ClassName(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return platform::win32::ToUtf8(name);
}

}  // namespace

void SetButtonPicture(HWND button, PictureKind kind) {
    BUTTON_IMAGELIST picture{};
    picture.himl = kind == PictureKind::None ? nullptr : PictureList(kind);
    picture.margin = {4, 0, 0, 0};
    picture.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
    ::SendMessageW(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&picture));
}

void SetButtonPictures(HWND window, std::initializer_list<NamedButton> buttons) {
    const std::string windowName = ClassName(window);
    for (const NamedButton& button : buttons) {
        SetButtonPicture(::GetDlgItem(window, button.controlId),
                         PictureOf(windowName, button.name));
    }
}

}  // namespace vorlaxis::win32ui
