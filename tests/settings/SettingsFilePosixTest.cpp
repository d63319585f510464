// The settings file among the file system's own rules: permissions, links, and writes the
// system refuses (the error names the file, what was written before stays, nothing is lost).
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>

#include <string>

#include "SettingsTestSupport.h"
#include "TempDir.h"
#include "media/LocationList.h"
#include "settings/IniFile.h"
#include "settings/SettingsFile.h"

using namespace vorlaxis;
using vorlaxis::test::ReadBack;

namespace {

// Limits the size of files this process may write, for the life of the object. Writing past
// it fails with EFBIG (the signal it would raise is ignored meanwhile).
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_ok = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool ok() const { return m_ok; }

  private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_ok = false;
};

LocationList ManyLocations(int count) {
    LocationList list;
    for (int i = 0; i < count; ++i) list.Add("/media/location-" + std::to_string(1000 + i));
    return list;
}

// A file holding `content` in `dir`, with the permission bits `mode`; its path.
std::string FileWithMode(const vorlaxis::test::TempDir& dir, const std::string& name,
                         const std::string& content, mode_t mode) {
    const std::string path = dir.file(name, content);
    EXPECT_EQ(::chmod(path.c_str(), mode), 0);
    return path;
}

}  // namespace

TEST(WriteINIs, AReadOnlyFileGivesTheErrorAndStaysAsItWas) {
    vorlaxis::test::TempDir dir;
    const std::string original = "[Application]\nXpos=1\n[Paths]\nPath0=/keep\n";
    const std::string path = FileWithMode(dir, "Ulvenor.ini", original, 0444);
    TestSettings settings = DefaultTestSettings();
    settings.GoNonstop = true;
    EXPECT_EQ(WriteINIs(path, settings, nullptr, ManyLocations(3)), "Unable to write to " + path);
    EXPECT_EQ(ReadBack(path), original);
    EXPECT_TRUE(settings.GoNonstop);
}

TEST(WriteINIs, AReadOnlyFolderGivesTheError) {
    vorlaxis::test::TempDir dir;
    const std::string folder = dir.path() + "program/";
    ASSERT_EQ(::mkdir(folder.c_str(), 0555), 0);
    if (::access(folder.c_str(), W_OK) == 0) {
        GTEST_SKIP() << "this user (root) may write into a read-only folder; the read-only "
                        "file and the file-size limit tests cover the refused write";
    }
    const std::string path = folder + "Ulvenor.ini";
    EXPECT_EQ(WriteINIs(path, DefaultTestSettings(), nullptr, ManyLocations(1)),
              "Unable to write to " + path);
    EXPECT_FALSE(platform::Exists(path));
}

TEST(WriteINIs, ARefusedWriteStopsAtThatKeyAndKeepsWhatWasWritten) {
    vorlaxis::test::TempDir dir;
    const std::string path = dir.path() + "Ulvenor.ini";
    const LocationList list = ManyLocations(200);  // about 8 kB of "Paths"
    std::string error;
    {
        FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.ok());
        error = WriteINIs(path, DefaultTestSettings(), nullptr, list);
    }
    EXPECT_EQ(error, "Unable to write to " + path);
    // Every option and the first locations made it; the file is whole and readable.
    const std::string written = ReadBack(path);
    EXPECT_LE(written.size(), 4096u);
    TestSettings settings;
    LocationList back;
    ReadINIs(path, settings, nullptr, back, nullptr);
    EXPECT_TRUE(settings == DefaultTestSettings());
    ASSERT_GT(back.Count(), 10);
    ASSERT_LT(back.Count(), list.Count());
    for (int i = 0; i < back.Count(); ++i) EXPECT_EQ(back.Text(i), list.Text(i));
    EXPECT_EQ(dir.names(), std::vector<std::string>{"Ulvenor.ini"}) << "no temporary file left";
}

TEST(IniFile, AFullDiskNeverLeavesAHalfWrittenFile) {
    vorlaxis::test::TempDir dir;
    const std::string before = "[Big]\nvalue=" + std::string(3000, 'x') + "\n";
    const std::string path = dir.file("a.ini", before);
    IniFile ini(path);
    FileSizeLimit limit(before.size() + 10);
    ASSERT_TRUE(limit.ok());
    EXPECT_FALSE(ini.WriteString("Big", "more", std::string(100, 'y')));
    EXPECT_EQ(ReadBack(path), before);
}

TEST(IniFile, AReadOnlyFileIsRefusedAndKeptWhole) {
    vorlaxis::test::TempDir dir;
    const std::string path = FileWithMode(dir, "ro.ini", "[A]\nx=1\n", 0444);
    IniFile ini(path);
    EXPECT_FALSE(ini.WriteString("A", "x", "2"));
    EXPECT_EQ(ReadBack(path), "[A]\nx=1\n");
    EXPECT_EQ(ini.Document().ReadInteger("A", "x", 0), 1);  // memory follows the file
}

TEST(IniFile, ALinkedFileIsWrittenThroughAndTheLinkStays) {
    vorlaxis::test::TempDir dir;
    const std::string target = dir.file("real.ini", "[A]\nx=1\n");
    const std::string link = dir.path() + "link.ini";
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    IniFile ini(link);
    ASSERT_TRUE(ini.WriteString("A", "x", "2"));
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadBack(target), "[A]\nx=2\n");
}

TEST(IniFile, KeepsTheFilesPermissions) {
    vorlaxis::test::TempDir dir;
    const std::string path = FileWithMode(dir, "p.ini", "[A]\nx=1\n", 0640);
    IniFile ini(path);
    ASSERT_TRUE(ini.WriteString("A", "x", "2"));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(IniFile, AnUnchangedValueLeavesTheFileAloneButAReadOnlyFileIsStillRefused) {
    vorlaxis::test::TempDir dir;
    const std::string path = dir.file("same.ini", "[A]\nx=1\n");
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    IniFile ini(path);
    ASSERT_TRUE(ini.WriteString("A", "x", "1"));
    ASSERT_TRUE(ini.WriteString("A", "y", "2"));  // appended in place
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(ReadBack(path), "[A]\nx=1\ny=2\n");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_FALSE(ini.WriteString("A", "x", "1"));
}

TEST(IniFile, AFileWithOtherLineEndsIsWrittenWholeBeforeAnythingIsAppended) {
    vorlaxis::test::TempDir dir;
    IniFile ini(dir.file("mixed.ini", "[A]\r\nx=1\ny=2\r\r\n"));
    ASSERT_TRUE(ini.WriteString("A", "z", "3"));
    EXPECT_EQ(ReadBack(ini.Path()), "[A]\r\nx=1\r\ny=2\r\nz=3\r\n");
    ASSERT_TRUE(ini.WriteString("A", "w", "4"));
    EXPECT_EQ(ReadBack(ini.Path()), ini.Document().Text());
}
