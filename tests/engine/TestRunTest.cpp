// PerformTest over real trees: the log byte for byte, the display fields, and each answer of
// the read-error question.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "RunFixture.h"
#include "media/MediaInfo.h"

namespace vorlaxis::test {
namespace {

const std::string kCleanEnd = "  žádné problémy při čtení souborů...\r\n";

TEST(TestRun, CleanRunWritesTheWholeLogAndShowsSuccess) {
    RunFixture f;
    f.tree.file("a.txt", "abc");
    f.tree.file("b.bin", std::string(5000, '\x01'));
    f.tree.file("c.bin", "");
    EXPECT_EQ(f.Run(f.tree.path()), 0);
    const std::string expected = f.Head(1, 3, "(čtení všech dat z média)") +
                                 "\r\nKontrolní součet média:14AE\r\n"
                                 "\r\nKonec testu:\r\n" +
                                 kCleanEnd + "  test úspěšně dokončen " + f.DateTime() + "\r\n";
    EXPECT_EQ(f.LogText(), expected);
    EXPECT_EQ(f.session.DataChecksum, (0x126 + 5000) % 65536);
    EXPECT_EQ(f.display.outcomeText, "test dokončen OK");
    EXPECT_EQ(f.display.filesTotalText, "3");
    EXPECT_EQ(f.display.filesTestedText, "3");
    EXPECT_EQ(f.display.filesLeftText, "0");
    EXPECT_EQ(f.display.badFilesText, "0");
    EXPECT_FALSE(f.display.badFilesRed);
    EXPECT_EQ(f.display.readModeText, "čtení všech dat");
    EXPECT_EQ(f.display.statusText, "Probíhá test...");
    EXPECT_EQ(f.display.megabytesDoneText, "0");
    EXPECT_EQ(f.display.megabytesTotalText, "0");
    EXPECT_TRUE(f.display.cancelEnabled);
    EXPECT_EQ(f.statistics.BytesDone, 5003);
    EXPECT_EQ(f.statistics.BytesTotal, 5003);
    EXPECT_EQ(f.host.busyShown, 1);
    EXPECT_EQ(f.host.busyHidden, 1);
    EXPECT_EQ(f.host.timerStarts, 1);
    EXPECT_TRUE(f.dialogs.shown.empty());
    EXPECT_FALSE(f.statistics.StopRequested);
}

TEST(TestRun, LogIsWindows1250WithCrLfAndNoByteOrderMark) {
    RunFixture f;
    f.tree.file("a", "abc");
    f.Run(f.tree.path());
    const std::string bytes = f.LogBytes();
    ASSERT_GT(bytes.size(), 10u);
    EXPECT_EQ(bytes.substr(0, 6), "Zubrak");
    // Windows-1250 bytes in octal: a hexadecimal escape would swallow the letters after it.
    EXPECT_NE(bytes.find("Informace o m\351diu:\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("Kontroln\355 sou\350et m\351dia:0126\r\n"), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            EXPECT_EQ(bytes[i - 1], '\r') << "bare LF at " << i;
        }
    }
}

TEST(TestRun, OpenOnlyModeWritesNoChecksumAndHidesSpeedCaptions) {
    RunFixture f;
    f.tree.file("a", "abc");
    f.tree.file("b", "def");
    f.Run(f.tree.path(), 3);
    EXPECT_EQ(f.LogText(), f.Head(1, 2, "(pouze otevírání souborů)") + "\r\nKonec testu:\r\n" +
                               kCleanEnd + "  test úspěšně dokončen " + f.DateTime() + "\r\n");
    EXPECT_FALSE(f.display.speedCaptionsVisible);
    EXPECT_EQ(f.statistics.ReadMode, 0);
    EXPECT_EQ(f.statistics.BytesDone, 0);
    EXPECT_EQ(f.display.readModeText, "otevírání souborů");
}

TEST(TestRun, EmptyLocationShowsZeroChecksumAndSuccess) {
    RunFixture f;
    f.Run(f.tree.path());
    EXPECT_EQ(f.LogText(), f.Head(1, 0, "(čtení všech dat z média)") +
                               "\r\nKontrolní součet média:0000\r\n\r\nKonec testu:\r\n" +
                               kCleanEnd + "  test úspěšně dokončen " + f.DateTime() + "\r\n");
    EXPECT_EQ(f.display.filesTestedText, "0");
    EXPECT_EQ(f.display.filesLeftText, "0");
    EXPECT_EQ(f.display.outcomeText, "test dokončen OK");
}

// An empty folder where a medium should be mounted tests no medium; an empty folder that
// nothing is expected in stays an empty medium.
TEST(TestRun, EmptyMountPointWithNothingMountedIsNoEmptyMedium) {
    RunFixture f;
    const std::string location = f.tree.path();
    f.calls.awaitingMedium.insert(location);
    EXPECT_EQ(f.Run(location), 0);
    ASSERT_EQ(f.session.Unchecked.size(), 1u);
    EXPECT_EQ(f.session.Unchecked[0].Reason, UncheckedReason::NoMedium);
    EXPECT_EQ(f.session.Unchecked[0].Path, location);
    EXPECT_EQ(f.display.outcomeText, "test neúplný !");
    EXPECT_NE(f.LogText().find("  \"" + location + "\" - médium není k dispozici\r\n"),
              std::string::npos);

    f.tree.file("a", "a");  // something there: whatever holds it is tested
    f.Run(location);
    EXPECT_TRUE(f.session.Unchecked.empty());
    EXPECT_EQ(f.display.outcomeText, "test dokončen OK");
}

TEST(TestRun, RetriedThenGivenUpFileIsLoggedPerAttemptAndCountedOnce) {
    RunFixture f;
    f.tree.file("a", "abc");
    const std::string bad = f.tree.file("b", std::string(10000, 'x'));
    f.tree.file("c", "z");
    f.calls.failReadAt[bad] = 4096;
    f.settings.BlockSize = 4;
    f.host.answers = {ReadErrorAnswer::Retry, ReadErrorAnswer::Continue};
    EXPECT_EQ(f.Run(f.tree.path()), 1);
    const std::string failLine = "  \"" + bad + "\" nelze přečíst\r\n";
    // 'x' is 0x78: two attempts each summed one block before failing.
    const int sum = (0x126 + 2 * 4096 * 0x78 + 'z') % 65536;
    EXPECT_EQ(f.LogText(),
              f.Head(1, 3, "(čtení všech dat z média)") + failLine +
                  "    - nový pokus o čtení\r\n" + failLine +
                  "\r\nKontrolní součet média:" + NumToHex(static_cast<uint32_t>(sum), 4) +
                  "\r\n\r\nKonec testu:\r\n  počet chybých souborů: 1\r\n"
                  "  test úspěšně dokončen " +
                  f.DateTime() + "\r\n");
    EXPECT_EQ(f.host.asked, (std::vector<std::string>{bad, bad}));
    ASSERT_EQ(f.session.BadFiles.size(), 1u);
    EXPECT_EQ(f.session.BadFiles[0].Name, "b");
    EXPECT_EQ(f.session.BadFiles[0].Directory, f.tree.path());
    // Both failed attempts' bytes stay counted, and "continue" adds the unread rest.
    EXPECT_EQ(f.statistics.BytesDone, 3 + 4096 + 4096 + (10000 - 4096) + 1);
    EXPECT_EQ(f.display.outcomeText, "test dokončen, chyby!");
    EXPECT_EQ(f.display.badFilesText, "1");
    EXPECT_TRUE(f.display.badFilesRed);
}

TEST(TestRun, StopAnswerEndsTheRunWithTheFailedFileCountedAndNotAdvanced) {
    RunFixture f;
    f.tree.file("a", "1");
    const std::string bad = f.UnopenableFile("b", "2");
    f.tree.file("c", "3");
    f.host.answers = {ReadErrorAnswer::Stop};
    EXPECT_EQ(f.Run(f.tree.path()), 1);
    EXPECT_TRUE(f.statistics.StopRequested);
    const int k = f.Number(bad);
    EXPECT_EQ(f.display.filesTestedText, std::to_string(k - 1));
    EXPECT_EQ(f.display.filesLeftText, std::to_string(3 - k + 1));
    EXPECT_EQ(f.display.outcomeText, "test přerušen !");
    const std::string log = f.LogText();
    EXPECT_NE(log.find("  \"" + bad +
                       "\" nelze přečíst\r\n"
                       "  - test přerušen uživatelem po chybě tohoto souboru\r\n"),
              std::string::npos);
    EXPECT_NE(log.find("\r\nKonec testu:\r\n  počet chybných souborů: 1\r\n"
                       "  test přerušen uživatelem " +
                       f.DateTime() + "\r\n"),
              std::string::npos);
    EXPECT_EQ(f.calls.opens.size(), static_cast<size_t>(k));
}

TEST(TestRun, NonStopAnswerLastsForTheLocationOnly) {
    RunFixture f;
    const std::string a = f.UnopenableFile("a", "1");
    const std::string b = f.UnopenableFile("b", "2");
    f.host.answers = {ReadErrorAnswer::NonStop, ReadErrorAnswer::Continue,
                      ReadErrorAnswer::Continue};
    EXPECT_EQ(f.Run(f.tree.path()), 2);
    EXPECT_EQ(f.host.asked.size(), 1u);
    EXPECT_EQ(f.session.BadFiles.size(), 2u);
    // The next location asks again and lists only its own files.
    f.statistics.LocationIndex = 1;
    EXPECT_EQ(f.Run(f.tree.path()), 2);
    EXPECT_EQ(f.host.asked.size(), 3u);
    EXPECT_EQ(f.session.BadFiles.size(), 2u);
    EXPECT_EQ(f.session.MediaRecords.size(), 2u);
}

TEST(TestRun, GoNonstopNeverAsksAndLogsOnlyTheFailureLine) {
    RunFixture f;
    const std::string a = f.UnopenableFile("a", "1");
    f.settings.GoNonstop = true;
    EXPECT_EQ(f.Run(f.tree.path()), 1);
    EXPECT_TRUE(f.host.asked.empty());
    EXPECT_EQ(f.LogText(), f.Head(1, 1, "(čtení všech dat z média)") + "  \"" + a +
                               "\" nelze přečíst\r\n\r\nKontrolní součet média:0000\r\n"
                               "\r\nKonec testu:\r\n  počet chybých souborů: 1\r\n"
                               "  test úspěšně dokončen " +
                               f.DateTime() + "\r\n");
}

TEST(TestRun, StopDuringAFileEndsAfterTheStepAndCountsTheFileAsTested) {
    RunFixture f;
    f.tree.file("a", std::string(1 << 20, 'a'));
    f.tree.file("b", "b");
    f.settings.BlockSize = 4;
    int pumpsOfA = 0;
    // The first pump comes before the file is opened, then one after each block read.
    f.host.onPump = [&] {
        if (f.display.currentFileText == "a" && ++pumpsOfA == 4) {
            f.statistics.StopRequested = true;
        }
    };
    EXPECT_EQ(f.Run(f.tree.path()), 0);
    const int k = f.Number(f.tree.path() + "a");
    EXPECT_EQ(f.statistics.BytesDone, 3 * 4096 + (k == 2 ? 1 : 0));
    EXPECT_EQ(f.display.filesTestedText, std::to_string(k));
    EXPECT_EQ(f.display.filesLeftText, std::to_string(2 - k));
    EXPECT_EQ(f.display.outcomeText, "test přerušen !");
    EXPECT_NE(f.LogText().find(kCleanEnd + "  test přerušen uživatelem " + f.DateTime()),
              std::string::npos);
}

TEST(TestRun, StopRequestedBeforeReadingReadsNothing) {
    RunFixture f;
    f.tree.file("a", "abc");
    f.statistics.StopRequested = true;
    f.Run(f.tree.path());
    EXPECT_TRUE(f.calls.opens.empty());
    EXPECT_EQ(f.display.outcomeText, "test přerušen !");
    EXPECT_NE(f.LogText().find("Kontrolní součet média:0000"), std::string::npos);
}

TEST(TestRun, CollectionFailureEndsTheLogWithLineFeedFirst) {
    RunFixture f;
    f.tree.file("a", "abc");
    f.calls.beforeSize = [](const std::string&) { throw std::bad_alloc(); };
    f.settings.EjectAfterTest = true;
    EXPECT_EQ(f.Run(f.tree.path()), 0);
    ASSERT_EQ(f.dialogs.shown.size(), 1u);
    const ScriptedDialogs::Shown& m = f.dialogs.shown[0];
    EXPECT_EQ(m.caption, "Fatální chyba");
    EXPECT_EQ(m.icon, MsgIcon::Error);
    EXPECT_EQ(m.buttons, MsgButtons::Ok);
    EXPECT_EQ(m.text,
              "Při procházení adreásřů a souborů došlo k chybě při čtení !\r\n"
              "Nelze přečíst adresářovou strukturu a proto nemůže být dokončen test souborů !");
    std::string head = f.Head(1, 0, "");
    head = head.substr(0, head.find("  počet souborů:"));
    EXPECT_EQ(f.LogText(), head +
                               "\n\rKonec testu:\r\n"
                               "  test přerušen - nelze načíst adresářovou strukturu " +
                               f.DateTime() + "\r\n");
    EXPECT_TRUE(f.statistics.StopRequested);
    EXPECT_EQ(f.display.outcomeText, "test přerušen !");
    EXPECT_FALSE(f.host.busyVisible);
    EXPECT_EQ(f.calls.ejected.size(), 1u);
}

TEST(TestRun, LogThatCannotBeCreatedIsACollectionFailure) {
    RunFixture f;
    f.tree.file("a", "abc");
    f.session.LogPathOverride = f.logs.path() + "missing/log.txt";
    f.Run(f.tree.path());
    ASSERT_EQ(f.dialogs.shown.size(), 1u);
    EXPECT_EQ(f.dialogs.shown[0].caption, "Fatální chyba");
    EXPECT_TRUE(f.calls.opens.empty());
    EXPECT_EQ(f.display.outcomeText, "test přerušen !");
    EXPECT_EQ(f.host.busyShown, f.host.busyHidden);
}

TEST(TestRun, TemporaryLogIsNamedByLocationIndexAndPrivate) {
    RunFixture f;
    f.session.LogPathOverride.clear();
    f.statistics.LocationIndex = 2;
    f.Run(f.tree.path());
    EXPECT_EQ(f.session.LogPath, platform::TempFolder() + "tmplog2.txt");
    struct stat st {};
    ASSERT_EQ(::stat(f.session.LogPath.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    platform::RemoveFile(f.session.LogPath);
}

TEST(TestRun, EjectFollowsTheOptionAndNeverANetworkPath) {
    RunFixture f;
    f.settings.EjectAfterTest = true;
    f.Run(f.tree.path());
    EXPECT_EQ(f.calls.ejected, std::vector<std::string>{f.tree.path()});
    EXPECT_EQ(f.display.currentFileText, "");
    f.settings.EjectAfterTest = false;
    f.Run(f.tree.path());
    EXPECT_EQ(f.calls.ejected.size(), 1u);
}

TEST(TestRun, ReadModeOverrideBlocksUsesTheOptionsStep) {
    RunFixture f;
    f.settings.ReadEveryXthBlock = 2;
    f.Run(f.tree.path(), 2);
    EXPECT_EQ(f.statistics.ReadMode, 8);
    EXPECT_EQ(f.display.readModeText, "čtení každého 8. bloku");
    EXPECT_NE(f.LogText().find("Průběh testu (čtení každého 8. bloku):"), std::string::npos);
}

}  // namespace
}  // namespace vorlaxis::test
