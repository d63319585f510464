// The speed graph of a tested location laid out in a window's pixels: the curve of the speed
// profile, the marks of unreadable and slow files, the axis texts, and the file under the mouse.
// The same points and marks as the SVG graph of vorlaxis-check.
#pragma once

#include <string>
#include <vector>

#include "engine/SlowFiles.h"
#include "results/WindowLayout.h"

namespace vorlaxis {

inline constexpr char kSpeedGraphCaption[] = "Graf rychlosti čtení";
// The menu command, after the "Zobrazit" menu's other items (Ctrl+G).
inline constexpr char kSpeedGraphCommandText[] = "Graf rychlosti čtení...";
inline constexpr char kSpeedGraphLegend[] =
    "Rychlost čtení (MB/s) podle přečtených MB. Červená značka: nečitelný soubor, oranžová: "
    "čitelný, ale pomalý soubor. Název souboru ukáže myš nad značkou.";
// Instead of a curve: before the first test, and for a location where nothing was read.
inline constexpr char kSpeedGraphNoTest[] = "Zatím neproběhl žádný test.";
inline constexpr char kSpeedGraphNoData[] = "Žádná přečtená data.";

struct GraphPixel {
    double x = 0.0;
    double y = 0.0;
};

struct SpeedGraphPicture {
    ControlRect plot;  // the axes' box: zero at its bottom left
    std::vector<GraphPixel> curve;
    struct Mark {
        double x = 0.0;
        bool unreadable = false;
        std::string title;  // the file's path and why
    };
    std::vector<Mark> marks;
    std::string topSpeedText;   // at the top of the vertical axis
    std::string megabytesText;  // at the end of the horizontal axis
};

// The graph of `files` (a location's files as tested) in an area of `width` × `height` pixels.
SpeedGraphPicture LayoutSpeedGraph(const std::vector<FileSpeed>& files, int width, int height);

// The title of the mark nearest to `x` within a few pixels, when `y` lies within the plot;
// empty when there is none.
std::string SpeedGraphTitleAt(const SpeedGraphPicture& picture, double x, double y);

}  // namespace vorlaxis
