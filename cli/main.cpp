// vorlaxis-check: the media test without a window.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CheckHost.h"
#include "cli/CheckOptions.h"
#include "cli/CheckResult.h"
#include "cli/ExitStatus.h"
#include "engine/TestRun.h"
#include "engine/ThreadedBlockingCalls.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Text.h"
#include "results/History.h"

namespace vorlaxis::cli {
namespace {

// Standard output was closed when the program started: what was meant for it is lost.
bool g_outputClosed = false;

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

// Writes to standard output; false (said on standard error) when it did not all arrive there
// (closed or full).
bool PrintOut(std::string_view text, const char* what) {
    const bool written = !g_outputClosed &&
                         std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
                         std::fflush(stdout) == 0;
    if (!written) {
        std::fprintf(stderr, "vorlaxis-check: %s could not be written to standard output\n", what);
    }
    return written;
}

// Prints the log as UTF-8 text with LF line ends (the odd "\n\r" ending included); false
// (said on standard error) when it could not be read back or printed in full.
bool PrintLog(const std::string& path) {
    std::string bytes;
    if (!platform::ReadWholeFile(path, bytes)) {
        std::fprintf(stderr, "vorlaxis-check: the temporary log %s could not be read back\n",
                     platform::DisplayText(path).c_str());
        return false;
    }
    const std::string text = platform::Cp1250ToUtf8(bytes);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const bool pair = i + 1 < text.size() && ((text[i] == '\r' && text[i + 1] == '\n') ||
                                                  (text[i] == '\n' && text[i + 1] == '\r'));
        out += pair || text[i] == '\r' ? '\n' : text[i];
        if (pair) ++i;
    }
    return PrintOut(TerminalSafe(out), "the log");
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

// One result per PATH, in the order given; a PATH that is no existing directory has failed.
// The others stay "stopped" until tested, so a stop before them leaves them so.
std::vector<LocationResult> PlannedLocations(const CheckOptions& o) {
    std::vector<LocationResult> results(o.paths.size());
    for (size_t i = 0; i < o.paths.size(); ++i) {
        const std::string& path = o.paths[i];
        if (platform::IsDirectory(path)) {
            results[i].path = AsLocation(path);
            results[i].outcome = Outcome::Stopped;
        } else {
            std::fprintf(stderr, "vorlaxis-check: not an existing directory: %s\n",
                         LineSafe(path).c_str());
            results[i].path = path;
            results[i].outcome = Outcome::Failed;
            // Among other locations, a missing one must not let the run pass for complete.
            results[i].unchecked.push_back({UncheckedReason::NoMedium, path, 0});
        }
    }
    return results;
}

void Record(LocationResult& r, const TestSession& session, uint16_t bad, double seconds) {
    const TestStatistics& statistics = session.Statistics;
    const MediaRecord& medium = session.MediaRecords[static_cast<size_t>(statistics.LocationIndex)];
    r.identified = !medium.VolumeSerial.empty();  // empty: the log failed before it was asked
    r.label = medium.VolumeLabel;
    r.serial = medium.VolumeSerial;
    r.directories = session.DirectoryCount;
    r.files = session.FileCount;
    for (const BadFileEntry& file : session.BadFiles)
        r.unreadable.push_back(file.Directory + file.Name);
    // The log has a checksum only when files were read and the tree was collected.
    if (statistics.ReadMode != OnlyOpen && !session.CollectionFailed)
        r.checksum = session.DataChecksum;
    r.bytesRead = statistics.BytesRead;
    r.seconds = seconds;
    for (size_t i : FindSlowFiles(session.FileSpeeds)) {
        const FileSpeed& file = session.FileSpeeds[i];
        r.slow.push_back({file.Path, MegabytesPerSecond(file)});
    }
    for (const SpeedPoint& point : SpeedProfile(session.FileSpeeds))
        r.speedProfile.emplace_back(point.Megabytes, point.MegabytesPerSecond);
    r.checksumMismatches = session.Content.ChecksumMismatches;
    r.checksumMissing = session.Content.ChecksumMissing;
    r.unchecked = session.Unchecked;
    const SourceFindings& source = session.Source;
    for (const SourceDifference& d : source.Differs) r.differs.push_back({d.Path, d.Offset});
    r.onlyOnMedium = source.OnlyOnMedium;
    r.onlyInSource = source.OnlyInSource;
    r.unchecked.insert(r.unchecked.end(), source.Unchecked.begin(), source.Unchecked.end());
    if (session.CollectionFailed || session.LogIncomplete) {
        r.outcome = Outcome::Failed;
    } else if (statistics.StopRequested) {
        r.outcome = Outcome::Stopped;
    } else {
        r.outcome = bad > 0                ? Outcome::Errors
                    : !r.unchecked.empty() ? Outcome::Incomplete
                                           : Outcome::Ok;
    }
}

// The graph file of the location at `number` (from 1): FILE itself for a single PATH, else
// FILE with "-number" before its extension.
std::string GraphPath(const std::string& file, size_t paths, size_t number) {
    if (paths == 1) return file;
    const size_t slash = file.find_last_of("/\\");
    const size_t dot = file.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && dot > 0 && (slash == std::string::npos || dot > slash + 1);
    const size_t at = hasExtension ? dot : file.size();
    return file.substr(0, at) + "-" + std::to_string(number) + file.substr(at);
}

// Draws the location's speed graph; false (said on standard error) when it cannot be written.
bool WriteGraph(const std::string& file, const TestSession& session) {
    const std::vector<FileSpeed>& files = session.FileSpeeds;
    const std::string svg = SpeedGraphSvg(files, FindSlowFiles(files), SpeedProfile(files));
    if (platform::WriteWholeFile(file, svg)) return true;
    std::fprintf(stderr, "vorlaxis-check: the speed graph could not be written to %s\n",
                 platform::DisplayText(file).c_str());
    return false;
}

// The findings of a location on standard error, one line each, in the form "sha256sum -c"
// gives its failures, so a script or a person reading the terminal sees what the exit status
// stands for.
void ReportFindings(const LocationResult& r) {
    auto say = [](const std::string& path, const std::string& what) {
        std::fprintf(stderr, "%s: %s\n", LineSafe(path).c_str(), what.c_str());
    };
    for (const std::string& path : r.checksumMismatches) say(path, "FAILED");
    for (const std::string& path : r.checksumMissing) say(path, "MISSING");
    for (const std::string& path : r.changed) say(path, "CHANGED");
    for (const LocationResult::Difference& d : r.differs)
        say(d.path, "DIFFERS AT " + std::to_string(d.offset));
    for (const std::string& path : r.onlyOnMedium) say(path, "ONLY ON MEDIUM");
    for (const std::string& path : r.onlyInSource) say(path, "ONLY IN SOURCE");
    for (const UncheckedItem& item : r.unchecked) {
        std::string reason = UncheckedKey(item.Reason);
        std::replace(reason.begin(), reason.end(), '_', ' ');
        if (item.Reason == UncheckedReason::FileLimit)
            reason += ": " + std::to_string(item.Count) + " files";
        if (item.Reason == UncheckedReason::ListLinesUnusable)
            reason += ": " + std::to_string(item.Count) + " lines";
        say(item.Path.empty() ? r.path : item.Path, "NOT CHECKED (" + reason + ")");
    }
}

// Full paths of the changes of one kind.
std::vector<std::string> ChangedPaths(const Comparison& c, ChangeKind kind, const std::string& at) {
    std::vector<std::string> paths = c.PathsOf(kind);
    for (std::string& path : paths) path = LocationPath(at, path);
    return paths;
}

// The comparison with the medium's records, made as the run ended, in the result: the changes
// by kind, each also said on standard error (what could not be compared is among the run's
// unchecked items already). False (said on standard error) when the record was not written.
bool TakeHistoryStep(const HistoryStep& step, LocationResult& r) {
    if (step.Changes) {
        const Comparison& c = *step.Changes;
        r.changed = ChangedPaths(c, ChangeKind::Silent, r.path);
        r.edited = ChangedPaths(c, ChangeKind::Edited, r.path);
        r.missing = ChangedPaths(c, ChangeKind::Missing, r.path);
        r.added = ChangedPaths(c, ChangeKind::New, r.path);
        r.newlyUnreadable = ChangedPaths(c, ChangeKind::NewlyUnreadable, r.path);
        r.readableAgain = ChangedPaths(c, ChangeKind::ReadableAgain, r.path);
        for (const FileChange& change : c.Changes) {
            std::fprintf(stderr, "vorlaxis-check: since %s: %s: %s\n", c.EarlierDate.c_str(),
                         ChangeKindKey(change.Kind),
                         LineSafe(LocationPath(r.path, change.Path)).c_str());
        }
    }
    if (step.Error.empty()) return true;
    std::fprintf(stderr, "vorlaxis-check: %s\n", LineSafe(step.Error).c_str());
    return false;
}

int RunChecks(const CheckOptions& o, std::vector<LocationResult>& results) {
    TestSettings settings = SettingsFrom(o);
    TestStatistics statistics;
    MainDisplay display;
    SystemClock clock;
    CheckHost host(statistics, display, clock, platform::StandardErrorIsTerminal());
    // The medium is waited for on a helper thread: a signal ends a run stuck in a read.
    ThreadedBlockingCalls calls(host, statistics, display);
    TestSession session(settings, statistics, display, host, host, clock, calls);
    session.KeepFingerprints = !o.historyFolder.empty();
    session.NoFileLimit = o.noFileLimit;
    session.ExcludedFolder = o.historyFolder;  // the records are no part of a medium they lie on
    session.SourceFolder = o.sourceFolder;
    int result = kAllReadable;
    int32_t index = 0;
    for (LocationResult& location : results) {
        if (g_stopSignal) break;
        if (location.outcome == Outcome::Failed) {  // no directory
            ReportFindings(location);
            result = Graver(result, kIncomplete);
            continue;
        }
        statistics.LocationIndex = index++;
        statistics.StopRequested = false;
        session.LogPathOverride =
            o.logFile.empty() ? PrivateLogPath(statistics.LocationIndex) : o.logFile;
        // Compared as the run ends, so that its log names what differs or was not compared.
        std::optional<HistoryStep> history;
        if (!o.historyFolder.empty()) {
            session.CompareWithRecords =
                HistoryBeforeLogEnd(o.historyFolder, location.path, true, history);
        }
        const auto start = std::chrono::steady_clock::now();
        const uint16_t bad = PerformTest(session, location.path);
        session.CompareWithRecords = nullptr;  // it refers to this location's `history`
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        host.EndProgress();
        Record(location, session, bad, took.count());
        if (history && !TakeHistoryStep(*history, location)) result = Graver(result, kUnreadable);
        if (!location.changed.empty() || !location.checksumMismatches.empty() ||
            !location.checksumMissing.empty() || session.Source.Differ()) {
            result = Graver(result, kContentDiffers);
        }
        if (!location.unchecked.empty()) result = Graver(result, kIncomplete);
        ReportFindings(location);
        const size_t number = static_cast<size_t>(&location - results.data()) + 1;
        if (!o.graphFile.empty() &&
            !WriteGraph(GraphPath(o.graphFile, results.size(), number), session)) {
            result = Graver(result, kUnreadable);
        }
        // A stop without a signal is a tree that could not be collected: not all readable.
        if (bad > 0 || (statistics.StopRequested && !g_stopSignal))
            result = Graver(result, kUnreadable);
        // A log without its end must not pass for a clean test.
        if (session.LogIncomplete) {
            std::fprintf(stderr, "vorlaxis-check: the log of %s could not be written completely\n",
                         platform::DisplayText(location.path).c_str());
            result = Graver(result, kUnreadable);
        }
        if (o.logFile.empty()) {
            // Standard output may carry the JSON result instead.
            if (o.jsonFile != "-" && !PrintLog(session.LogPath))
                result = Graver(result, kUnreadable);
            platform::RemoveFile(session.LogPath);
        }
    }
    return g_stopSignal ? kStopped : result;
}

// Writes the JSON result when asked for; false (said on standard error) when it could not be
// written in full.
bool WriteResult(const std::string& file, const std::vector<LocationResult>& results, int status) {
    if (file.empty()) return true;
    const std::string json = ResultJson(results, status);
    if (file == "-") return PrintOut(json, "the JSON result");
    const bool written = platform::WriteWholeFile(file, json);
    if (!written) {
        std::fprintf(stderr, "vorlaxis-check: the JSON result could not be written to %s\n",
                     LineSafe(file).c_str());
    }
    return written;
}

int Main(int argc, char** argv) {
    g_outputClosed = platform::StandardOutputWasClosed();
    platform::UseUtf8Console();  // the log and the progress are printed as UTF-8
    CheckOptions options;
    std::string error;
    if (!ParseOptions(platform::ProgramArguments(argc, argv), options, error)) {
        return UsageError(error);
    }
    if (options.help || options.version) {
        return PrintOut(options.help ? UsageText() : VersionText(),
                        options.help ? "the help" : "the version")
                   ? kAllReadable
                   : kUnreadable;
    }
    // Found out now, not after hours of reading: the result file can be written. (A FIFO or
    // a device is not tried: opening a FIFO would wait for its reader, and nothing is emptied.)
    if (!options.jsonFile.empty() && options.jsonFile != "-" &&
        !platform::IsSpecialFile(options.jsonFile) &&
        !platform::WriteWholeFile(options.jsonFile, "")) {
        return UsageError("cannot write the JSON result to " + LineSafe(options.jsonFile));
    }
    if (!options.sourceFolder.empty() && !platform::IsDirectory(options.sourceFolder))
        return UsageError("the source folder is not an existing directory: " +
                          LineSafe(options.sourceFolder));
    // The temporary logs need a private folder; a message that blamed the medium would mislead.
    if (options.logFile.empty() && platform::TempFolder().empty()) {
        std::fprintf(stderr,
                     "vorlaxis-check: no private temporary folder can be made in %s; set TMPDIR "
                     "to a folder of your own, or use --log FILE\n",
                     LineSafe(platform::TempFolderParent()).c_str());
        return kBadUsage;
    }
    std::vector<LocationResult> results = PlannedLocations(options);
    int status = kBadUsage;
    if (std::all_of(results.begin(), results.end(),
                    [](const LocationResult& r) { return r.outcome == Outcome::Failed; })) {
        UsageError("no PATH is an existing directory");
    } else {
        InstallStopHandlers();
        status = RunChecks(options, results);
    }
    if (!WriteResult(options.jsonFile, results, status)) status = Graver(status, kUnreadable);
    // Cleaned up and written what could be: now die by the signal, so that a shell's loop
    // over several runs stops too.
    if (g_stopSignal) platform::DieBySignal(g_stopSignal);
    return status;
}

}  // namespace
}  // namespace vorlaxis::cli

int main(int argc, char** argv) {
    return vorlaxis::cli::Main(argc, argv);
}
