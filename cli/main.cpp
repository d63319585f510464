// vorlaxis-check: the media test without a window.
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "cli/CheckHost.h"
#include "cli/CheckOptions.h"
#include "engine/TestRun.h"
#include "engine/ThreadedBlockingCalls.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Text.h"

namespace vorlaxis::cli {
namespace {

enum ExitCode { kAllReadable = 0, kUnreadable = 1, kBadUsage = 2, kStopped = 3 };

int UsageError(const std::string& message) {
    std::fprintf(stderr, "vorlaxis-check: %s\nTry 'vorlaxis-check --help'.\n", message.c_str());
    return kBadUsage;
}

// A private temporary log of this process: parallel checks must not share a name.
std::string PrivateLogPath(int32_t index) {
    const std::string folder = platform::TempFolder();
    if (folder.empty()) return {};
    std::random_device random;
    const uint64_t tag = (static_cast<uint64_t>(random()) << 32) ^ random();
    return folder + "check-" + std::to_string(tag) + "-" + std::to_string(index) + ".txt";
}

// The log as UTF-8 text with LF line ends (the odd "\n\r" ending included).
void PrintLog(const std::string& path) {
    std::string bytes;
    if (!platform::ReadWholeFile(path, bytes)) return;
    const std::string text = platform::Cp1250ToUtf8(bytes);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const bool pair = i + 1 < text.size() && ((text[i] == '\r' && text[i + 1] == '\n') ||
                                                  (text[i] == '\n' && text[i + 1] == '\r'));
        out += pair || text[i] == '\r' ? '\n' : text[i];
        if (pair) ++i;
    }
    const std::string safe = TerminalSafe(out);
    std::fwrite(safe.data(), 1, safe.size(), stdout);
    std::fflush(stdout);
}

TestSettings SettingsFrom(const CheckOptions& o) {
    TestSettings s;
    s.DataReadStyle = o.dataReadStyle;
    s.ReadEveryXthBlock = o.readEveryXthBlock;
    s.BlockSize = o.blockSizeKb;
    s.GoNonstop = true;  // nobody answers a question here
    s.EjectAfterTest = false;
    return s;
}

std::vector<std::string> ExistingLocations(const CheckOptions& o) {
    std::vector<std::string> locations;
    for (const std::string& path : o.paths) {
        if (platform::IsDirectory(path)) {
            locations.push_back(AsLocation(path));
        } else {
            std::fprintf(stderr, "vorlaxis-check: not an existing directory: %s\n",
                         platform::DisplayText(path).c_str());
        }
    }
    return locations;
}

int RunChecks(const CheckOptions& o, const std::vector<std::string>& locations) {
    TestSettings settings = SettingsFrom(o);
    TestStatistics statistics;
    MainDisplay display;
    SystemClock clock;
    CheckHost host(statistics, display, clock, platform::StandardErrorIsTerminal());
    // The medium is waited for on a helper thread: a signal ends a run stuck in a read.
    ThreadedBlockingCalls calls(host, statistics, display);
    TestSession session(settings, statistics, display, host, host, clock, calls);
    int result = kAllReadable;
    for (size_t k = 0; k < locations.size() && !g_stopSignal; ++k) {
        statistics.LocationIndex = static_cast<int32_t>(k);
        statistics.StopRequested = false;
        session.LogPathOverride =
            o.logFile.empty() ? PrivateLogPath(statistics.LocationIndex) : o.logFile;
        const uint16_t bad = PerformTest(session, locations[k]);
        host.EndProgress();
        // A stop without a signal is a tree that could not be collected: not all readable.
        if (bad > 0 || (statistics.StopRequested && !g_stopSignal)) result = kUnreadable;
        // A log without its end must not pass for a clean test.
        if (session.LogIncomplete) {
            std::fprintf(stderr, "vorlaxis-check: the log of %s could not be written completely\n",
                         platform::DisplayText(locations[k]).c_str());
            result = kUnreadable;
        }
        if (o.logFile.empty()) {
            PrintLog(session.LogPath);
            platform::RemoveFile(session.LogPath);
        }
    }
    return g_stopSignal ? kStopped : result;
}

int Main(int argc, char** argv) {
    platform::UseUtf8Console();  // the log and the progress are printed as UTF-8
    CheckOptions options;
    std::string error;
    if (!ParseOptions(platform::ProgramArguments(argc, argv), options, error)) {
        return UsageError(error);
    }
    if (options.help) {
        std::fputs(UsageText(), stdout);
        return kAllReadable;
    }
    const std::vector<std::string> locations = ExistingLocations(options);
    if (locations.empty()) return UsageError("no PATH is an existing directory");
    InstallStopHandlers();
    return RunChecks(options, locations);
}

}  // namespace
}  // namespace vorlaxis::cli

int main(int argc, char** argv) {
    return vorlaxis::cli::Main(argc, argv);
}
