#include "results/SpeedGraph.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace vorlaxis {

namespace {

// Room for the axis texts around the plot.
constexpr int kLeftMargin = 70, kRightMargin = 20, kTopMargin = 20, kBottomMargin = 30;
// How far from a mark the mouse still finds it.
constexpr double kReach = 4.0;

// One decimal, the same in every locale.
std::string OneDecimal(double value, const char* unit) {
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    return std::string(buffer, ec == std::errc() ? end : buffer) + unit;
}

}  // namespace

SpeedGraphPicture LayoutSpeedGraph(const std::vector<FileSpeed>& files, int width, int height) {
    SpeedGraphPicture picture;
    picture.plot = {kLeftMargin, kTopMargin, std::max(1, width - kLeftMargin - kRightMargin),
                    std::max(1, height - kTopMargin - kBottomMargin)};
    const std::vector<SpeedPoint> profile = SpeedProfile(files);
    const GraphRange range = SpeedGraphRange(profile);
    const ControlRect& p = picture.plot;
    auto xOf = [&](double megabytes) { return p.left + megabytes / range.Megabytes * p.width; };
    const double bottom = p.top + p.height;
    for (const SpeedPoint& point : profile) {
        picture.curve.push_back(
            {xOf(point.Megabytes),
             bottom - point.MegabytesPerSecond / range.MegabytesPerSecond * p.height});
    }
    for (GraphMark& mark : SpeedGraphMarks(files, FindSlowFiles(files)))
        picture.marks.push_back({xOf(mark.Megabytes), mark.Unreadable, std::move(mark.Title)});
    picture.topSpeedText = OneDecimal(range.MegabytesPerSecond, " MB/s");
    picture.megabytesText = OneDecimal(range.Megabytes, " MB");
    return picture;
}

std::string SpeedGraphTitleAt(const SpeedGraphPicture& picture, double x, double y) {
    const ControlRect& p = picture.plot;
    if (y < p.top || y > p.top + p.height) return {};
    const SpeedGraphPicture::Mark* nearest = nullptr;
    for (const SpeedGraphPicture::Mark& mark : picture.marks) {
        const double distance = std::abs(mark.x - x);
        if (distance <= kReach && (!nearest || distance < std::abs(nearest->x - x)))
            nearest = &mark;
    }
    return nearest ? nearest->title : std::string();
}

}  // namespace vorlaxis
