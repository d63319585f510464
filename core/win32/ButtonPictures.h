// Pictures beside the captions of the Win32 buttons: the shared pictures, 16 × 16, made at run
// time (no resources: the test program shows them as the window program does) and handed to the
// themed button through its image list. The themed button is that of the common controls 6, which
// the program's manifest asks for; an older button ignores the picture.
#pragma once

#include <windows.h>

#include <initializer_list>

#include "core/ButtonPictures.h"

namespace vorlaxis::win32ui {

// Puts the picture of `kind` left of the caption of `button`; None takes the picture away.
void SetButtonPicture(HWND button, PictureKind kind);

// A button of a window: its control identifier and its name in the layout.
struct NamedButton {
    int controlId;
    const char* name;
};

// Gives each of `buttons` of `window` the picture the shared table names for it; the window is
// known there by its class name.
void SetButtonPictures(HWND window, std::initializer_list<NamedButton> buttons);

}  // namespace vorlaxis::win32ui
