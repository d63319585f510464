// vorlaxis-check on a medium that keeps a read for seconds: Ctrl+C ends the run at once, with
// the stopped outcome in a complete log, and the program then dies by the signal.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include "ChildProcess.h"
#include "FaultFs.h"
#include "platform/Files.h"
#include "platform/Text.h"

using namespace vorlaxis;
using namespace vorlaxis::test;
using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(CheckOnAStuckMedium, InterruptEndsTheRunAtOnceWithAStoppedLog) {
    VORLAXIS_REQUIRE_FUSE();
    FaultFs fs;
    fs.AddFile("a.bin", "a");
    fs.AddFile("stuck.bin", "s");
    fs.SetFaults("delay 4000 /stuck.bin\n");
    ASSERT_TRUE(fs.Mount()) << fs.error();
    TempDir out;
    const std::string log = out.path() + "check.log";
    ChildProcess check({VORLAXIS_CHECK_EXE, "--log", log, fs.root()});
    ASSERT_TRUE(check.Start());
    // Interrupted once the stuck read has been asked of the medium and kept for a while.
    const auto limit = SteadyClock::now() + 20s;
    auto asked = [&] {
        for (const TraceLine& t : fs.Trace()) {
            if (t.what == "open" && t.path == "/stuck.bin") return true;
        }
        return false;
    };
    while (!asked() && SteadyClock::now() < limit) std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(300ms);
    const auto interrupted = SteadyClock::now();
    check.Signal(SIGINT);
    const ProgramResult result = check.Wait(30s);
    const auto ended = SteadyClock::now() - interrupted;

    std::printf("vorlaxis-check ended %lld ms after SIGINT\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(ended).count()));
    EXPECT_EQ(result.signal, SIGINT) << result.err;
    EXPECT_LT(ended, 2s);
    std::string bytes;
    ASSERT_TRUE(platform::ReadWholeFile(log, bytes));
    const std::string text = platform::Cp1250ToUtf8(bytes);
    EXPECT_TRUE(Contains(text,
                         "\r\nKonec testu:\r\n  žádné problémy při čtení souborů...\r\n"
                         "  test přerušen uživatelem "))
        << text;
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_FALSE(Contains(text, "nelze přečíst"));
}

}  // namespace
