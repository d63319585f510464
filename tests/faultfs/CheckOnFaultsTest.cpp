// vorlaxis-check over a medium that fails: its exit status and its log must tell the truth in
// every case, and it is never 0 when a file could not be read.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "FaultFsFixture.h"
#include "RunHarness.h"

using namespace vorlaxis::test;

namespace {

constexpr int kAllReadable = 0, kUnreadable = 1, kBadUsage = 2, kStopped = 3, kIncomplete = 5;

std::string Pattern(int64_t size, int seed) {
    std::string bytes(static_cast<size_t>(size), '\0');
    for (int64_t i = 0; i < size; ++i) bytes[size_t(i)] = char((i * 11 + seed) & 0xFF);
    return bytes;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    for (size_t end; (end = text.find('\n', pos)) != std::string::npos; pos = end + 1) {
        lines.push_back(text.substr(pos, end - pos));
    }
    return lines;
}

bool HasLine(const ProgramResult& r, const std::string& prefix) {
    for (const std::string& line : Lines(r.out)) {
        if (line.rfind(prefix, 0) == 0) return true;
    }
    return false;
}

class CheckOnFaults : public FaultFsFixture {
  protected:
    ProgramResult Check(std::vector<std::string> args, std::vector<std::string> env = {}) {
        args.insert(args.begin(), VORLAXIS_CHECK_EXE);
        env.push_back("TMPDIR=" + tmp.path());
        const ProgramResult r = RunProgram(args, env);
        EXPECT_FALSE(r.timedOut) << "vorlaxis-check hung";
        EXPECT_EQ(r.signal, 0) << "vorlaxis-check died: " << r.err;
        return r;
    }

    // vorlaxis-check with `options` over the whole medium once `faults` are the rules.
    ProgramResult CheckWithFaults(const std::string& faults,
                                  std::vector<std::string> options = {}) {
        fs.SetFaults(faults);
        options.push_back(fs.root());
        return Check(std::move(options));
    }

    std::string Failure(const std::string& relative) const {
        return "  \"" + fs.root() + relative + "\" nelze přečíst";
    }

    TempDir tmp;
};

}  // namespace

TEST_F(CheckOnFaults, SoundMediumInEveryModeExitsZero) {
    fs.AddFile("a.bin", Pattern(100000, 1));
    fs.AddFile("d/b.bin", Pattern(5000, 2));
    for (const char* mode : {"all", "4", "8", "16", "open"}) {
        SCOPED_TRACE(mode);
        const ProgramResult r = Check({"--mode", mode, "--block-size", "4", fs.root()});
        EXPECT_EQ(r.exitCode, kAllReadable) << r.err;
        EXPECT_TRUE(HasLine(r, "  žádné problémy při čtení souborů..."));
        EXPECT_TRUE(HasLine(r, "  test úspěšně dokončen "));
    }
}

TEST_F(CheckOnFaults, BadBlockInAReadBlockExitsOneInEveryMode) {
    const std::string data = Pattern(64 * 4096, 3);
    fs.AddFile("bad.bin", data);
    fs.AddFile("good.bin", Pattern(3000, 4));
    // Block 16 is read in every mode; everything before it is sound.
    fs.SetFaults("read-error /bad.bin " + std::to_string(16 * 4096 + 7) + " 1\n");
    for (const char* mode : {"all", "4", "8", "16"}) {
        SCOPED_TRACE(mode);
        const ProgramResult r = Check({"--mode", mode, "--block-size", "4", fs.root()});
        EXPECT_EQ(r.exitCode, kUnreadable) << r.err;
        EXPECT_TRUE(HasLine(r, Failure("bad.bin")));
        EXPECT_TRUE(HasLine(r, "  počet chybých souborů: 1"));
    }
    // The sum in the log is that of the bytes read: the blocks before the bad one, all of
    // good.bin.
    const ProgramResult r = Check({"--mode", "all", "--block-size", "4", fs.root()});
    const uint16_t sum = ByteSum(data.substr(0, 16 * 4096) + Pattern(3000, 4));
    EXPECT_TRUE(HasLine(r, "Kontrolní součet média:" + Hex4(sum)));
}

TEST_F(CheckOnFaults, BadBlockInAPassedOverStretchIsNotSeenByTheBlockModes) {
    fs.AddFile("f.bin", Pattern(64 * 4096, 5));
    EXPECT_EQ(CheckWithFaults("read-error /f.bin " + std::to_string(4096 + 1) + " 1\n",
                              {"--mode", "4", "--block-size", "4"})
                  .exitCode,
              kAllReadable);
    EXPECT_EQ(Check({"--mode", "all", "--block-size", "4", fs.root()}).exitCode, kUnreadable);
}

TEST_F(CheckOnFaults, FailedOpensExitOneEvenWhenOnlyOpening) {
    fs.AddFile("eio", "x");
    fs.AddFile("denied", "y");
    const ProgramResult r =
        CheckWithFaults("open-error /eio EIO\nopen-error /denied EACCES\n", {"--mode", "open"});
    EXPECT_EQ(r.exitCode, kUnreadable);
    EXPECT_TRUE(HasLine(r, Failure("eio")));
    EXPECT_TRUE(HasLine(r, Failure("denied")));
    EXPECT_TRUE(HasLine(r, "  počet chybých souborů: 2"));
}

TEST_F(CheckOnFaults, VanishedFileExitsOne) {
    fs.AddFile("ghost", "boo");
    fs.AddFile("stays", "s");
    const ProgramResult r = CheckWithFaults("vanish /ghost 2\n");
    EXPECT_EQ(r.exitCode, kUnreadable);
    EXPECT_TRUE(HasLine(r, Failure("ghost")));
}

