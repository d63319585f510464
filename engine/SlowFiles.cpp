#include "engine/SlowFiles.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "engine/TestStatistics.h"
#include "platform/Utf8.h"

namespace vorlaxis {

namespace {

constexpr auto kMiB = static_cast<double>(kMegabyte);

// The thresholds, from runs over 4000 files of 0 bytes to 60 MB on a disk, a tmpfs, a
// loop-mounted ext4 image and a file system that delays the reads of chosen files. Healthy
// files lost at most 0.14 s against their peers, and those that lost over 20 ms took at most
// 16 times as long; a 1 MB file delayed by 20 ms per read took 255 times as long. Small files
// are measured against open costs their peers do not show alike, so the loss decides there.
constexpr double kSlowFactor = 16.0;  // time against the time its peers' speed predicts
constexpr double kMinLoss = 0.25;     // seconds a file must lose before it counts as slow
constexpr size_t kMinPeers = 5;       // fewer files of a size class: the whole location

bool Timed(const FileSpeed& f) {
    return !f.Unreadable && f.BytesRead > 0;
}

// Sizes within a factor of 4 share a class.
int SizeClass(int64_t bytes) {
    int c = 0;
    while (bytes >= 4) {
        bytes /= 4;
        ++c;
    }
    return c;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Three decimals, as the JSON result has them, the same in every locale; `exact`: every digit
// the value needs (a scale of a terabyte-sized test is far below a thousandth).
void AppendNumber(std::string& out, double value, bool exact = false) {
    if (!std::isfinite(value)) value = 0.0;
    char buffer[400];
    const auto [end, ec] =
        exact ? std::to_chars(buffer, buffer + sizeof buffer, value)
              : std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
    out.append(buffer, ec == std::errc() ? end : buffer);
}

// Text for an XML element, well-formed whatever the name holds: markup characters escaped;
// control characters, the non-characters U+FFFE and U+FFFF, and each byte outside valid UTF-8
// (surrogates and overlong forms included) shown as "?".
std::string XmlText(const std::string& text) {
    std::string out;
    platform::ForEachUtf8(
        text,
        [&out](uint32_t cp, std::string_view sequence) {
            switch (cp) {
                case '&':
                    out += "&amp;";
                    break;
                case '<':
                    out += "&lt;";
                    break;
                case '>':
                    out += "&gt;";
                    break;
                case '"':
                    out += "&quot;";
                    break;
                case '\'':
                    out += "&apos;";
                    break;
                default:
                    const bool control = cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
                    if (control || cp == 0xFFFE || cp == 0xFFFF) {
                        out += '?';
                    } else {
                        out += sequence;
                    }
            }
        },
        [&out] { out += '?'; });
    return out;
}

}  // namespace

double MegabytesPerSecond(const FileSpeed& f) {
    if (f.BytesRead <= 0 || f.Seconds <= 0.0) return 0.0;
    return static_cast<double>(f.BytesRead) / kMiB / f.Seconds;
}

std::string MegabytesPerSecondText(const FileSpeed& file) {
    std::string text;
    AppendNumber(text, MegabytesPerSecond(file));
    return text + " MB/s";
}

std::vector<double> ExpectedSeconds(const std::vector<FileSpeed>& files) {
    // Seconds per byte by size class; a file is judged against its own class and the two
    // beside it.
    std::vector<std::vector<double>> byClass;
    std::vector<double> all;
    for (const FileSpeed& f : files) {
        if (!Timed(f)) continue;
        const double secondsPerByte = f.Seconds / static_cast<double>(f.BytesRead);
        const auto c = static_cast<size_t>(SizeClass(f.BytesRead));
        if (byClass.size() <= c) byClass.resize(c + 1);
        byClass[c].push_back(secondsPerByte);
        all.push_back(secondsPerByte);
    }
    std::vector<double> classMedian(byClass.size(), Median(all));
    for (size_t c = 0; c < byClass.size(); ++c) {
        std::vector<double> peers;
        for (size_t n = c == 0 ? 0 : c - 1; n <= c + 1 && n < byClass.size(); ++n)
            peers.insert(peers.end(), byClass[n].begin(), byClass[n].end());
        if (peers.size() >= kMinPeers) classMedian[c] = Median(std::move(peers));
    }
    std::vector<double> expected(files.size(), 0.0);
    for (size_t i = 0; i < files.size(); ++i) {
        if (!Timed(files[i])) continue;
        const auto c = static_cast<size_t>(SizeClass(files[i].BytesRead));
        expected[i] = classMedian[c] * static_cast<double>(files[i].BytesRead);
    }
    return expected;
}

std::vector<size_t> FindSlowFiles(const std::vector<FileSpeed>& files) {
    const std::vector<double> expected = ExpectedSeconds(files);
    std::vector<size_t> slow;
    for (size_t i = 0; i < files.size(); ++i) {
        const FileSpeed& f = files[i];
        if (!Timed(f)) continue;
        if (f.Seconds - expected[i] >= kMinLoss && f.Seconds > kSlowFactor * expected[i])
            slow.push_back(i);
    }
    return slow;
}

std::vector<SpeedPoint> SpeedProfile(const std::vector<FileSpeed>& files, size_t maxPoints) {
    std::vector<SpeedPoint> points;
    if (files.empty() || maxPoints == 0) return points;
    // Every file weighs one byte more than its size, so empty files count too and a stretch
    // of at least total / maxPoints bounds the number of points.
    double total = 0.0;
    for (const FileSpeed& f : files) total += static_cast<double>(std::max<int64_t>(f.Size, 0)) + 1;
    const double stretch = total / static_cast<double>(maxPoints);
    double done = 0.0, weight = 0.0, read = 0.0, seconds = 0.0;
    for (size_t i = 0; i < files.size(); ++i) {
        const FileSpeed& f = files[i];
        const double size = static_cast<double>(std::max<int64_t>(f.Size, 0));
        done += size;
        weight += size + 1;
        read += static_cast<double>(std::max<int64_t>(f.BytesRead, 0));
        seconds += std::max(f.Seconds, 0.0);
        const bool last = i + 1 == files.size();
        // A stretch read in no measurable time has no speed: it joins the next one.
        if (!last && (weight < stretch || seconds <= 0.0)) continue;
        points.push_back({done / kMiB, seconds > 0.0 ? read / kMiB / seconds : 0.0});
        weight = read = seconds = 0.0;
    }
    return points;
}

GraphRange SpeedGraphRange(const std::vector<SpeedPoint>& profile) {
    GraphRange range{0.0, 0.0};
    for (const SpeedPoint& p : profile) {
        range.Megabytes = std::max(range.Megabytes, p.Megabytes);
        range.MegabytesPerSecond = std::max(range.MegabytesPerSecond, p.MegabytesPerSecond);
    }
    if (range.Megabytes <= 0.0) range.Megabytes = 1.0;
    if (range.MegabytesPerSecond <= 0.0) range.MegabytesPerSecond = 1.0;
    range.MegabytesPerSecond *= 1.1;
    return range;
}

std::vector<GraphMark> SpeedGraphMarks(const std::vector<FileSpeed>& files,
                                       const std::vector<size_t>& slow) {
    double done = 0.0;
    std::vector<double> ends(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        done += static_cast<double>(std::max<int64_t>(files[i].Size, 0)) / kMiB;
        ends[i] = done;
    }
    std::vector<GraphMark> marks;
    for (size_t i = 0; i < files.size(); ++i)
        if (files[i].Unreadable)
            marks.push_back({ends[i], true, files[i].Path + " (nelze přečíst)"});
    for (size_t i : slow) {
        if (i >= files.size()) continue;
        marks.push_back(
            {ends[i], false, files[i].Path + " (" + MegabytesPerSecondText(files[i]) + ")"});
    }
    return marks;
}

std::string SpeedGraphSvg(const std::vector<FileSpeed>& files, const std::vector<size_t>& slow,
                          const std::vector<SpeedPoint>& profile) {
    constexpr double kLeft = 70, kTop = 30, kWidth = 720, kHeight = 340;
    const GraphRange range = SpeedGraphRange(profile);
    const double maxMb = range.Megabytes, maxSpeed = range.MegabytesPerSecond;
    std::string s;
    auto num = [&s](double v) { AppendNumber(s, v); };
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"820\" height=\"420\" "
         "viewBox=\"0 0 820 420\" font-family=\"sans-serif\" font-size=\"12\">\n"
         "<rect width=\"820\" height=\"420\" fill=\"white\"/>\n";
    // Axes with their largest values.
    s += "<path d=\"M70 30 V370 H790\" fill=\"none\" stroke=\"black\"/>\n";
    s += "<text x=\"66\" y=\"34\" text-anchor=\"end\">";
    num(maxSpeed);
    s += "</text>\n<text x=\"66\" y=\"374\" text-anchor=\"end\">0</text>\n";
    s += "<text x=\"10\" y=\"200\">MB/s</text>\n";
    s += "<text x=\"790\" y=\"388\" text-anchor=\"end\">";
    num(maxMb);
    s += " MB</text>\n<text x=\"70\" y=\"388\">0</text>\n";
    // The data in its own units: megabytes right, MB/s up. The points are the profile's own.
    s += "<g transform=\"translate(";
    num(kLeft);
    s += ' ';
    num(kTop + kHeight);
    s += ") scale(";
    AppendNumber(s, kWidth / maxMb, true);
    s += ' ';
    AppendNumber(s, -kHeight / maxSpeed, true);
    s += ")\">\n";
    s += "<polyline class=\"speed\" fill=\"none\" stroke=\"#1f5fbf\" stroke-width=\"1.5\" "
         "vector-effect=\"non-scaling-stroke\" points=\"";
    for (size_t i = 0; i < profile.size(); ++i) {
        if (i > 0) s += ' ';
        num(profile[i].Megabytes);
        s += ',';
        num(profile[i].MegabytesPerSecond);
    }
    s += "\"/>\n";
    // A mark at the end of each unreadable or slow file.
    for (const GraphMark& m : SpeedGraphMarks(files, slow)) {
        s += "<line class=\"";
        s += m.Unreadable ? "unreadable" : "slow";
        s += "\" x1=\"";
        num(m.Megabytes);
        s += "\" x2=\"";
        num(m.Megabytes);
        s += "\" y1=\"0\" y2=\"";
        num(maxSpeed);
        s += "\" stroke=\"";
        s += m.Unreadable ? "#d00000" : "#f08000";
        s += "\" stroke-width=\"3\" vector-effect=\"non-scaling-stroke\"><title>";
        s += XmlText(m.Title);
        s += "</title></line>\n";
    }
    s += "</g>\n</svg>\n";
    return s;
}

}  // namespace vorlaxis
