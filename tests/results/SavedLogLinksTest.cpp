// A saved log never goes through a link planted at its name in the logs folder: the copy is
// refused with its usual error and what the link leads to stays as it was.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TempDir.h"
#include "platform/Files.h"
#include "results/LogFiles.h"

using namespace vorlaxis;
using vorlaxis::test::TempDir;

TEST(CopyLogFile, ALinkAtTheNameIsRefusedAndWhatItLeadsToStaysUntouched) {
    TempDir dir, outside;
    const std::string source = dir.file("tmp/tmplog0.txt", "the log");
    const std::string victim = outside.file("precious.txt", "precious");
    const std::string logs = dir.path() + "Logs/";
    ASSERT_TRUE(platform::MakeDirectories(logs));
    ASSERT_EQ(::symlink(victim.c_str(), (logs + "file.txt").c_str()), 0);
    ASSERT_EQ(::symlink(outside.path().c_str(), (logs + "folder.txt").c_str()), 0);
    ASSERT_EQ(::symlink((outside.path() + "new.txt").c_str(), (logs + "dangling.txt").c_str()), 0);
    ASSERT_EQ(::link(victim.c_str(), (logs + "hard.txt").c_str()), 0);

    for (const char* name : {"file.txt", "folder.txt", "dangling.txt", "hard.txt"}) {
        EXPECT_EQ(CopyLogFile(source, logs + name), "Cannot create file " + logs + name);
    }
    std::string content;
    ASSERT_TRUE(platform::ReadWholeFile(victim, content));
    EXPECT_EQ(content, "precious");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(outside.path())) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"precious.txt"});
    EXPECT_TRUE(platform::IsSymbolicLink(logs + "file.txt"));  // the link is left as it is
}
