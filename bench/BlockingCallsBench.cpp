// What the helper thread costs: the same location tested alternately with the calls made on
// the run's own thread and with the calls carried out on a helper thread, in one process.
//
//   vorlaxis-bench-calls LOCATION [ROUNDS]
//
// Prints the throughput of each way per round and the cost of the helper thread.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/TestRun.h"
#include "engine/ThreadedBlockingCalls.h"
#include "platform/Files.h"
#include "settings/SettingsFile.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedHost.h"

namespace {

using namespace vorlaxis;

struct Outcome {
    double seconds = 0;
    int64_t bytes = 0;
    uint16_t checksum = 0;
    uint16_t bad = 0;
};

Outcome RunOnce(const std::string& location, bool threaded) {
    // All data, 48 kB blocks, as the program reads by default; nobody answers questions.
    TestSettings settings = DefaultTestSettings();
    settings.EjectAfterTest = false;
    settings.GoNonstop = true;
    TestStatistics statistics;
    MainDisplay display;
    test::ScriptedHost host;  // only counts the pumps, as vorlaxis-check without a terminal
    test::ScriptedDialogs dialogs;
    SystemClock clock;
    DirectBlockingCalls direct;
    ThreadedBlockingCalls helper(host, statistics, display);
    BlockingCalls& calls = threaded ? static_cast<BlockingCalls&>(helper) : direct;
    TestSession session(settings, statistics, display, host, dialogs, clock, calls);
    session.LogPathOverride = platform::TempFolder() + "bench-calls-log.txt";
    session.NoFileLimit = true;  // a folder of many small files is timed whole
    const auto start = std::chrono::steady_clock::now();
    Outcome o;
    o.bad = PerformTest(session, location);
    o.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    o.bytes = statistics.BytesDone;
    o.checksum = session.DataChecksum;
    platform::RemoveFile(session.LogPathOverride);
    return o;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: vorlaxis-bench-calls LOCATION [ROUNDS]\n", stderr);
        return 2;
    }
    std::string location = argv[1];
    if (location.back() != '/') location += '/';
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    // A first pass of each way warms the disk's cache on the host; it is not counted.
    RunOnce(location, false);
    RunOnce(location, true);
    std::vector<double> costs;
    double secondsDirect = 0, secondsThreaded = 0;
    for (int r = 0; r < rounds; ++r) {
        // Alternate which way goes first, so a warming disk favours neither.
        const bool threadedFirst = r % 2 == 1;
        const Outcome first = RunOnce(location, threadedFirst);
        const Outcome second = RunOnce(location, !threadedFirst);
        const Outcome& direct = threadedFirst ? second : first;
        const Outcome& threaded = threadedFirst ? first : second;
        if (direct.checksum != threaded.checksum || direct.bytes != threaded.bytes ||
            direct.bad != threaded.bad) {
            std::fprintf(stderr, "round %d: the two ways read differently\n", r + 1);
            return 1;
        }
        secondsDirect += direct.seconds;
        secondsThreaded += threaded.seconds;
        const double mbDirect = double(direct.bytes) / 1048576.0 / direct.seconds;
        const double mbThreaded = double(threaded.bytes) / 1048576.0 / threaded.seconds;
        costs.push_back((1.0 - mbThreaded / mbDirect) * 100.0);
        std::printf(
            "round %d: %.0f MiB read, own thread %.1f MB/s (%.3f s), helper thread %.1f MB/s "
            "(%.3f s), cost %+.2f %%\n",
            r + 1, double(direct.bytes) / 1048576.0, mbDirect, direct.seconds, mbThreaded,
            threaded.seconds, costs.back());
    }
    // The way that goes second in a round is slowed by the first; alternating the order and
    // taking the mean over an even number of rounds cancels that out.
    double mean = 0;
    for (const double c : costs) mean += c / double(costs.size());
    std::printf(
        "helper thread cost: mean of %d rounds %+.2f %%, median %+.2f %%, all rounds together "
        "%+.2f %% of the throughput (target: at most 3 %%)\n",
        rounds, mean, Median(costs), (1.0 - secondsDirect / secondsThreaded) * 100.0);
    return 0;
}
