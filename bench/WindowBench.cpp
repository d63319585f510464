// The window benchmark's timed run: the corpus tested through the real main window (offscreen).
// Skipped unless VORLAXIS_BENCH_CORPUS names a folder; bench/window_bench.sh runs it against
// vorlaxis-check.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "AppFixture.h"

namespace vorlaxis::test {
namespace {

using WindowBench = AppFixture;

TEST_F(WindowBench, Corpus) {
    const char* corpus = std::getenv("VORLAXIS_BENCH_CORPUS");
    if (!corpus || !*corpus) GTEST_SKIP() << "VORLAXIS_BENCH_CORPUS not set";
    Start(
        "[Application]\nEject media=0\n[DataRead]\nDataReadStyle=1\nBlockSize=48\n"
        "[Test]\nGo nonstop=1\n[Logs]\nShow Logs After Test=0\nSave Logs to Disk=0\n" +
        Ini({corpus}));
    const auto start = std::chrono::steady_clock::now();
    RunBatchFromStartButton();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("window_seconds=%.3f longest_gap_ms=%.1f files=%s result=%s\n", seconds,
                static_cast<double>(Main().Pump().LongestGapMicroseconds()) / 1000.0,
                Text("Label5").toUtf8().constData(), Text("Label26").toUtf8().constData());
    CheckScript();
}

}  // namespace
}  // namespace vorlaxis::test
