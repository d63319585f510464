// Locations at and beyond the file table's 49152 entries, and one of 100 000 directories.
// The trees are built once for the whole program (it runs as one test process).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <string>

#include "RamFolder.h"
#include "RunHarness.h"

using namespace vorlaxis;
using namespace vorlaxis::test;

namespace {

void MakeFiles(const std::string& dir, int count) {
    ::mkdir(dir.c_str(), 0755);
    for (int i = 0; i < count; ++i) {
        const std::string path = dir + "/f" + std::to_string(i);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << path;
        // A few files carry a byte, so the checksum shows that they were read.
        if (i % 4096 == 0) {
            ASSERT_EQ(::write(fd, "\x01", 1), 1);
        }
        ::close(fd);
    }
}

// 100 directories of 999 directories each below `dir`: 100 000 directories, one file.
void MakeManyDirectories(const std::string& dir) {
    ::mkdir(dir.c_str(), 0755);
    for (int i = 0; i < 100; ++i) {
        const std::string top = dir + "/d" + std::to_string(i);
        ASSERT_EQ(::mkdir(top.c_str(), 0755), 0);
        for (int j = 0; j < 999; ++j) {
            ASSERT_EQ(::mkdir((top + "/e" + std::to_string(j)).c_str(), 0755), 0);
        }
    }
    std::ofstream(dir + "/d99/e998/last.txt") << "end";
}

class BigTrees : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_ram = new RamFolder();
        const std::string root = s_ram->path();
        MakeFiles(root + "f49152", 49152);
        MakeFiles(root + "f49153", 49153);
        // Two full directories: in either listing order the table is full before the second
        // one is listed.
        ::mkdir((root + "twice").c_str(), 0755);
        ::symlink("../f49152", (root + "twice/a").c_str());
        ::symlink("../f49153", (root + "twice/b").c_str());
        MakeManyDirectories(root + "many");
    }
    static void TearDownTestSuite() {
        delete s_ram;
        s_ram = nullptr;
    }
    static std::string Location(const std::string& name) { return s_ram->path() + name + "/"; }

    static RamFolder* s_ram;
    RunHarness h;
};

RamFolder* BigTrees::s_ram = nullptr;

}  // namespace

TEST_F(BigTrees, ExactlyAFullTableNeedsNoMessage) {
    EXPECT_EQ(h.Run(Location("f49152")), 0);
    EXPECT_EQ(h.session.FileCount, 49152);
    EXPECT_TRUE(h.dialogs.shown.empty());
    EXPECT_EQ(h.LogLinesStartingWith("  počet souborů:")[0], "  počet souborů:       49152");
    EXPECT_EQ(h.session.DataChecksum, 12);  // files 0, 4096, ..., 45056 hold one 0x01 byte
    EXPECT_EQ(h.display.filesTestedText, "49152");
    EXPECT_EQ(h.display.outcomeText, "test dokončen OK");
}

// Filling in the last directory, the table still brings the message and names what it left out.
TEST_F(BigTrees, OneFileMoreIsLeftOutWithTheMessageAndCounted) {
    EXPECT_EQ(h.Run(Location("f49153")), 0);
    EXPECT_EQ(h.session.FileCount, 49152);
    ASSERT_EQ(h.dialogs.shown.size(), 1u);
    EXPECT_EQ(h.dialogs.shown[0].caption, "Překročen limit...");
    ASSERT_EQ(h.session.Unchecked.size(), 1u);
    EXPECT_EQ(h.session.Unchecked[0].Count, 1);
    EXPECT_EQ(h.display.outcomeText, "test neúplný !");
    EXPECT_EQ(h.LogLinesStartingWith("  počet souborů:")[0], "  počet souborů:       49152");
    std::set<std::string> distinct;
    for (int i = 0; i < h.session.FileCount; ++i) distinct.insert(h.session.FileTable[i].Path);
    EXPECT_EQ(distinct.size(), 49152u);
}

TEST_F(BigTrees, FullTableBeforeAFurtherDirectoryShowsTheLimitMessageOnce) {
    EXPECT_EQ(h.Run(Location("twice")), 0);
    EXPECT_EQ(h.session.FileCount, 49152);
    ASSERT_EQ(h.dialogs.shown.size(), 1u);
    EXPECT_EQ(h.dialogs.shown[0].caption, "Překročen limit...");
    EXPECT_EQ(h.dialogs.shown[0].text,
              "Na médiu je více souborů než je možné testovat (maximum je 49152).\r\r"
              "Bude otestovánou pouze prvních 49152 souborů...");
    EXPECT_EQ(h.dialogs.shown[0].icon, MsgIcon::Warning);
    EXPECT_EQ(h.LogLinesStartingWith("  počet adresářů:")[0], "  počet adresářů:      3");
}

TEST_F(BigTrees, HundredThousandDirectories) {
    h.settings.DataReadStyle = 1;
    EXPECT_EQ(h.Run(Location("many")), 0);
    EXPECT_EQ(h.LogLinesStartingWith("  počet adresářů:")[0], "  počet adresářů:      100001");
    EXPECT_EQ(h.session.FileCount, 1);
    EXPECT_EQ(h.session.DataChecksum, ByteSum("end"));
    EXPECT_EQ(h.display.outcomeText, "test dokončen OK");
}
