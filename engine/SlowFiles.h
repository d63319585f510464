// Readable but slow files: each file's read time and throughput, the rule that flags a file
// as slow against the medium's own typical speed, and the speed profile of a location.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vorlaxis {

// One tested file as the run timed it, in the order the files were tested.
struct FileSpeed {
    // Kept for the files that are named: the unreadable ones and those FindSlowFiles() gives.
    // A run leaves it empty for the rest (a million paths would otherwise be held twice).
    std::string Path;
    int64_t Size = 0;       // as listed
    int64_t BytesRead = 0;  // really read (blocks passed over not counted)
    double Seconds = 0.0;   // from before the open to after the close
    bool Unreadable = false;
};

// Bytes per second as megabytes (2^20 bytes) per second; 0 for a file read in no measurable
// time or not read at all.
double MegabytesPerSecond(const FileSpeed& file);

// The file's speed as the slow-file list and the graph write it: "0.005 MB/s".
std::string MegabytesPerSecondText(const FileSpeed& file);

// What each file's read time would be at the median speed of the location's files of similar
// size (0 for a file that was not read): the norm the slow-file rule measures against.
std::vector<double> ExpectedSeconds(const std::vector<FileSpeed>& files);

// The indexes of the readable files that read far slower than the medium's typical speed for
// files of similar size: a drive retrying or crawling over a damaged area. A file is never
// flagged for less than a quarter of a second lost, so open costs and scheduler hiccups on a
// healthy medium flag nothing. Without a clock per read, a single retried read shows only
// through the file's whole time: in a file of many seconds it may go unseen.
std::vector<size_t> FindSlowFiles(const std::vector<FileSpeed>& files);

struct SpeedPoint {
    double Megabytes = 0.0;           // bytes done in the location when the point ends
    double MegabytesPerSecond = 0.0;  // over the stretch since the previous point
};

// Throughput over the position in the location: consecutive files are merged into at most
// `maxPoints` stretches of similar byte counts, each a point at its end.
std::vector<SpeedPoint> SpeedProfile(const std::vector<FileSpeed>& files, size_t maxPoints = 300);

// The graph's ranges: the megabytes of the profile across, its top speed with a tenth of
// headroom up; never 0, so an empty profile still has axes.
struct GraphRange {
    double Megabytes = 1.0;
    double MegabytesPerSecond = 1.0;
};
GraphRange SpeedGraphRange(const std::vector<SpeedPoint>& profile);

// A file marked on the speed graph, at the end of its bytes in the location.
struct GraphMark {
    double Megabytes = 0.0;
    bool Unreadable = false;  // else readable but slow
    std::string Title;        // the path and why: " (nelze přečíst)" or its speed
};

// The unreadable files in the order tested, then the slow ones (`slow` as FindSlowFiles
// gives them).
std::vector<GraphMark> SpeedGraphMarks(const std::vector<FileSpeed>& files,
                                       const std::vector<size_t>& slow);

// The speed profile as an SVG picture: the curve, unreadable files marked red and slow ones
// orange at their position, each mark with the file's path in a <title> for hover.
std::string SpeedGraphSvg(const std::vector<FileSpeed>& files, const std::vector<size_t>& slow,
                          const std::vector<SpeedPoint>& profile);

}  // namespace vorlaxis
