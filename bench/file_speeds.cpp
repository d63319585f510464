// Tests one location as vorlaxis-check reads it and prints how the slow-file rule sees each
// file: the measurements behind its thresholds. Not part of the test suite.
//   file_speeds DIR/ [--all]   a summary; with --all also one line per file
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/SlowFiles.h"
#include "support/RunParts.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: file_speeds DIR/ [--all]\n", stderr);
        return 2;
    }
    using namespace vorlaxis;
    test::RunParts parts;
    parts.settings.GoNonstop = true;
    SystemClock clock;
    TestSession session(parts.settings, parts.statistics, parts.display, parts.host, parts.dialogs,
                        clock);
    session.LogPathOverride = parts.logs.path() + "log.txt";
    PerformTest(session, argv[1]);
    const std::vector<FileSpeed>& files = session.FileSpeeds;
    const std::vector<double> expected = ExpectedSeconds(files);
    const bool all = argc > 2 && std::strcmp(argv[2], "--all") == 0;
    double worstRatio = 0, worstLoss = 0, worstRatioLosing = 0, total = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        const FileSpeed& f = files[i];
        total += f.Seconds;
        if (expected[i] <= 0) continue;
        const double ratio = f.Seconds / expected[i], loss = f.Seconds - expected[i];
        worstRatio = std::max(worstRatio, ratio);
        worstLoss = std::max(worstLoss, loss);
        if (loss > 0.02) worstRatioLosing = std::max(worstRatioLosing, ratio);
        if (all) {
            std::printf("%12lld %9.6f %9.6f %8.2f %s\n", static_cast<long long>(f.BytesRead),
                        f.Seconds, expected[i], ratio, f.Path.c_str());
        }
    }
    std::printf("files %zu  seconds %.3f\n", files.size(), total);
    std::printf(
        "worst time/expected %.1f  worst loss %.4f s  worst time/expected losing "
        "over 20 ms %.1f\n",
        worstRatio, worstLoss, worstRatioLosing);
    for (size_t i : FindSlowFiles(files))
        std::printf("slow: %s %.3f MB/s\n", files[i].Path.c_str(), MegabytesPerSecond(files[i]));
    return 0;
}
