// Which buttons of the windows carry a small picture beside their caption, and the pictures
// themselves. Both faces look their buttons up here (window and button by their layout names)
// and show these pixels, so the Qt and the Win32 windows show the same pictures on the same
// buttons.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vorlaxis {

enum class PictureKind {
    None,    // a plain button
    Ok,      // a green tick
    Cancel,  // a red cross
    Close,   // a door
    Retry,   // a circular arrow
    All,     // a double arrow: go on with all
    Help     // a question mark
};

struct ButtonPicture {
    std::string_view window;
    std::string_view button;
    PictureKind kind;
};

inline constexpr std::array kButtonPictures{
    ButtonPicture{"TMainForm", "BitBtn2", PictureKind::Ok},
    ButtonPicture{"TMainForm", "btnCancelTest", PictureKind::Cancel},
    ButtonPicture{"TMainForm", "BitBtn1", PictureKind::Close},
    ButtonPicture{"TErrorForm", "BitBtn1", PictureKind::Retry},
    ButtonPicture{"TErrorForm", "BitBtn2", PictureKind::Ok},
    ButtonPicture{"TErrorForm", "BitBtn3", PictureKind::Cancel},
    ButtonPicture{"TErrorForm", "BitBtn4", PictureKind::All},
    ButtonPicture{"TErrorForm", "BitBtn5", PictureKind::Help},
    ButtonPicture{"TErrorListForm", "BitBtn1", PictureKind::Ok},
    ButtonPicture{"TEditor", "BitBtn1", PictureKind::Ok},
    // "Zavřít" closes the box as its OK does: the tick, not the door.
    ButtonPicture{"TAboutBox", "BitBtn1", PictureKind::Ok},
};

// The picture of `button` of `window`; None for every button the table does not name.
constexpr PictureKind PictureOf(std::string_view window, std::string_view button) {
    for (const ButtonPicture& picture : kButtonPictures) {
        if (picture.window == window && picture.button == button) return picture.kind;
    }
    return PictureKind::None;
}

// The picture of `kind` drawn `size` × `size` pixels (16, or a multiple for dense screens), top
// row first, each pixel 0xAARRGGBB with the colour premultiplied by its alpha; all clear for None.
std::vector<uint32_t> PicturePixels(PictureKind kind, int size);

}  // namespace vorlaxis
