#include "engine/TestRun.h"

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

constexpr int64_t kMegabyte = 1048576;

const char kLimitText[] =
    "Na médiu je více souborů než je možné testovat (maximum je 49152).\r\r"
    "Bude otestovánou pouze prvních 49152 souborů...";
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

// One location's run: the steps of PerformTest with the values they share.
class Run final : public FileStepObserver {
  public:
    Run(TestSession& session, const std::string& location, int32_t readModeOverride)
        : m_s(session),
          m_st(session.Statistics),
          m_d(session.Display),
          m_location(location),
          m_override(readModeOverride) {}

    uint16_t Execute();

    void AfterRead() override { m_s.Host.ProcessMessages(); }
    void AfterStep(int64_t fileBytesDone) override;

  private:
    void Begin();
    bool OpenLog();
    bool Collect();
    bool BuildFileTable(const DirectoryList& directories);
    bool EnterFiles(const std::vector<std::string>& files);
    void CollectionFailure();
    void PrepareReading();
    void ReadFiles();
    void HandleFailure(const FileTestResult& result);
    void AskUser(const FileTestResult& result);
    void AddBadFile();
    void Finish();
    void WriteOutcome();
    void ShowBadCount();
    void WriteLine(std::string_view line) {
        if (m_writeLines) Log(line);
    }
    // Writes a line; a failure is remembered, so nobody takes the log for complete.
    bool Log(std::string_view line) {
        if (m_log.WriteLine(line)) return true;
        m_s.LogIncomplete = true;
        return false;
    }
    std::string DateTimeText();
    FileEntry& Entry(int32_t i) { return m_s.FileTable[static_cast<size_t>(i - 1)]; }

    TestSession& m_s;
    TestStatistics& m_st;
    MainDisplay& m_d;
    const std::string m_location;
    const int32_t m_override;
    TestLog m_log;
    bool m_writeLines = true;  // false after a collection failure
    bool m_busyShown = false;
    uint16_t m_bad = 0;
    int32_t m_nextSlot = 1;
    int32_t m_i = 1;
    int64_t m_b = 49152;
    int64_t m_finished = 0;  // sum of Size over the files handled before the current one
};

std::string Run::DateTimeText() {
    const platform::LocalDateTime now = m_s.Clk.Now();
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
    return m_bad;
}

// Steps 1 and 2.
void Run::Begin() {
    m_d.btnCancelTestEnabled = false;
    m_d.SpeedCaptionsVisible = m_override != 3;
    m_st.NonStop = m_s.Settings.GoNonstop;
    m_st.BytesTotal = 0;
    m_s.LogIncomplete = false;
    m_s.CollectionFailed = false;
    m_s.FileCount = 0;
    m_s.DirectoryCount = 0;
    m_s.DataChecksum = 0;
    if (m_s.MediaRecords.size() <= static_cast<size_t>(m_st.LocationIndex) &&
        m_st.LocationIndex >= 0) {
        m_s.MediaRecords.resize(static_cast<size_t>(m_st.LocationIndex) + 1);
    }
}

// Steps 3 to 9; false when the log cannot be written.
bool Run::OpenLog() {
    m_d.InfoBoxLabel3 = m_location;
    m_s.Host.ShowBusyWindow();
    m_busyShown = true;
    m_s.Host.ProcessMessages();
    const bool own = m_s.LogPathOverride.empty();
    m_s.LogPath = own ? TempLogPath(m_st.LocationIndex) : m_s.LogPathOverride;
    m_log.Open(m_s.LogPath, own);
    const platform::LocalDateTime now = m_s.Clk.Now();
    if (!Log("Zubrak's Vorlaxis v2.0 Media Test Log File") ||
        !Log("Datum testu: " + platform::FormatShortDate(now) +
             ", start testu: " + platform::FormatLongTime(now))) {
        return false;
    }
    m_d.Label22 = DateTimeText();
    m_d.Label26 = "probíhá test...";
    GetCDInfo(m_s.Calls, m_location, m_st.VolumeSerial, m_st.VolumeLabel);
    if (m_st.LocationIndex >= 0) {
        m_s.MediaRecords[static_cast<size_t>(m_st.LocationIndex)] = {m_st.VolumeLabel,
                                                                     m_st.VolumeSerial};
    }
    if (!Log(std::string(46, '-'))) return false;
    m_s.BadFiles.clear();
    return true;
}