TEST_F(CheckOnFaults, TransientErrorIsStillReportedWithoutSomeoneToRetry) {
    fs.AddFile("flaky", Pattern(10000, 6));
    EXPECT_EQ(CheckWithFaults("read-error /flaky 0 1 1\n").exitCode, kUnreadable);
}

// A checksum list that cannot be read is a file that cannot be read, and the comparisons it
// asks for are named as not made, even when only its first reading fails.
TEST_F(CheckOnFaults, ChecksumListThatCannotBeReadIsNamed) {
    const std::string content = Pattern(5000, 3);
    fs.AddFile("data.bin", content);
    std::string list;
    for (int i = 0; i < 2000; ++i) list += std::string(32, '0') + "  x" + std::to_string(i) + "\n";
    fs.AddFile("MD5SUMS", list);
    struct Case {
        const char* faults;
        int exitCode;
        bool unreadable;
    };
    for (const Case& c : {Case{"read-error /MD5SUMS 70000 1\n", kUnreadable, true},
                          Case{"read-error /MD5SUMS 0 1 1\n", kIncomplete, false},
                          Case{"open-error /MD5SUMS EIO\n", kUnreadable, true}}) {
        const ProgramResult r = CheckWithFaults(c.faults);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.faults << r.out;
        EXPECT_EQ(HasLine(r, Failure("MD5SUMS")), c.unreadable) << c.faults << r.out;
        EXPECT_TRUE(HasLine(r, "  \"" + fs.root() + "MD5SUMS\" - seznam kontrolních součtů"))
            << c.faults << r.out;
    }
}

TEST_F(CheckOnFaults, UnlistableSubdirectoryIsUnreadableOrUncheckedAndAnUnlistableLocationFails) {
    fs.AddFile("a", "a");
    fs.AddFile("sub/b", "b");
    const ProgramResult sub = CheckWithFaults("list-error /sub after 2\n");
    EXPECT_EQ(sub.exitCode, kUnreadable);
    EXPECT_TRUE(HasLine(sub, "  počet souborů:       1"));
    EXPECT_TRUE(HasLine(sub, Failure("sub/")));

    const ProgramResult denied = CheckWithFaults("list-error /sub open EACCES\n");
    EXPECT_EQ(denied.exitCode, kIncomplete);
    EXPECT_TRUE(HasLine(denied, "  \"" + fs.root() + "sub/\" - přístup odepřen"));

    const ProgramResult root = CheckWithFaults("list-error /\n");
    EXPECT_EQ(root.exitCode, kUnreadable);
    EXPECT_NE(root.err.find("Fatální chyba"), std::string::npos) << root.err;
    EXPECT_TRUE(HasLine(root, "  test přerušen - nelze načíst adresářovou strukturu "));
}

TEST_F(CheckOnFaults, GrowingAndShrinkingFilesAreReadToTheirEnd) {
    fs.AddFile("grow", Pattern(5000, 7));
    fs.AddFile("shrink", Pattern(50000, 8));
    EXPECT_EQ(
        CheckWithFaults("resize /grow 20000\nresize /shrink 100\n", {"--block-size", "4"}).exitCode,
        kAllReadable);
}

TEST_F(CheckOnFaults, SignalOnASlowMediumStopsAfterTheCurrentBlockAndEndsTheProgramByIt) {
    fs.AddFile("slow.bin", Pattern(200 * 4096, 9));
    fs.AddFile("zz.bin", "z");
    fs.SetFaults("delay 20 /slow.bin\n");
    ChildProcess child({VORLAXIS_CHECK_EXE, "--block-size", "4", fs.root()},
                       {"TMPDIR=" + tmp.path()});
    ASSERT_TRUE(child.Start());
    auto reads = [&] {
        int n = 0;
        for (const TraceLine& t : fs.Trace()) n += t.what == "read" && t.path == "/slow.bin";
        return n;
    };
    for (int i = 0; i < 4000 && reads() < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    child.Signal(SIGTERM);
    const ProgramResult r = child.Wait();
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.signal, SIGTERM) << r.err;
    EXPECT_LT(reads(), 200);
    EXPECT_TRUE(HasLine(r, "  test přerušen uživatelem "));
    for (const TraceLine& t : fs.Trace()) EXPECT_NE(t.path, "/zz.bin");
}

TEST_F(CheckOnFaults, LocationThatVanishesWhileAnotherIsTestedExitsOne) {
    fs.AddFile("slow.bin", Pattern(40 * 4096, 10));
    fs.SetFaults("delay 20 /slow.bin\n");
    TempDir second;
    const std::string later = second.path() + "later/";
    std::filesystem::create_directory(later);
    ChildProcess child({VORLAXIS_CHECK_EXE, "--block-size", "4", fs.root(), later},
                       {"TMPDIR=" + tmp.path()});
    ASSERT_TRUE(child.Start());
    for (int i = 0; i < 4000 && fs.Trace().size() < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::filesystem::remove(later);  // taken out while the first location is being read
    const ProgramResult r = child.Wait();
    EXPECT_EQ(r.exitCode, kUnreadable) << r.err;
    EXPECT_TRUE(HasLine(r, "  test úspěšně dokončen "));  // the first location
    EXPECT_TRUE(HasLine(r, "  test přerušen - nelze načíst adresářovou strukturu "));
}

TEST_F(CheckOnFaults, LocationThatIsAFileIsBadUsage) {
    const std::string file = fs.AddFile("image.iso", "iso");
    const ProgramResult r = Check({file});
    EXPECT_EQ(r.exitCode, kBadUsage);
    EXPECT_NE(r.err.find("not an existing directory"), std::string::npos) << r.err;
}
