// Which program the shell requests start, and with which arguments.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/Shell.h"
#include "platform/Process.h"

using namespace vorlaxis;

namespace {

struct Started {
    std::string program;
    std::vector<std::string> arguments;
    std::string folder;
};

class ShellTest : public ::testing::Test {
  protected:
    std::set<std::string> installed;
    std::vector<Started> started;
    SystemShell shell{[this](const std::string& program, const std::vector<std::string>& args,
                             const std::string& folder) {
                          started.push_back({program, args, folder});
                          return true;
                      },
                      [this](const std::string& program) { return installed.count(program) > 0; }};
};

TEST_F(ShellTest, DocumentsAndFoldersGoToTheDesktopOpener) {
    shell.OpenDocument("/tmp/v/tmplog0.txt", "/tmp/v/");
    shell.OpenFolder("/opt/vorlaxis/Logs/");
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[0].program, "xdg-open");
    EXPECT_EQ(started[0].arguments, std::vector<std::string>{"/tmp/v/tmplog0.txt"});
    EXPECT_EQ(started[0].folder, "/tmp/v/");
    EXPECT_EQ(started[1].program, "xdg-open");
    EXPECT_EQ(started[1].arguments, std::vector<std::string>{"/opt/vorlaxis/Logs/"});
}

TEST_F(ShellTest, TextEditorIsTheFirstInstalledWithItsEncodingOption) {
    const std::string log = "/tmp/v/tmp log \"0\".txt";
    shell.OpenInTextEditor(log, "/tmp/v/");  // none installed: the opener
    installed = {"featherpad", "kwrite"};
    shell.OpenInTextEditor(log, "/tmp/v/");
    installed.insert("gedit");
    shell.OpenInTextEditor(log, "/tmp/v/");
    installed.insert("gnome-text-editor");
    shell.OpenInTextEditor(log, "/tmp/v/");
    ASSERT_EQ(started.size(), 4u);
    EXPECT_EQ(started[0].program, "xdg-open");
    EXPECT_EQ(started[0].arguments, std::vector<std::string>{log});
    EXPECT_EQ(started[1].program, "kwrite");
    EXPECT_EQ(started[1].arguments, (std::vector<std::string>{"--encoding", "windows-1250", log}));
    EXPECT_EQ(started[2].program, "gedit");
    EXPECT_EQ(started[2].arguments, (std::vector<std::string>{"--encoding=WINDOWS-1250", log}));
    EXPECT_EQ(started[3].program, "gnome-text-editor");
    EXPECT_EQ(started[3].arguments, std::vector<std::string>{log});
    for (const Started& s : started) EXPECT_EQ(s.folder, "/tmp/v/");
}

TEST(TextEditorCall, EveryListedEditorTakesThePathLast) {
    for (const std::string& editor : platform::PlainTextEditors()) {
        const ProgramCall call =
            TextEditorCall("/t/x.txt", [&](const std::string& name) { return name == editor; });
        EXPECT_EQ(call.program, editor);
        ASSERT_FALSE(call.arguments.empty());
        EXPECT_EQ(call.arguments.back(), "/t/x.txt");
    }
}

}  // namespace
