// A medium compared with its source folder where either side fails: unreadable files on the
// medium or in the source, a read mode that compares nothing, and a stop while a read of either
// side hangs. vorlaxis-check's exit status, standard error and JSON keys for each.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "FaultFs.h"
#include "RunHarness.h"
#include "platform/Process.h"

using namespace vorlaxis;
using namespace vorlaxis::test;

namespace {

constexpr int64_t kBlock = 4096;

std::string Pattern(int64_t size) {
    std::string bytes(static_cast<size_t>(size), '\0');
    for (int64_t i = 0; i < size; ++i) bytes[size_t(i)] = char((i * 13 + i / kBlock) & 0xFF);
    return bytes;
}

// A medium and its source, each on a fault file system of its own, with the same files.
struct TwoSides {
    TwoSides() {
        if (!medium.Mount() || !source.Mount()) return;
        for (FaultFs* side : {&medium, &source}) {
            side->AddFile("big.bin", Pattern(40 * kBlock));
            side->AddFile("složka/malý.txt", "malý soubor");
        }
        mounted = true;
    }
    FaultFs medium, source;
    bool mounted = false;
};

// The JSON result's comparison keys, one line an item: "differs PATH OFFSET",
// "only_on_medium PATH", "only_in_source PATH", "unreadable PATH", "unchecked REASON PATH".
std::vector<std::string> Findings(const std::string& json) {
    const ProgramResult r =
        RunProgram({platform::FindProgram("python3"), "-c",
                    "import json,sys\n"
                    "l=json.load(open(sys.argv[1], encoding='utf-8'))['locations'][0]\n"
                    "for d in l['differs']: print('differs', d['path'], d['offset'])\n"
                    "for k in ('only_on_medium', 'only_in_source', 'unreadable'):\n"
                    "  for p in l[k]: print(k, p)\n"
                    "for u in l['unchecked']: print('unchecked', u['reason'], u['path'])\n",
                    json});
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = r.out.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(r.out.substr(start, end - start));
    std::sort(lines.begin(), lines.end());
    return lines;
}

struct CheckCase {
    const char* what;
    std::string mediumFaults, sourceFaults;
    std::vector<std::string> options;
    int exitCode;
    // With "M" standing for the medium's root and "S" for the source's.
    std::vector<std::string> findings;
    std::string stderrLine;
};

std::string Expand(std::string text, const TwoSides& s) {
    for (size_t at; (at = text.find("M/")) != std::string::npos;)
        text.replace(at, 2, s.medium.root());
    for (size_t at; (at = text.find("S/")) != std::string::npos;)
        text.replace(at, 2, s.source.root());
    return text;
}

TEST(CompareOnFaults, CheckNamesEachFindingWithTheGravestExitStatus) {
    VORLAXIS_REQUIRE_FUSE();
    const std::vector<CheckCase> cases = {
        {"the same", "", "", {}, 0, {}, ""},
        {"content and a file that differ", "", "", {}, 4, {}, ""},  // filled in below
        {"unreadable on the medium",
         "read-error /big.bin 20000 1\n",
         "",
         {},
         1,
         {"unreadable M/big.bin"},
         ""},
        {"unreadable in the source",
         "",
         "read-error /big.bin 20000 1\n",
         {},
         5,
         {"unchecked source_unreadable S/big.bin"},
         "S/big.bin: NOT CHECKED (source unreadable)"},
        {"a source file that will not open",
         "",
         "open-error /složka/malý.txt EACCES\n",
         {},
         5,
         {"unchecked source_unreadable S/složka/malý.txt"},
         "S/složka/malý.txt: NOT CHECKED (source unreadable)"},
        {"every 4th block read", "", "", {"--mode", "4"}, 5, {"unchecked not_compared S/"}, ""},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.what);
        TwoSides s;
        ASSERT_TRUE(s.mounted) << s.medium.error() << s.source.error();
        CheckCase expected = c;
        if (c.exitCode == 4) {
            s.medium.AddFile("big.bin", Pattern(40 * kBlock).substr(0, 30000) + "x");
            s.source.AddFile("navíc.txt", "jen ve zdroji");
            expected.findings = {"differs M/big.bin 30000", "only_in_source S/navíc.txt"};
            expected.stderrLine = "M/big.bin: DIFFERS AT 30000";
        }
        s.medium.SetFaults(c.mediumFaults);
        s.source.SetFaults(c.sourceFaults);
        TempDir tmp;
        std::vector<std::string> args = {VORLAXIS_CHECK_EXE, "--json", tmp.path() + "r.json",
                                         "--block-size",     "4",      "--compare-with",
                                         s.source.root()};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(s.medium.root());
        const ProgramResult r = RunProgram(args, {"TMPDIR=" + tmp.path()});
        EXPECT_EQ(r.exitCode, expected.exitCode) << r.err;
        std::vector<std::string> findings;
        for (const std::string& line : expected.findings) findings.push_back(Expand(line, s));
        std::sort(findings.begin(), findings.end());
        EXPECT_EQ(Findings(tmp.path() + "r.json"), findings);
        if (!expected.stderrLine.empty()) {
            EXPECT_NE(r.err.find(Expand(expected.stderrLine, s) + "\n"), std::string::npos)
                << r.err;
        }
    }
}

TEST(CompareOnFaults, StopDuringAHangingReadOfEitherSideEndsTheRunAsStopped) {
    VORLAXIS_REQUIRE_FUSE();
    for (const bool sourceHangs : {false, true}) {
        SCOPED_TRACE(sourceHangs ? "the source hangs" : "the medium hangs");
        TwoSides s;
        ASSERT_TRUE(s.mounted) << s.medium.error() << s.source.error();
        // A read of either side that hangs until the test lets it go: only a stop honoured
        // while it hangs ends the run in the watchdog's time.
        s.medium.AddFile("zz.bin", "z");
        s.source.AddFile("zz.bin", "z");
        FaultFs& hanging = sourceHangs ? s.source : s.medium;
        hanging.SetFaults("hang /big.bin\n");
        RunHarness h(CallsOn::HelperThread);
        h.session.SourceFolder = s.source.root();
        int pumps = 0;
        h.host.onPump = [&] {
            if (h.host.timerStarts > 0 && ++pumps == 5) h.statistics.StopRequested = true;
        };
        EXPECT_EQ(h.Run(s.medium.root()), 0);
        EXPECT_EQ(h.LogLinesStartingWith("  test přerušen uživatelem ").size(), 1u);
        EXPECT_FALSE(h.session.Source.Differ());
        EXPECT_TRUE(h.session.Source.Unchecked.empty());
        for (const TraceLine& t : s.medium.Trace()) EXPECT_NE(t.path, "/zz.bin");
        hanging.SetFaults("");  // the read given up ends, and the file system with it
    }
}

}  // namespace