// Steps 10 to 14; false when the log cannot be written.
bool Run::Collect() {
    DirectoryList directories;
    ScanDirectories(m_location, directories, m_s.Calls, m_s.Host);
    m_s.DirectoryCount = static_cast<int64_t>(directories.size());
    m_s.Host.HideBusyWindow();
    m_busyShown = false;
    if (!Log("\r\nInformace o médiu:") || !Log("  jméno média:         " + LogSafe(m_st.VolumeLabel)) ||
        !Log("  sériové číslo média: " + m_st.VolumeSerial) ||
        !Log("  počet adresářů:      " + std::to_string(directories.size()))) {
        return false;
    }
    m_d.Label9 = "Zjišťuji informace o souborech na médiu...";
    m_d.ProgressBar1Max = ToBar(static_cast<int64_t>(directories.size()) - 1);
    m_s.Host.ProcessMessages();
    return BuildFileTable(directories);
}

bool Run::BuildFileTable(const DirectoryList& directories) {
    std::vector<std::string> files;
    for (size_t d = 0; d < directories.size(); ++d) {
        if (m_nextSlot > kFileTableSize) {
            // Only a further directory brings the message; the table keeps its 49152 files.
            m_s.Dlg.MessageBox(kLimitText, "Překročen limit...", MsgButtons::Ok, MsgIcon::Warning);
            break;
        }
        m_d.ProgressBar1Pos = ToBar(static_cast<int64_t>(d));
        m_s.Host.ProcessMessages();
        // No more names than free slots: a directory of millions of names stays bounded.
        const bool listed = ListFiles(directories[d], "*.*", files, m_s.Calls,
                                      static_cast<size_t>(kFileTableSize - m_nextSlot + 1));
        // A location that cannot be listed at all (taken out after the batch started, no
        // folder, refused) is no empty medium: reporting it as tested would be a lie. A listing
        // that a stop gave up is no such failure: the run ends as stopped.
        if (!listed && d == 0 && !m_s.Calls.Abandoned()) return false;
        if (!EnterFiles(files)) return false;
        files.clear();
    }
    m_s.FileCount = m_nextSlot - 1;
    return true;
}

bool Run::EnterFiles(const std::vector<std::string>& files) {
    for (const std::string& path : files) {
        if (m_nextSlot > kFileTableSize) break;
        FileEntry& entry = Entry(m_nextSlot);
        entry.Path = path;
        entry.Size = m_s.Calls.ListedSize(path);
        m_st.BytesTotal += entry.Size;
        ++m_nextSlot;
    }
    return true;
}

void Run::CollectionFailure() {
    m_s.Dlg.MessageBox(kFatalText, "Fatální chyba", MsgButtons::Ok, MsgIcon::Error);
    m_s.CollectionFailed = true;
    m_st.StopRequested = true;
    if (Log("\n\rKonec testu:")) {
        Log("  test přerušen - nelze načíst adresářovou strukturu " + DateTimeText());
    }
    m_log.Close();
    m_writeLines = false;
    if (m_busyShown) m_s.Host.HideBusyWindow();
    m_busyShown = false;
    // The list must not show another location's files as this one's.
    m_s.BadFiles.clear();
    m_s.FileCount = m_nextSlot - 1;
}

// Steps 15 to 20.
void Run::PrepareReading() {
    WriteLine("  počet souborů:       " + std::to_string(m_s.FileCount));
    m_b = BlockBytes(m_s.Settings.BlockSize);
    m_st.BytesDone = 0;
    m_st.BytesRead = 0;
    m_d.Label15 = std::to_string(m_st.BytesTotal / kMegabyte);
    m_d.Label5 = std::to_string(m_s.FileCount);
    m_i = 1;
    m_d.btnCancelTestEnabled = true;
    m_st.ReadMode = DetermineReadMode(m_s.Settings, m_override, m_st.ReadMode);
    m_d.Label20 = ReadModeDisplayText(m_st.ReadMode);
    m_d.ProgressBar2Max = ToBar(m_st.BytesTotal / m_b);
    m_d.StatusText = "Probíhá test...";
    WriteLine(std::string("\r\nPrůběh testu ") + ReadModeLogText(m_st.ReadMode) + ":");
    m_st.StartTime = TimeOfDay(m_s.Clk.Now());
    StartProgressDisplay(m_st);
    m_s.Host.StartProgressTimer();
    m_finished = 0;
}

void Run::ShowBadCount() {
    m_d.Label12 = std::to_string(m_bad);
    m_d.Label12Red = m_bad > 0;
}

void Run::AfterStep(int64_t fileBytesDone) {
    const int64_t location = m_finished + fileBytesDone;
    m_d.ProgressBar2Pos = ToBar(location / m_b);
    m_d.ProgressBar1Pos = ToBar(fileBytesDone / m_b);
    m_d.Label13 = std::to_string(location / kMegabyte);
}

