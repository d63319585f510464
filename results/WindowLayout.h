// The result windows' plain parts: the rows of the bad-file list and the resize rules that keep
// the controls glued to the window's edges.
#pragma once

#include <string>

#include "engine/TestStatistics.h"

namespace vorlaxis {

// A row of the bad-file list from a full path: the name after the last separator (or after
// a drive's colon when there is none) and the folder up to and including the separator.
BadFileEntry SplitBadFilePath(const std::string& fullPath);

struct ControlRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ControlRect&) const = default;
};

// The windows' sizes are outer sizes, frame included. A window system that measures the size
// without the frame adds these (a sizeable window's frame of the layouts' measures).
constexpr int kSizeableFrameWidth = 8;
constexpr int kSizeableFrameHeight = 27;

struct ErrorListLayout {
    ControlRect listView;
    ControlRect okButton;
};

struct EditorLayout {
    ControlRect memo;
    ControlRect okButton;
};

// The places of the controls for an outer size. A window made smaller than its controls
// gets sizes of at least 0 and an OK button that stays right of and below the top-left margin.
ErrorListLayout LayoutErrorList(int outerWidth, int outerHeight);
EditorLayout LayoutEditor(int outerWidth, int outerHeight);

}  // namespace vorlaxis
