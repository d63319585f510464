// vorlaxis-check --history and checksum files on the medium, end to end on real trees and the
// fault file system; the fingerprints it exports are checked by xxh128sum itself.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "FaultFs.h"
#include "platform/Files.h"
#include "platform/Process.h"

using namespace vorlaxis::test;
namespace fs = std::filesystem;

namespace {

constexpr int kAllReadable = 0;
constexpr int kUnreadable = 1;
constexpr int kContentDiffers = 4;
constexpr int kIncomplete = 5;

struct CheckRun {
    ProgramResult program;
    std::string json;  // the result file
};

class CheckHistory : public ::testing::Test {
  protected:
    CheckRun Check(const std::string& location, std::vector<std::string> extra = {}) {
        const std::string json = tmp.path() + "result.json";
        std::vector<std::string> args{VORLAXIS_CHECK_EXE, "--json", json};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(location);
        CheckRun run{RunProgram(args, {"TMPDIR=" + tmp.path()}), json};
        return run;
    }
    CheckRun Recorded(const std::string& location) {
        return Check(location, {"--history", history});
    }

    // The location's list under `key` as Python writes it: ["a", "b"].
    static std::string List(const CheckRun& run, const std::string& key) {
        const ProgramResult r =
            RunProgram({Tool("python3"), "-c",
                        "import json,sys; d=json.load(open(sys.argv[1], encoding='utf-8'));"
                        "print(json.dumps(d['locations'][0][sys.argv[2]], ensure_ascii=False))",
                        run.json, key});
        return r.out.empty() ? r.err : r.out.substr(0, r.out.size() - 1);
    }
    // The location's list under `key`, sorted.
    static std::vector<std::string> Sorted(const CheckRun& run, const std::string& key) {
        const ProgramResult r =
            RunProgram({Tool("python3"), "-c",
                        "import json,sys; d=json.load(open(sys.argv[1], encoding='utf-8'));"
                        "print(''.join(p + '\\n' for p in sorted(d['locations'][0][sys.argv[2]])),"
                        " end='')",
                        run.json, key});
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t end; (end = r.out.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(r.out.substr(start, end - start));
        return lines;
    }
    static std::string Tool(const std::string& name) {
        const std::string path = vorlaxis::platform::FindProgram(name);
        EXPECT_FALSE(path.empty()) << name << " is needed here";
        return path;
    }
    // The records and exports kept so far, by name.
    std::vector<fs::path> Kept() const {
        std::vector<fs::path> files;
        for (const auto& e : fs::recursive_directory_iterator(history)) {
            if (e.is_regular_file()) files.push_back(e.path());
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    TempDir tmp, tree;
    const std::string history = tmp.path() + "History/";
};

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Rewrites a file with `content`, then gives it back its modification time when asked.
void Rewrite(const std::string& path, const std::string& content, bool keepTime) {
    const fs::file_time_type before = fs::last_write_time(path);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
    fs::last_write_time(path, keepTime ? before : before + std::chrono::seconds(10));
}

std::string Q(const std::string& path) {
    return "[\"" + path + "\"]";
}

TEST_F(CheckHistory, SecondTestShowsWhatChangedAndASilentChangeExitsFour) {
    const std::string t = tree.path();
    tree.file("flip.bin", std::string(70000, 'x'));
    tree.file("edit.txt", "first version");
    tree.file("gone.txt", "soon gone");
    tree.file("složka s mezerou/čtení.txt", "Czech name");
    const CheckRun first = Recorded(t);
    ASSERT_EQ(first.program.exitCode, kAllReadable) << first.program.err;
    EXPECT_EQ(List(first, "changed"), "[]");
    const std::vector<fs::path> firstFiles = Kept();
    ASSERT_EQ(firstFiles.size(), 2u);  // the record and its export
    const std::string firstRecord = Slurp(firstFiles[0]);

    std::string flipped(70000, 'x');
    flipped[65537] = 'y';
    Rewrite(t + "flip.bin", flipped, true);
    Rewrite(t + "edit.txt", "second version", false);
    fs::remove(t + "gone.txt");
    tree.file("new.txt", "new");
    const CheckRun second = Recorded(t);
    EXPECT_EQ(second.program.exitCode, kContentDiffers) << second.program.err;
    EXPECT_EQ(List(second, "changed"), Q(t + "flip.bin"));
    EXPECT_EQ(List(second, "edited"), Q(t + "edit.txt"));
    EXPECT_EQ(List(second, "missing"), Q(t + "gone.txt"));
    EXPECT_EQ(List(second, "new"), Q(t + "new.txt"));
    EXPECT_EQ(List(second, "newly_unreadable"), "[]");
    EXPECT_NE(second.program.err.find("changed: " + t + "flip.bin"), std::string::npos);
    // The log names the silent change and is no success; the other changes are no fault.
    EXPECT_NE(second.program.out.find("  \"" + t +
                                      "flip.bin\" změněn obsah při stejné velikosti a datu změny"),
              std::string::npos)
        << second.program.out;
    EXPECT_NE(second.program.out.find("  test dokončen, obsah nesouhlasí "), std::string::npos);
    EXPECT_EQ(second.program.out.find("edit.txt"), std::string::npos);

    // Nothing earlier was touched; the new record and export came beside it.
    const std::vector<fs::path> kept = Kept();
    ASSERT_EQ(kept.size(), 4u);
    EXPECT_EQ(Slurp(firstFiles[0]), firstRecord);
    // CheckRun in the location's folder, the newest export verifies the medium.
    const ProgramResult verify = RunProgram({"/bin/sh", "-c", "cd \"$1\" && \"$2\" -c \"$3\"", "sh",
                                             t, Tool("xxh128sum"), kept[3].string()});
    EXPECT_EQ(verify.exitCode, 0) << verify.out << verify.err;
    EXPECT_NE(verify.out.find("složka s mezerou/čtení.txt: OK"), std::string::npos) << verify.out;
}

TEST_F(CheckHistory, OddNamesAreExportedAsTheToolReadsThem) {
    const std::string t = tree.path();
    tree.file("back\\slash", "b");
    tree.file("line\nbreak", "l");
    ASSERT_EQ(Recorded(t).program.exitCode, kAllReadable);
    const std::vector<fs::path> kept = Kept();
    ASSERT_EQ(kept.size(), 2u);
    const std::string exported = Slurp(kept[1]);
    // The hash xxh128sum itself gives each file, and the line of the export for it.
    for (const std::string name : {"back\\slash", "line\nbreak"}) {
        const ProgramResult own = RunProgram({Tool("xxh128sum"), t + name});
        ASSERT_GE(own.out.size(), 32u);
        const std::string hash = own.out.substr(0, 32);
        const std::string line =
            name == "back\\slash" ? hash + "  back\\slash\n" : "\\" + hash + "  line\\nbreak\n";
        EXPECT_NE(exported.find(line), std::string::npos) << exported;
    }
}

TEST_F(CheckHistory, ChecksumFilesAreVerifiedInTheSameRead) {
    const std::string t = tree.path();
    tree.file("a.bin", std::string(100000, 'a'));
    tree.file("sub/b.bin", "bee");
    tree.file("wrong.bin", "will change");
    tree.file("c.bin", "sea");
    const ProgramResult made = RunProgram(
        {"/bin/sh", "-c",
         "cd \"$1\" && sha256sum a.bin wrong.bin absent.bin > SHA256SUMS 2>/dev/null;"
         "cd sub && md5sum --tag b.bin ../a.bin > list.md5 && cd .. &&"
         "printf 'c.bin %08x\\n' $(python3 -c 'import zlib;print(zlib.crc32(b\"sea\"))') > c.sfv",
         "sh", t});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    {
        std::ofstream(t + "SHA256SUMS", std::ios::app)
            << std::string(64, '0') << "  absent.bin\n";  // listed, not on the medium
    }
    tree.file("wrong.bin", "has changed");
    const CheckRun run = Check(t);
    EXPECT_EQ(run.program.exitCode, kContentDiffers) << run.program.err;
    EXPECT_EQ(List(run, "checksum_file_mismatches"), Q(t + "wrong.bin"));
    EXPECT_EQ(List(run, "checksum_file_missing"), Q(t + "absent.bin"));
    // Only a whole read checks them.
    const CheckRun blocks = Check(t, {"--mode", "4"});
    EXPECT_EQ(blocks.program.exitCode, kAllReadable);
    EXPECT_EQ(List(blocks, "checksum_file_mismatches"), "[]");
    // Without records no file is fingerprinted, yet a list of XXH3-128 sums is still checked.
    for (const char* list : {"SHA256SUMS", "sub/list.md5", "c.sfv"})
        std::filesystem::remove(t + list);
    ASSERT_EQ(RunProgram({"/bin/sh", "-c", "cd \"$1\" && xxh128sum a.bin > sums.xxh128", "sh", t})
                  .exitCode,
              0);
    tree.file("a.bin", std::string(100000, 'b'));
    const CheckRun xxh = Check(t);
    EXPECT_EQ(xxh.program.exitCode, kContentDiffers) << xxh.program.err;
    EXPECT_EQ(List(xxh, "checksum_file_mismatches"), Q(t + "a.bin"));
}

// Every form of list real tools write is understood: each list names its own file, so a list
// not recognised shows as a file missing from the mismatches once they all change.
TEST_F(CheckHistory, ListsInEveryFormRealToolsWriteAreChecked) {
    const std::string t = tree.path();
    const std::vector<std::pair<std::string, std::string>> lists = {
        {"sub/deb.bin", "md5sum ./sub/deb.bin > md5sum.txt"},
        {"tag.bin", "sha256sum --tag tag.bin > SHA256SUMS.txt"},
        {"b2.bin", "b2sum b2.bin > B2SUMS && b2sum --tag b2.bin > x.b2"},
        {"t.bin", "sha224sum t.bin > t.sha224 && sha384sum t.bin > SHA384SUMS"},
        {"iso.bin", "sha256sum iso.bin > iso.bin.sha256sum"},
        {"rh.bin", "rhash rh.bin > rh.sfv"},
        {"ck.bin", "cksfv ck.bin > ck.sfv"},
        {"hd/h.bin", "hashdeep -r hd > hashes.txt"},
        {"bag/data/p.bin", "cd bag && sha512sum data/p.bin > manifest-sha512.txt"},
        // Written on Windows: CR LF and backslashes.
        {"win/w.bin", "md5sum win/w.bin | sed 's|/|\\\\\\\\|; s/$/\\r/' > win.md5"},
        // Fedora: signed, BSD form, no hash in the name.
        {"fed.iso",
         "{ printf -- '-----BEGIN PGP SIGNED MESSAGE-----\\nHash: SHA256\\n\\n# fed.iso: 4 "
         "bytes\\n'; sha256sum --tag fed.iso; printf -- '-----BEGIN PGP SIGNATURE-----\\n\\n"
         "iQIz\\n-----END PGP SIGNATURE-----\\n'; } > F-39-x86_64-CHECKSUM"},
        // Upper-case digits in the GNU form.
        {"up.bin", "sha1sum up.bin | sed 's/^[0-9a-f]*/\\U&/' > UP.sha1"},
    };
    std::string script = "set -e; cd \"$1\"";
    std::vector<std::string> expected;
    for (const auto& [file, command] : lists) {
        tree.file(file, "was " + file);
        script += "; (" + command + ")";
        expected.push_back(t + file);
    }
    const ProgramResult made = RunProgram({"/bin/sh", "-c", script, "sh", t});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const CheckRun sound = Check(t);
    EXPECT_EQ(sound.program.exitCode, kAllReadable) << sound.program.out << sound.program.err;
    EXPECT_EQ(List(sound, "unchecked"), "[]");
    EXPECT_EQ(List(sound, "checksum_file_missing"), "[]");
    for (const auto& entry : lists) tree.file(entry.first, "now " + entry.first);
    const CheckRun changed = Check(t);
    EXPECT_EQ(changed.program.exitCode, kContentDiffers) << changed.program.err;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Sorted(changed, "checksum_file_mismatches"), expected);
}

// A list that disagrees is heard whatever another list says, whatever its size; an entry
// that leaves the location names nothing in it.
TEST_F(CheckHistory, EveryVerdictCountsAndNothingOutsideIsTakenForInside) {
    const std::string t = tree.path();
    tree.file("a.bin", "a");
    tree.file("b.bin", "b");
    tree.file("x", "x");
    // Text files: a list where it names a file there; no list where it names none, or where a
    // line is no entry.
    tree.file("sub/c.bin", "c");
    tree.file("sub/sums.txt", std::string(32, 'e') + "  c.bin\n");
    tree.file("sub/other-sums.txt", std::string(32, 'e') + "  nothing-here\n");
    tree.file("readme.txt", std::string(32, 'e') + "  x\nhello\n");
    const std::string wrong(40, '0');
    const ProgramResult made = RunProgram(
        {"/bin/sh", "-c",
         "cd \"$1\" && md5sum a.bin > MD5SUMS && printf '%s  b.bin\\n' " + wrong.substr(8) +
             " >> MD5SUMS && head -c 70000000 /dev/zero | tr '\\0' '#' | fold -w 99 > SHA1SUMS && "
             "echo >> SHA1SUMS "
             "&& printf '%s  a.bin\\n' " +
             wrong + " >> SHA1SUMS && sha1sum b.bin >> SHA1SUMS && printf '%s  ../../x\\n' " +
             wrong + " >> SHA1SUMS && echo 'not an entry' >> SHA1SUMS",
         "sh", t});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const CheckRun run = Check(t);
    EXPECT_EQ(run.program.exitCode, kContentDiffers) << run.program.err;
    EXPECT_EQ(Sorted(run, "checksum_file_mismatches"),
              (std::vector<std::string>{t + "a.bin", t + "b.bin", t + "sub/c.bin"}));
    EXPECT_EQ(List(run, "checksum_file_missing"), "[]");
    // The filler is comments; the one line that is no entry is counted.
    EXPECT_EQ(List(run, "unchecked"),
              "[{\"path\": \"" + t + "../../x\", \"reason\": \"outside_medium\"}, {\"path\": \"" +
                  t + "SHA1SUMS\", \"reason\": \"list_lines_unusable\", \"lines\": 1}]");
}

TEST_F(CheckHistory, RecordFolderThatCannotBeWrittenIsReported) {
    tree.file("a", "a");
    const std::string blocked = tmp.path() + "blocked";
    std::ofstream(blocked) << "a file, no folder";
    const CheckRun run = Check(tree.path(), {"--history", blocked + "/sub"});
    EXPECT_EQ(run.program.exitCode, kUnreadable);
    EXPECT_NE(run.program.err.find("cannot be created"), std::string::npos) << run.program.err;
    EXPECT_EQ(List(run, "changed"), "[]");
}

// What the medium's last record is when it cannot be used, and how it came to be so.
std::string Damaged(const std::string& record, const std::string& how) {
    if (how == "cut in a line") return record.substr(0, record.size() / 2 + 7);
    if (how == "cut at a line end")
        return record.substr(0, record.rfind('\n', record.size() - 2) + 1);
    return std::string(4096, '\xee');  // replaced by garbage
}

TEST_F(CheckHistory, ARecordThatCannotBeUsedIsKeptAsideNamedAndLeavesTheTestIncomplete) {
    const std::string t = tree.path();
    tree.file("a.txt", "a");
    tree.file("b.txt", "b");
    for (const std::string how : {"cut in a line", "cut at a line end", "garbage", "older ok"}) {
        fs::remove_all(history);
        ASSERT_EQ(Recorded(t).program.exitCode, kAllReadable);
        if (how == "older ok") {
            ASSERT_EQ(Recorded(t).program.exitCode, kAllReadable);
        }
        const fs::path newest = Kept()[Kept().size() - 2];  // the record before its export
        ASSERT_EQ(newest.extension(), ".record");
        const std::string damaged = Damaged(Slurp(newest), how == "older ok" ? "garbage" : how);
        std::ofstream(newest, std::ios::binary | std::ios::trunc) << damaged;
        const CheckRun run = Recorded(t);
        EXPECT_EQ(run.program.exitCode, kIncomplete) << how << run.program.err;
        const std::string aside = newest.string() + ".damaged";
        EXPECT_EQ(List(run, "unchecked"),
                  "[{\"path\": \"" + aside + "\", \"reason\": \"record_unusable\"}]")
            << how;
        EXPECT_NE(run.program.err.find(aside + ": NOT CHECKED (record unusable)"),
                  std::string::npos)
            << run.program.err;
        // The log names it too, and ends as no success.
        EXPECT_NE(
            run.program.out.find("  \"" + aside +
                                 "\" - nelze porovnat se záznamem média (záznam je poškozen)"),
            std::string::npos)
            << run.program.out;
        EXPECT_NE(run.program.out.find("  test neúplný, něco nebylo otestováno "),
                  std::string::npos);
        EXPECT_EQ(Slurp(aside), damaged) << how;
        // Nothing was compared, with the older record neither.
        for (const char* key : {"missing", "new", "changed"}) EXPECT_EQ(List(run, key), "[]");
        // The run's own record serves the next test.
        EXPECT_EQ(Recorded(t).program.exitCode, kAllReadable) << how;
    }
}

TEST_F(CheckHistory, AReadModeThatDoesNotReadFilesWholeSaysNothingWasCompared) {
    tree.file("a.bin", std::string(200000, 'a'));
    ASSERT_EQ(Recorded(tree.path()).program.exitCode, kAllReadable);
    for (const char* mode : {"16", "open"}) {
        const CheckRun run = Check(tree.path(), {"--history", history, "--mode", mode});
        EXPECT_EQ(run.program.exitCode, kIncomplete) << mode << run.program.err;
        EXPECT_EQ(List(run, "unchecked"), "[{\"path\": \"\", \"reason\": \"not_compared\"}]");
        EXPECT_NE(run.program.err.find("not compared"), std::string::npos) << run.program.err;
    }
    EXPECT_EQ(Kept().size(), 2u) << "only whole reads are recorded";
}

TEST_F(CheckHistory, RecordsKeptInsideTheTestedTreeAreNoPartOfIt) {
    const std::string t = tree.path();
    tree.file("a.txt", "a");
    // Spelt otherwise than the location: the folder is known by what it is.
    const std::string inside = t + "sub/../History/";
    fs::create_directories(t + "sub");
    for (int run = 0; run < 3; ++run) {
        const CheckRun r = Check(t, {"--history", inside});
        EXPECT_EQ(r.program.exitCode, kAllReadable) << run << r.program.err;
        EXPECT_EQ(List(r, "new"), "[]");
        EXPECT_EQ(List(r, "checksum_file_missing"), "[]");
        EXPECT_NE(r.program.out.find("počet souborů:       1\n"), std::string::npos)
            << r.program.out;
        EXPECT_NE(r.program.out.find("počet adresářů:      2\n"), std::string::npos);
    }
}

TEST_F(CheckHistory, FileThatBecomesUnreadableAndReadsAgain) {
    VORLAXIS_REQUIRE_FUSE();
    FaultFs media;
    media.AddFile("bad.bin", std::string(20000, 'b'));
    media.AddFile("good.bin", "g");
    ASSERT_TRUE(media.Mount()) << media.error();
    EXPECT_EQ(Recorded(media.root()).program.exitCode, kAllReadable);
    media.SetFaults("read-error /bad.bin 5000 1\n");
    const CheckRun broken = Recorded(media.root());
    EXPECT_EQ(broken.program.exitCode, kUnreadable);
    EXPECT_EQ(List(broken, "newly_unreadable"), Q(media.root() + "bad.bin"));
    media.SetFaults("");
    const CheckRun healed = Recorded(media.root());
    EXPECT_EQ(healed.program.exitCode, kAllReadable);
    EXPECT_EQ(List(healed, "readable_again"), Q(media.root() + "bad.bin"));
    EXPECT_EQ(List(healed, "changed"), "[]");
    // Changed while it could not be read, size and time kept: the last good fingerprint,
    // kept across the tests that could not read it, still catches it.
    media.SetFaults("read-error /bad.bin 5000 1\n");
    EXPECT_EQ(Recorded(media.root()).program.exitCode, kUnreadable);
    EXPECT_EQ(Recorded(media.root()).program.exitCode, kUnreadable);
    std::string changed(20000, 'b');
    changed[19999] = 'c';
    Rewrite(media.backing() + "bad.bin", changed, true);
    media.SetFaults("");
    const CheckRun again = Recorded(media.root());
    EXPECT_EQ(again.program.exitCode, kContentDiffers) << again.program.err;
    EXPECT_EQ(List(again, "changed"), Q(media.root() + "bad.bin"));
    EXPECT_EQ(List(again, "readable_again"), Q(media.root() + "bad.bin"));
}

}  // namespace
