#include "engine/TestRun.h"

#include <algorithm>
#include <exception>

#include "engine/FileTest.h"
#include "engine/ProgressDisplay.h"
#include "engine/ReadMode.h"
#include "engine/TestLog.h"
#include "engine/Tools.h"
#include "media/MediaInfo.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace vorlaxis {

namespace {

// Small files on a quick medium are opened a few ahead of the run, so that the medium works on
// several at once (a solid-state or virtual disk answers many requests nearly as fast as one):
// only after a row of files read without a fault at under kQuickBlock a block. A slow or
// failing medium, a scratched disc above all, is asked for nothing beyond the file being read,
// and a stop or a question about a file comes before the medium is asked for more.
constexpr int32_t kFilesAhead = 16;
constexpr int32_t kQuietRow = 16;
constexpr double kQuickBlock = 0.002;

const char kLimitText[] =
    "Na médiu je více souborů než je možné testovat (maximum je 49152).\r\r"
    "Bude otestovánou pouze prvních 49152 souborů...";
// The message names the limit as the user reads it; it must say what the table holds.
static_assert(kFileTableSize == 49152);
const char kFatalText[] =
    "Při procházení adreásřů a souborů došlo k chybě při čtení !\r\n"
    "Nelze přečíst adresářovou strukturu a proto nemůže být dokončen test souborů !";

// A name from the medium as a log line may carry it: a control character (a Linux name may
// hold a line break) becomes "?", as a character the log's code page lacks does, so the lines
// stay whole.
std::string LogSafe(std::string text) {
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) c = '?';
    }
    return text;
}

// What differs is graver than what could not be checked; either is no success.
bool ContentDiffers(const ContentFindings& c) {
    return !c.ChecksumMismatches.empty() || !c.ChecksumMissing.empty() || !c.SilentChanges.empty();
}

