// A machine shared with other users: viewers started for a log must get the log's path as one
// argument whatever it holds; a saved log's name, made from a volume label someone chose, must
// stay in the logs folder; a log planted in a private folder that is not ours is never shown.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ScopedEnv.h"
#include "TempDir.h"
#include "core/Shell.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "results/LogFiles.h"
#include "results/Results.h"
#include "settings/DataFolders.h"
#include "support/ResultsFakes.h"

using namespace vorlaxis;
using namespace vorlaxis::test;
namespace fs = std::filesystem;

namespace {

// A stand-in program that writes the arguments it got, NUL-separated, to `record`.
void MakeRecorder(const std::string& path, const std::string& record) {
    std::ofstream(path) << "#!/bin/sh\n"
                        << ": > '" << record << ".tmp'\n"
                        << "for a in \"$@\"; do printf '%s\\0' \"$a\" >> '" << record
                        << ".tmp'; done\n"
                        << "mv '" << record << ".tmp' '" << record << "'\n";
    ::chmod(path.c_str(), 0755);
}

// The recorded arguments, once the detached program has written them.
std::optional<std::vector<std::string>> Recorded(const std::string& record) {
    for (int i = 0; i < 4000 && !fs::exists(record); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::ifstream in(record, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::string> args;
    for (std::string arg; std::getline(in, arg, '\0');) args.push_back(arg);
    return args;
}

}  // namespace

TEST(ExternalPrograms, ALogPathIsPassedAsOneArgumentWhateverItHolds) {
    TempDir dir;
    const std::string bin = dir.path() + "bin";
    fs::create_directory(bin);
    MakeRecorder(bin + "/xdg-open", dir.path() + "opener.args");
    MakeRecorder(bin + "/" + platform::PlainTextEditors().front(), dir.path() + "editor.args");
    ScopedEnv path("PATH", bin + ":/usr/bin:/bin");
    const std::string work = dir.path() + "work dir; $(touch pwned)/";
    fs::create_directories(work);
    const std::string log = work + "it's \"a\" log; $(touch pwned) `touch pwned` & | > * ?.txt";
    std::ofstream(log) << "log";

    SystemShell shell;
    shell.OpenDocument(log, work);
    shell.OpenInTextEditor(log, work);

    const auto opener = Recorded(dir.path() + "opener.args");
    ASSERT_TRUE(opener) << "xdg-open was not started";
    EXPECT_EQ(*opener, std::vector<std::string>{log});
    const auto editor = Recorded(dir.path() + "editor.args");
    ASSERT_TRUE(editor) << "the text editor was not started";
    ASSERT_FALSE(editor->empty());
    EXPECT_EQ(editor->back(), log);
    EXPECT_FALSE(fs::exists(work + "pwned"));
    EXPECT_FALSE(fs::exists(dir.path() + "pwned"));
    EXPECT_FALSE(fs::exists("pwned"));
}

TEST(SavedLogNames, ALabelNeverLeadsOutOfTheLogsFolder) {
    const std::string logs = "/srv/vorlaxis/Logs/";
    const std::vector<std::string> labels = {"../../etc/passwd",
                                             "..",
                                             ".",
                                             "/",
                                             "a/b",
                                             "/etc/shadow",
                                             std::string("x\0y", 3),
                                             "..\\..\\boot.ini",
                                             "",
                                             "CON",
                                             "label\nwith\nlines",
                                             std::string(300, 'L')};
    for (const std::string& label : labels) {
        for (const int format : {BySerialNumber, ByVolumeLabel, Combined}) {
            const std::string name = SavedLogName(format, label, "../12AB", "/media/../x/");
            SCOPED_TRACE(label + " / " + std::to_string(format) + " -> " + name);
            EXPECT_EQ(name.find('/'), std::string::npos);
            EXPECT_EQ(name.find('\0'), std::string::npos);
            EXPECT_NE(name, ".");
            EXPECT_NE(name, "..");
            const fs::path full = fs::path(logs + name).lexically_normal();
            EXPECT_EQ(full.parent_path().string() + "/", logs);
        }
    }
}

TEST(ForeignLogs, ALogInAPlantedPrivateFolderIsNeverShownOrSaved) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
    TempDir tmp, program;
    ScopedEnv env("TMPDIR", tmp.path());
    const std::string planted = tmp.path() + "vorlaxis-" + std::to_string(::geteuid());
    ASSERT_EQ(::mkdir(planted.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(planted.c_str(), 0777), 0);  // anyone could have put a log in here
    std::ofstream(planted + "/tmplog0.txt") << "forged log";
    ASSERT_EQ(::chown((planted + "/tmplog0.txt").c_str(), 4242, 4242), 0);

    const TestSettings settings{.ShowLogsAfterTest = true,
                                .ShowLogsAfterTestAlways = true,
                                .SaveLogsToDisk = true,
                                .LogsFileNameFormat = BySerialNumber,
                                .TxtViewer = InternalViewer};
    ScriptedDialogs dialogs;
    dialogs.answers = {MsgResult::Yes, MsgResult::Yes, MsgResult::Yes};
    RecordingShell shell;
    RecordingWindows windows;
    const ResultsContext context{
        settings, dialogs, shell, windows, platform::TempFolder(), LogsFolderPath(program.path())};
    TestStatistics statistics;
    const MediaRecord media[] = {{"LABEL", "0123ABCD"}};

    ErrorResults(context, statistics, 0);
    ShowTempLogs(context, 1);
    SaveTempLogs(context, 1, media);
    // (A fresh folder of our own beside it, "vorlaxis-<uid>-XXXXXX", is fine.)
    const std::string inPlanted = planted + "/";
    for (const ShellRequest& r : shell.requests)
        EXPECT_EQ(r.path.find(inPlanted), std::string::npos);
    for (const std::string& path : windows.viewerAsked) {
        EXPECT_EQ(path.find(inPlanted), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(LogsFolderPath(program.path()) + "0123ABCD.txt"));
}