// Step 21.
void Run::ReadFiles() {
    FileTestContext context{m_s.Calls,     m_s.File, m_s.Buffer.get(), m_b,
                            m_st.ReadMode, m_st,     m_s.DataChecksum, *this};
    while (m_i <= m_s.FileCount && !m_st.StopRequested) {
        const FileEntry& entry = Entry(m_i);
        const BadFileEntry parts = SplitPath(entry.Path);
        m_d.Label19 = parts.Directory;
        m_d.Label9 = parts.Name;
        ShowBadCount();
        m_d.ProgressBar1Max = ToBar(entry.Size / m_b);
        m_d.ProgressBar1Pos = 0;
        m_s.Host.ProcessMessages();
        const int32_t before = m_i;
        const FileTestResult result = TestFile(context, entry);
        if (result.Finished) {
            m_s.Host.ProcessMessages();
            ++m_i;
        } else {
            HandleFailure(result);
        }
        m_d.Label6 = std::to_string(m_i);
        m_d.Label7 = std::to_string(m_s.FileCount - m_i);
        if (m_i != before) m_finished += Entry(m_i - 1).Size;
    }
}

void Run::AddBadFile() {
    m_s.BadFiles.push_back(SplitPath(Entry(m_i).Path));
    ++m_bad;
}

void Run::HandleFailure(const FileTestResult& result) {
    WriteLine("  \"" + LogSafe(Entry(m_i).Path) + "\" nelze přečíst");
    if (!m_st.NonStop) {
        AskUser(result);
        return;
    }
    AddBadFile();
    const int64_t shown = m_finished + result.Remaining;
    m_d.ProgressBar2Pos = ToBar(shown / m_b);
    m_d.Label13 = std::to_string(shown / kMegabyte);
    ++m_i;
}

void Run::AskUser(const FileTestResult& result) {
    switch (m_s.Host.AskReadError(Entry(m_i).Path)) {
        case ReadErrorAnswer::Retry:
            WriteLine("    - nový pokus o čtení");
            break;
        case ReadErrorAnswer::Continue:
            AddBadFile();
            m_st.BytesDone += result.Remaining;
            ++m_i;
            break;
        case ReadErrorAnswer::NonStop:
            AddBadFile();
            m_st.NonStop = true;
            ++m_i;
            break;
        case ReadErrorAnswer::Stop:
        default:
            WriteLine("  - test přerušen uživatelem po chybě tohoto souboru");
            AddBadFile();
            m_st.StopRequested = true;
            break;
    }
}

// Steps 22 to 27.
void Run::Finish() {
    if (m_st.ReadMode != 0) {
        WriteLine("\r\nKontrolní součet média:" + NumToHex(m_s.DataChecksum, 4));
    }
    WriteLine("\r\nKonec testu:");
    if (ShouldEject(m_location, m_s.Settings.EjectAfterTest)) {
        m_d.Label19.clear();
        m_d.Label9 = "Vysunutí média...";
        m_s.Host.ProcessMessages();
        EjectMedia(m_s.Calls, m_location);
    }
    WriteOutcome();
    m_d.Label24 = DateTimeText();
    m_log.Close();
    m_d.Label6 = std::to_string(m_i - 1);
    m_d.Label7 = std::to_string(m_s.FileCount - m_i + 1);
    m_d.Label12 = std::to_string(m_bad);
    m_d.ProgressBar1Pos = 0;
    m_d.ProgressBar2Pos = 0;
    m_d.Label9.clear();
    m_d.Label13 = "0";
    m_d.Label15 = "0";
}

void Run::WriteOutcome() {
    const bool stopped = m_st.StopRequested;
    const std::string count = std::to_string(m_bad);
    if (m_bad == 0) {
        WriteLine("  žádné problémy při čtení souborů...");
    } else {
        WriteLine((stopped ? "  počet chybných souborů: " : "  počet chybých souborů: ") + count);
    }
    WriteLine((stopped ? "  test přerušen uživatelem " : "  test úspěšně dokončen ") +
              DateTimeText());
    if (stopped) {
        m_d.Label26 = "test přerušen !";
    } else {
        m_d.Label26 = m_bad == 0 ? "test dokončen OK" : "test dokončen, chyby!";
    }
}

}  // namespace

TestSession::TestSession(TestSettings& settings, TestStatistics& statistics, MainDisplay& display,
                         TestHost& host, Dialogs& dialogs, Clock& clock, BlockingCalls& calls)
    : Settings(settings),
      Statistics(statistics),
      Display(display),
      Host(host),
      Dlg(dialogs),
      Clk(clock),
      Calls(calls),
      FileTable(std::make_unique<FileEntry[]>(kFileTableSize)),
      Buffer(std::make_unique<unsigned char[]>(kReadBufferSize)) {}

TestSession::~TestSession() = default;

uint16_t PerformTest(TestSession& session, const std::string& location, int32_t readModeOverride) {
    Run run(session, location, readModeOverride);
    return run.Execute();
}

std::string TempLogPath(int32_t index) {
    const std::string folder = platform::TempFolder();
    if (folder.empty()) return {};
    return folder + "tmplog" + std::to_string(index) + ".txt";
}

}  // namespace vorlaxis