int32_t ToBar(int64_t value) {
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

// The name after the last separator, and the directory up to and including it.
BadFileEntry SplitPath(const std::string& path) {
    const size_t slash = path.rfind(platform::PathSeparator());
    if (slash == std::string::npos) return {path, ""};
    return {path.substr(slash + 1), path.substr(0, slash + 1)};
}

// A directory (ending in the separator) as the list of unreadable files shows it: its own name
// with the separator, in the directory that holds it.
BadFileEntry SplitDirectory(const std::string& dir) {
    BadFileEntry parts = SplitPath(dir.substr(0, dir.size() - 1));
    parts.Name += platform::PathSeparator();
    return parts;
}

// One location's run: the phases of PerformTest with the values they share.
class Run final : public FileStepObserver {
  public:
    Run(TestSession& session, const std::string& location, ReadModeOverride readModeOverride)
        : m_session(session),
          m_statistics(session.Statistics),
          m_display(session.Display),
          m_location(location),
          m_override(readModeOverride),
          m_source(session.Host, session.Statistics) {}

    uint16_t Execute();

    void AfterRead() override { m_session.Host.ProcessMessages(); }
    void AfterStep(int64_t fileBytesDone) override;

  private:
    void Begin();
    bool OpenLog();
    bool Collect();
    bool BuildFileTable(const DirectoryList& directories, const UnlistedDirectories& unlisted);
    void EnterFiles(std::vector<std::string>& files);
    void NoteUnlisted(const std::string& dir, platform::ListingFailure failure);
    void CollectionFailure();
    void PrepareReading();
    void ReadFiles();
    void HandleFailure(const FileTestResult& result);
    void AskUser(const FileTestResult& result);
    void AddBadFile();
    void RecordSpeed(const FileEntry& entry, const FileTestResult& result, int64_t readBefore,
                     double seconds);
    void NameSlowFiles();
    void OpenFilesAhead();
    void JudgeQuickness(const FileTestResult& result, int64_t bytesRead, double seconds);
    void Finish();
    void WriteContentFindings();
    void WriteUnchecked();
    std::string OutcomeText() const;
    void WriteOutcome();
    void ShowBadCount();
    void WriteLine(std::string_view line) {
        if (m_writeLines) Log(line);
    }
    // Writes a line; a failure is remembered, so nobody takes the log for complete.
    bool Log(std::string_view line) {
        if (m_log.WriteLine(line)) return true;
        m_session.LogIncomplete = true;
        return false;
    }
    std::string DateTimeText();
    FileEntry& Entry(int32_t i) { return m_session.FileTable[static_cast<size_t>(i - 1)]; }

    TestSession& m_session;
    TestStatistics& m_statistics;
    MainDisplay& m_display;
    const std::string m_location;
    const ReadModeOverride m_override;
    TestLog m_log;
    bool m_writeLines = true;  // false after a collection failure
    bool m_busyShown = false;
    int64_t m_badCount = 0;  // beyond what the return value holds with no file limit
    int32_t m_nextSlot = 1;
    int32_t m_tableSize = kFileTableSize;
    std::vector<std::string> m_unreadableDirectories;  // to the log as reading starts
    std::vector<int64_t> m_sizes;  // of the files of one directory, as the table is built
    int32_t m_number = 1;          // the number of the file being tested, from 1
    int64_t m_blockBytes = kReadBufferSize;
    int64_t m_finished = 0;  // sum of Size over the files handled before the current one
    ContentCheck m_content;
    bool m_checkContent = false;  // whole files are read and fingerprinted or listed
    int32_t m_quietFiles = 0;     // files read in a row, quickly and without a fault
    int32_t m_openedAheadTo = 0;  // the last file opened ahead, 0 for none
    SourceComparison m_source;
    DirectoryList m_folders;  // the walk's, kept only for a comparison with a source folder
};

std::string Run::DateTimeText() {
    const platform::LocalDateTime now = m_session.WallClock.Now();
    return platform::FormatShortDate(now) + ", " + platform::FormatLongTime(now);
}

uint16_t Run::Execute() {
    Begin();
    bool collected = false;
    try {
        collected = OpenLog() && Collect();
    } catch (const std::exception&) {
        collected = false;  // out of memory while collecting: the same as a failed listing
    }
    if (!collected) CollectionFailure();
    PrepareReading();
    ReadFiles();
    Finish();
    return static_cast<uint16_t>(std::min<int64_t>(m_badCount, UINT16_MAX));
}

// Resets the counters and the display for a new location.
void Run::Begin() {
    m_display.cancelEnabled = false;
    m_display.speedCaptionsVisible = m_override != ForceOpenOnly;
    m_statistics.NonStop = m_session.Settings.GoNonstop;
    m_statistics.BytesTotal = 0;
    m_session.LogIncomplete = false;
    m_session.CollectionFailed = false;
    m_session.FileCount = 0;
    m_session.DirectoryCount = 0;
    m_session.DataChecksum = 0;
    m_session.FileSpeeds.clear();
    m_session.Unchecked.clear();
    m_tableSize = m_session.NoFileLimit ? INT32_MAX : kFileTableSize;
    if (m_session.MediaRecords.size() <= static_cast<size_t>(m_statistics.LocationIndex) &&
        m_statistics.LocationIndex >= 0) {
        m_session.MediaRecords.resize(static_cast<size_t>(m_statistics.LocationIndex) + 1);
    }
}

// Shows the busy window, starts the log with its head and the medium's identity; false when
// the log cannot be written.
bool Run::OpenLog() {
    m_display.busyLocationText = m_location;
    m_session.Host.ShowBusyWindow();
    m_busyShown = true;
    m_session.Host.ProcessMessages();
    const bool own = m_session.LogPathOverride.empty();
    m_session.LogPath = own ? TempLogPath(m_statistics.LocationIndex) : m_session.LogPathOverride;
    m_log.Open(m_session.LogPath, own);
    const platform::LocalDateTime now = m_session.WallClock.Now();
    if (!Log("Zubrak's Vorlaxis v2.0 Media Test Log File") ||
        !Log("Datum testu: " + platform::FormatShortDate(now) +
             ", start testu: " + platform::FormatLongTime(now))) {
        return false;
    }
    m_display.startText = DateTimeText();
    m_display.outcomeText = "probíhá test...";
    GetCDInfo(m_session.Calls, m_location, m_statistics.VolumeSerial, m_statistics.VolumeLabel);
    if (m_statistics.LocationIndex >= 0) {
        m_session.MediaRecords[static_cast<size_t>(m_statistics.LocationIndex)] = {
            m_statistics.VolumeLabel, m_statistics.VolumeSerial};
    }
    if (!Log(std::string(46, '-'))) return false;
    m_session.BadFiles.clear();
    return true;
}

// Walks the location's tree and enters its files in the table; false when the log cannot be
// written.
bool Run::Collect() {
    DirectoryList directories;
    UnlistedDirectories unlisted;
    platform::FileIdentity excluded;
    const bool leavesOut = !m_session.ExcludedFolder.empty() &&
                           platform::GetFileIdentity(m_session.ExcludedFolder, excluded);
    ScanDirectories(m_location, directories, m_session.Calls, m_session.Host, &unlisted,
                    leavesOut ? &excluded : nullptr);
    m_session.DirectoryCount = static_cast<int64_t>(directories.size());
    if (!m_session.SourceFolder.empty()) m_folders = directories;
    m_session.Host.HideBusyWindow();
    m_busyShown = false;
    if (!Log("\r\nInformace o médiu:") ||
        !Log("  jméno média:         " + LogSafe(m_statistics.VolumeLabel)) ||
        !Log("  sériové číslo média: " + m_statistics.VolumeSerial) ||
        !Log("  počet adresářů:      " + std::to_string(directories.size()))) {
        return false;
    }
    m_display.currentFileText = "Zjišťuji informace o souborech na médiu...";
    m_display.fileBarMax = ToBar(static_cast<int64_t>(directories.size()) - 1);
    m_session.Host.ProcessMessages();
    return BuildFileTable(directories, unlisted);
}

bool Run::BuildFileTable(const DirectoryList& directories, const UnlistedDirectories& unlisted) {
    std::vector<std::string> files;
    auto walkFailure = unlisted.begin();
    int64_t pastLimit = 0;  // files beyond the table: counted, never kept
    for (size_t d = 0; d < directories.size(); ++d) {
        m_display.fileBarPosition = ToBar(static_cast<int64_t>(d));
        m_session.Host.ProcessMessages();
        platform::ListingFailure failure = platform::ListingFailure::None;
        bool listAgain = true;
        if (walkFailure != unlisted.end() && walkFailure->index == d) {
            failure = walkFailure->failure;
            // One that broke off may give its first files; one that never started is not
            // asked again.
            listAgain = walkFailure->started;
            ++walkFailure;
        }
        // A location that cannot be listed at all (taken out after the batch started, no
        // folder, refused) is no empty medium: reporting it as tested would be a lie.
        if (d == 0 && !listAgain) return false;
        if (listAgain) {
            // No more names than free slots: a directory of millions of names stays bounded.
            const int32_t freeSlots = m_tableSize - m_nextSlot + 1;
            platform::ListingOutcome outcome;
            const bool listed = m_session.Calls.ListFilesWithSizes(
                directories[d], static_cast<size_t>(freeSlots), files, m_sizes, outcome);
            // A listing that a stop gave up is no failure: the run ends as stopped.
            if (m_session.Calls.Abandoned()) break;
            if (!listed && d == 0) return false;
            if (failure == platform::ListingFailure::None) failure = outcome.failure;
            if (pastLimit == 0 && outcome.pastLimit > 0) {
                m_session.DialogBoxes.MessageBox(kLimitText, "Překročen limit...", MsgButtons::Ok,
                                                 MsgIcon::Warning);
            }
            pastLimit += outcome.pastLimit;
            EnterFiles(files);
        }
        if (failure != platform::ListingFailure::None) NoteUnlisted(directories[d], failure);
    }
    if (pastLimit > 0) m_session.Unchecked.push_back({UncheckedReason::FileLimit, "", pastLimit});
    m_session.FileCount = m_nextSlot - 1;
    // An empty folder where a medium should be mounted is no medium without files. A plain
    // empty folder stays a tested one: nothing says a medium belongs there.
    if (m_session.FileCount == 0 && directories.size() == 1 && unlisted.empty() &&
        m_session.Calls.NothingMounted(m_location)) {
        m_session.Unchecked.push_back({UncheckedReason::NoMedium, m_location});
    }
    return true;
}

// A directory that could not be listed: one the medium fails to give is unreadable like a file
// (no question: there is nothing to try again but the whole listing); one that is refused or
// too deep to reach is not damage, only not tested.
void Run::NoteUnlisted(const std::string& dir, platform::ListingFailure failure) {
    switch (failure) {
        case platform::ListingFailure::AccessDenied:
            m_session.Unchecked.push_back({UncheckedReason::AccessDenied, dir});
            break;
        case platform::ListingFailure::PathTooLong:
            m_session.Unchecked.push_back({UncheckedReason::PathTooLong, dir});
            break;
        default:
            m_unreadableDirectories.push_back(dir);
            m_session.BadFiles.push_back(SplitDirectory(dir));
            ++m_badCount;
            break;
    }
}

// Takes the paths over from `files`, with the sizes in m_sizes (both are refilled next anyway).
void Run::EnterFiles(std::vector<std::string>& files) {
    for (size_t i = 0; i < files.size(); ++i) {
        if (m_nextSlot > m_tableSize) break;
        // Past what the system opens by full name: no read could say anything of it.
        if (platform::PathTooLong(files[i])) {
            m_session.Unchecked.push_back({UncheckedReason::PathTooLong, std::move(files[i])});
            continue;
        }
        if (m_session.FileTable.size() < static_cast<size_t>(m_nextSlot))
            m_session.FileTable.emplace_back();
        FileEntry& entry = Entry(m_nextSlot);
        entry.Size = m_sizes[i];
        entry.Path = std::move(files[i]);
        m_statistics.BytesTotal += entry.Size;
        ++m_nextSlot;
    }
}

void Run::CollectionFailure() {
    m_session.DialogBoxes.MessageBox(kFatalText, "Fatální chyba", MsgButtons::Ok, MsgIcon::Error);
    m_session.CollectionFailed = true;
    m_statistics.StopRequested = true;
    if (Log("\n\rKonec testu:")) {
        Log("  test přerušen - nelze načíst adresářovou strukturu " + DateTimeText());
    }
    m_log.Close();
    m_writeLines = false;
    if (m_busyShown) m_session.Host.HideBusyWindow();
    m_busyShown = false;
    // The list must not show another location's files as this one's.
    m_session.BadFiles.clear();
    m_badCount = 0;
    m_unreadableDirectories.clear();
    m_session.FileCount = m_nextSlot - 1;
}

// Determines the read mode, sets the bars and counters and starts the progress display.
void Run::PrepareReading() {
    WriteLine("  počet souborů:       " + std::to_string(m_session.FileCount));
    m_blockBytes = BlockBytes(m_session.Settings.BlockSize);
    m_statistics.BytesDone = 0;
    m_statistics.BytesRead = 0;
    m_display.megabytesTotalText = std::to_string(m_statistics.BytesTotal / kMegabyte);
    m_display.filesTotalText = std::to_string(m_session.FileCount);
    m_session.FileSpeeds.reserve(static_cast<size_t>(m_session.FileCount));
    m_number = 1;
    m_display.cancelEnabled = true;
    m_statistics.ReadMode =
        DetermineReadMode(m_session.Settings, m_override, m_statistics.ReadMode);
    m_display.readModeText = ReadModeDisplayText(m_statistics.ReadMode);
    m_checkContent = m_statistics.ReadMode == AllBlocks && !m_session.CollectionFailed;
    if (m_checkContent) {
        m_content.Prepare(m_session.Calls, m_location, m_session.FileTable.data(),
                          m_session.FileCount, m_session.KeepFingerprints);
        m_checkContent = m_content.Needed();
    }
    if (!m_session.SourceFolder.empty()) {
        m_source.Start(m_session.SourceFolder, m_location, m_folders, m_session.FileTable.data(),
                       m_session.FileCount,
                       m_statistics.ReadMode == AllBlocks && !m_session.CollectionFailed);
    }
    m_display.locationBarMax = ToBar(m_statistics.BytesTotal / m_blockBytes);
    m_display.statusText = "Probíhá test...";
    WriteLine(std::string("\r\nPrůběh testu ") + ReadModeLogText(m_statistics.ReadMode) + ":");
    for (const std::string& dir : m_unreadableDirectories)
        WriteLine("  \"" + LogSafe(dir) + "\" nelze přečíst");
    m_statistics.StartTime = TimeOfDay(m_session.WallClock.Now());
    StartProgressDisplay(m_statistics);
    m_session.Host.StartProgressTimer();
    m_finished = 0;
}

void Run::ShowBadCount() {
    m_display.badFilesText = std::to_string(m_badCount);
    m_display.badFilesRed = m_badCount > 0;
}

void Run::AfterStep(int64_t fileBytesDone) {
    const int64_t location = m_finished + fileBytesDone;
    m_display.locationBarPosition = ToBar(location / m_blockBytes);
    m_display.fileBarPosition = ToBar(fileBytesDone / m_blockBytes);
    m_display.megabytesDoneText = std::to_string(location / kMegabyte);
}

// Tests the files one by one until the last or a stop.
void Run::ReadFiles() {
    FileTestContext context{m_session.Calls,
                            m_session.File,
                            m_session.Buffer.get(),
                            m_blockBytes,
                            m_statistics.ReadMode,
                            m_statistics,
                            m_session.DataChecksum,
                            *this,
                            m_checkContent ? &m_content : nullptr,
                            m_source.Comparing() ? &m_source : nullptr};
    // One steady reading per file: a file's end is the next one's start, except after a
    // question to the user, whose answer is no reading time.
    double fileStart = m_session.WallClock.SteadySeconds();
    while (m_number <= m_session.FileCount && !m_statistics.StopRequested) {
        const FileEntry& entry = Entry(m_number);
        const BadFileEntry parts = SplitPath(entry.Path);
        m_display.directoryText = parts.Directory;
        m_display.currentFileText = parts.Name;
        ShowBadCount();
        m_display.fileBarMax = ToBar(entry.Size / m_blockBytes);
        m_display.fileBarPosition = 0;
        m_session.Host.ProcessMessages();
        const int32_t before = m_number;
        const int64_t readBefore = m_statistics.BytesRead;
        if (m_checkContent) m_content.StartFile(entry);
        m_source.StartFile(m_number);
        if (m_quietFiles >= kQuietRow) OpenFilesAhead();
        const FileTestResult result = TestFile(context, entry);
        if (m_checkContent) m_content.EndFile(entry, result.Finished, !m_statistics.StopRequested);
        m_source.EndFile(result.Finished, !m_statistics.StopRequested);
        const double fileEnd = m_session.WallClock.SteadySeconds();
        // The file's own time, also where the calls read it ahead with another; how quick the
        // medium is stays judged by what the run waited for.
        RecordSpeed(entry, result, readBefore,
                    fileEnd - fileStart + m_session.Calls.SecondsReadAhead());
        JudgeQuickness(result, m_statistics.BytesRead - readBefore, fileEnd - fileStart);
        fileStart = fileEnd;
        if (result.Finished) {
            m_session.Host.ProcessMessages();
            ++m_number;
        } else {
            const bool asks = !m_statistics.NonStop;
            HandleFailure(result);
            if (asks) fileStart = m_session.WallClock.SteadySeconds();
        }
        m_display.filesTestedText = std::to_string(m_number);
        m_display.filesLeftText = std::to_string(m_session.FileCount - m_number);
        if (m_number != before) m_finished += Entry(m_number - 1).Size;
    }
    m_session.Calls.CloseOpenedAhead();
    NameSlowFiles();
}

void Run::OpenFilesAhead() {
    const int32_t last = std::min(m_number + kFilesAhead, m_session.FileCount);
    for (int32_t i = std::max(m_openedAheadTo, m_number) + 1; i <= last; ++i) {
        const FileEntry& entry = Entry(i);
        if (entry.Size >= 0)
            m_session.Calls.OpenAhead(entry.Path, std::min(entry.Size, m_blockBytes),
                                      m_statistics.ReadMode * m_blockBytes);
    }
    m_openedAheadTo = std::max(m_openedAheadTo, last);
}

// Opening alone asks the medium for no bytes, nor may it ahead.
void Run::JudgeQuickness(const FileTestResult& result, int64_t bytesRead, double seconds) {
    const int64_t blocks = std::max<int64_t>(1, (bytesRead + m_blockBytes - 1) / m_blockBytes);
    if (result.Finished && m_statistics.ReadMode != OnlyOpen &&
        seconds < kQuickBlock * static_cast<double>(blocks)) {
        m_quietFiles = std::min(m_quietFiles + 1, kQuietRow);
        return;
    }
    m_quietFiles = 0;
    if (m_openedAheadTo == 0) return;
    m_openedAheadTo = 0;
    m_session.Calls.CloseOpenedAhead();
}

// The record of file m_number: the files are tested in the table's order and a retry replaces
// its failed attempt, so record k is that of file k + 1. Only an unreadable file's path is kept
// now, a slow one's when the run ends: those are the only ones ever named.
void Run::RecordSpeed(const FileEntry& entry, const FileTestResult& result, int64_t readBefore,
                      double seconds) {
    FileSpeed speed;
    speed.Size = entry.Size;
    speed.BytesRead = m_statistics.BytesRead - readBefore;
    speed.Seconds = seconds < 0.0 ? 0.0 : seconds;
    speed.Unreadable = !result.Finished;
    if (speed.Unreadable) speed.Path = entry.Path;
    std::vector<FileSpeed>& speeds = m_session.FileSpeeds;
    if (speeds.size() == static_cast<size_t>(m_number)) {
        speeds.back() = std::move(speed);  // a retry
    } else {
        speeds.push_back(std::move(speed));
    }
}

void Run::NameSlowFiles() {
    std::vector<FileSpeed>& speeds = m_session.FileSpeeds;
    for (const size_t i : FindSlowFiles(speeds))
        speeds[i].Path = Entry(static_cast<int32_t>(i) + 1).Path;
}

void Run::AddBadFile() {
    m_session.BadFiles.push_back(SplitPath(Entry(m_number).Path));
    ++m_badCount;
}

void Run::HandleFailure(const FileTestResult& result) {
    WriteLine("  \"" + LogSafe(Entry(m_number).Path) + "\" nelze přečíst");
    if (!m_statistics.NonStop) {
        AskUser(result);
        return;
    }
    AddBadFile();
    const int64_t shown = m_finished + result.Remaining;
    m_display.locationBarPosition = ToBar(shown / m_blockBytes);
    m_display.megabytesDoneText = std::to_string(shown / kMegabyte);
    ++m_number;
}

void Run::AskUser(const FileTestResult& result) {
    switch (m_session.Host.AskReadError(Entry(m_number).Path)) {
        case ReadErrorAnswer::Retry:
            WriteLine("    - nový pokus o čtení");
            break;
        case ReadErrorAnswer::Continue:
            AddBadFile();
            m_statistics.BytesDone += result.Remaining;
            ++m_number;
            break;
        case ReadErrorAnswer::NonStop:
            AddBadFile();
            m_statistics.NonStop = true;
            ++m_number;
            break;
        case ReadErrorAnswer::Stop:
        default:
            WriteLine("  - test přerušen uživatelem po chybě tohoto souboru");
            AddBadFile();
            m_statistics.StopRequested = true;
            break;
    }
}

// Writes the checksum and the outcome, ejects the medium and leaves the counters as they
// ended.
void Run::Finish() {
    m_content.Finish(m_checkContent && !m_statistics.StopRequested, m_session.Content);
    for (const UncheckedItem& item : m_session.Content.Unchecked)
        m_session.Unchecked.push_back(item);
    m_session.Source = SourceFindings();
    if (!m_session.SourceFolder.empty()) {
        // Files left out of the table would pass for ones only the source has.
        const bool tableWhole = std::none_of(m_session.Unchecked.begin(), m_session.Unchecked.end(),
                                             [](const UncheckedItem& i) {
                                                 return i.Reason == UncheckedReason::FileLimit ||
                                                        i.Reason == UncheckedReason::PathTooLong;
                                             });
        m_source.Finish(!m_statistics.StopRequested && tableWhole, m_session.Source);
    }
    if (m_session.CompareWithRecords) {
        // The record keeps the outcome as it stands before the comparison.
        m_display.outcomeText = OutcomeText();
        m_session.CompareWithRecords(m_session);
    }
    if (m_statistics.ReadMode != OnlyOpen) {
        WriteLine("\r\nKontrolní součet média:" + NumToHex(m_session.DataChecksum, 4));
    }
    WriteContentFindings();
    WriteUnchecked();
    WriteLine("\r\nKonec testu:");
    if (ShouldEject(m_location, m_session.Settings.EjectAfterTest)) {
        m_display.directoryText.clear();
        m_display.currentFileText = "Vysunutí média...";
        m_session.Host.ProcessMessages();
        EjectMedia(m_session.Calls, m_location);
    }
    WriteOutcome();
    m_display.endText = DateTimeText();
    m_log.Close();
    m_display.filesTestedText = std::to_string(m_number - 1);
    m_display.filesLeftText = std::to_string(m_session.FileCount - m_number + 1);
    m_display.badFilesText = std::to_string(m_badCount);
    m_display.otherFindings = !m_session.Unchecked.empty() || ContentDiffers(m_session.Content) ||
                              m_session.Source.Differ() || !m_session.Source.Unchecked.empty();
    m_display.fileBarPosition = 0;
    m_display.locationBarPosition = 0;
    m_display.currentFileText.clear();
    m_display.megabytesDoneText = "0";
    m_display.megabytesTotalText = "0";
}

// What could not be checked, before the end: a healthy medium's log has no such block.
void Run::WriteUnchecked() {
    if (m_session.Unchecked.empty()) return;
    WriteLine("\r\nNebylo otestováno:");
    for (const UncheckedItem& item : m_session.Unchecked) WriteLine(LogSafe(UncheckedLine(item)));
}

// Files whose content differs from what the medium's lists or its last record knew.
void Run::WriteContentFindings() {
    const ContentFindings& c = m_session.Content;
    if (c.ChecksumMismatches.empty() && c.ChecksumMissing.empty() && c.SilentChanges.empty())
        return;
    WriteLine("\r\nObsah médiu neodpovídá:");
    const struct {
        const std::vector<std::string>& paths;
        const char* text;
    } kinds[] = {{c.ChecksumMismatches, "\" nesouhlasí se souborem kontrolních součtů"},
                 {c.ChecksumMissing, "\" chybí, ač je uveden v souboru kontrolních součtů"},
                 {c.SilentChanges, "\" změněn obsah při stejné velikosti a datu změny"}};
    for (const auto& kind : kinds) {
        for (const std::string& path : kind.paths) WriteLine("  \"" + LogSafe(path) + kind.text);
    }
}

std::string Run::OutcomeText() const {
    if (m_statistics.StopRequested) return "test přerušen !";
    if (m_badCount > 0) return "test dokončen, chyby!";
    if (ContentDiffers(m_session.Content) || m_session.Source.Differ())
        return "test dokončen, obsah nesouhlasí!";
    if (!m_session.Unchecked.empty() || !m_session.Source.Unchecked.empty())
        return "test neúplný !";
    return "test dokončen OK";
}

void Run::WriteOutcome() {
    const bool stopped = m_statistics.StopRequested;
    const std::string count = std::to_string(m_badCount);
    if (m_badCount == 0) {
        WriteLine("  žádné problémy při čtení souborů...");
    } else {
        WriteLine((stopped ? "  počet chybných souborů: " : "  počet chybých souborů: ") + count);
    }
    // A run that found other content, or left something unchecked, is no success.
    WriteLine((stopped                             ? "  test přerušen uživatelem "
               : ContentDiffers(m_session.Content) ? "  test dokončen, obsah nesouhlasí "
               : !m_session.Unchecked.empty()      ? "  test neúplný, něco nebylo otestováno "
                                                   : "  test úspěšně dokončen ") +
              DateTimeText());
    m_display.outcomeText = OutcomeText();
}

}  // namespace

TestSession::TestSession(TestSettings& settings, TestStatistics& statistics, MainDisplay& display,
                         TestHost& host, Dialogs& dialogs, Clock& clock, BlockingCalls& calls)
    : Settings(settings),
      Statistics(statistics),
      Display(display),
      Host(host),
      DialogBoxes(dialogs),
      WallClock(clock),
      Calls(calls),
      Buffer(std::make_unique_for_overwrite<unsigned char[]>(kReadBufferSize)) {
    FileTable.reserve(kFileTableSize);
}

TestSession::~TestSession() = default;

uint16_t PerformTest(TestSession& session, const std::string& location,
                     ReadModeOverride readModeOverride) {
    Run run(session, location, readModeOverride);
    return run.Execute();
}

std::string TempLogPath(int32_t index) {
    return TempLogPath(platform::TempFolder(), index);
}

}  // namespace vorlaxis
