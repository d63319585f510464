// vorlaxis-check --json: the result a script reads, parsed back by Python's json module, for
// sound, failing, stopped and hostile media. Whatever Python refuses fails the test.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "FaultFs.h"
#include "RunHarness.h"
#include "platform/Files.h"
#include "platform/Process.h"

using namespace vorlaxis::test;

namespace {

// Reads the file strictly (UTF-8, no NaN, no duplicate key, nothing after the value) and
// prints every leaf as "key<TAB>hex of its UTF-8 text"; a list also gives "key#" its length.
const char kFlatten[] = R"(
import json, sys
def pairs(items):
    if len({k for k, _ in items}) != len(items): raise ValueError('duplicate key')
    return dict(items)
def refuse(name): raise ValueError(name)
def emit(key, text):
    sys.stdout.write(key + '\t' + text.encode('utf-8').hex() + '\n')
def walk(key, v):
    if isinstance(v, dict):
        for k, x in v.items(): walk(key + [k], x)
    elif isinstance(v, list):
        emit('.'.join(key) + '#', str(len(v)))
        for i, x in enumerate(v): walk(key + [str(i)], x)
    else:
        emit('.'.join(key), '"' + v + '"' if isinstance(v, str) else json.dumps(v))
with open(sys.argv[1], 'rb') as f:
    walk([], json.loads(f.read().decode('utf-8'), object_pairs_hook=pairs,
                        parse_constant=refuse))
)";

// "locations.0.outcome" -> "\"ok\"" (a string in quotes, as decoded), numbers, null and
// booleans as JSON spells them.
using Flat = std::map<std::string, std::string>;

Flat ParsedByPython(const std::string& file) {
    const std::string python = vorlaxis::platform::FindProgram("python3");
    EXPECT_FALSE(python.empty()) << "python3 is needed to check the JSON";
    const ProgramResult r = RunProgram({python, "-c", kFlatten, file});
    EXPECT_EQ(r.exitCode, 0) << "Python refused the JSON: " << r.err;
    Flat flat;
    size_t pos = 0;
    for (size_t end; (end = r.out.find('\n', pos)) != std::string::npos; pos = end + 1) {
        const std::string line = r.out.substr(pos, end - pos);
        const size_t tab = line.find('\t');
        std::string text;
        for (size_t i = tab + 1; i + 1 < line.size(); i += 2) {
            text += static_cast<char>(std::stoi(line.substr(i, 2), nullptr, 16));
        }
        flat[line.substr(0, tab)] = text;
    }
    return flat;
}

std::string Q(const std::string& text) {
    return '"' + text + '"';
}

std::string Pattern(int64_t size, int seed) {
    std::string bytes(static_cast<size_t>(size), '\0');
    for (int64_t i = 0; i < size; ++i) bytes[size_t(i)] = char((i * 7 + seed) & 0xFF);
    return bytes;
}

// What every result holds, whatever the medium.
void ExpectShape(const Flat& v, size_t locations, int exitStatus) {
    EXPECT_EQ(v.at("program"), Q("vorlaxis-check"));
    EXPECT_EQ(v.at("version"), Q(VORLAXIS_VERSION));
    EXPECT_EQ(v.at("exit_status"), std::to_string(exitStatus));
    ASSERT_EQ(v.at("locations#"), std::to_string(locations));
    for (size_t i = 0; i < locations; ++i) {
        const std::string at = "locations." + std::to_string(i) + ".";
        for (const char* key : {"path", "label", "serial", "directories", "files", "unreadable#",
                                "checksum", "outcome", "bytes_read", "seconds"}) {
            EXPECT_EQ(v.count(at + key), 1u) << at + key;
        }
        EXPECT_TRUE(std::regex_match(v.at(at + "seconds"), std::regex("[0-9]+(\\.[0-9]+)?")));
        if (v.at(at + "serial") != "null") {
            EXPECT_TRUE(std::regex_match(v.at(at + "serial"), std::regex("\"[0-9A-F]{8}\"")));
        }
    }
}

class CheckJson : public ::testing::Test {
  protected:
    void SetUp() override {
        VORLAXIS_REQUIRE_FUSE();
        ASSERT_TRUE(fs.Mount()) << fs.error();
    }

    std::string json() const { return tmp.path() + "result.json"; }

    TempDir tmp;
    FaultFs fs;
};

}  // namespace

TEST_F(CheckJson, EachOutcomeIsReportedAsTheLogTellsIt) {
    const std::string big = Pattern(64 * 4096, 1), small = Pattern(3000, 2);
    const std::string root = fs.root();
    struct Case {
        const char* name;
        std::string faults;
        std::vector<std::string> args;  // PATHs included
        int exitStatus;
        size_t locations;
        Flat expect;  // keys below "locations."
    } cases[] = {
        {"all data",
         "",
         {root},
         0,
         1,
         {{"0.path", Q(root)},
          {"0.directories", "2"},
          {"0.files", "2"},
          {"0.unreadable#", "0"},
          {"0.checksum", Q(Hex4(ByteSum(big + small)))},
          {"0.outcome", Q("ok")},
          {"0.bytes_read", std::to_string(big.size() + small.size())}}},
        {"a file that cannot be opened",
         "open-error /d/small.bin EIO\n",
         {root},
         1,
         1,
         {{"0.unreadable#", "1"},
          {"0.unreadable.0", Q(root + "d/small.bin")},
          {"0.checksum", Q(Hex4(ByteSum(big)))},
          {"0.outcome", Q("errors")},
          {"0.bytes_read", std::to_string(big.size())}}},
        {"a bad block: what was read before it counts",
         "read-error /big.bin " + std::to_string(16 * 4096 + 7) + " 1\n",
         {"--block-size", "4", root},
         1,
         1,
         {{"0.unreadable.0", Q(root + "big.bin")},
          {"0.checksum", Q(Hex4(ByteSum(big.substr(0, 16 * 4096) + small)))},
          {"0.bytes_read", std::to_string(16 * 4096 + small.size())}}},
        {"every 16th block: blocks passed over are not read; a PATH that is no directory is not "
         "checked",
         "",
         {"--mode", "16", "--block-size", "4", root + "big.bin", root},
         5,
         2,
         {{"0.path", Q(root + "big.bin")},
          {"0.label", "null"},
          {"0.serial", "null"},
          {"0.checksum", "null"},
          {"0.outcome", Q("failed")},
          {"0.unchecked#", "1"},
          {"0.unchecked.0.path", Q(root + "big.bin")},
          {"0.unchecked.0.reason", Q("no_medium")},
          {"1.outcome", Q("ok")},
          {"1.bytes_read", std::to_string(4 * 4096 + small.size())}}},
        {"only opening: no checksum",
         "",
         {"--mode", "open", root},
         0,
         1,
         {{"0.files", "2"}, {"0.checksum", "null"}, {"0.bytes_read", "0"}, {"0.outcome", Q("ok")}}},
        {"a tree that cannot be collected",
         "list-error /\n",
         {root},
         1,
         1,
         {{"0.files", "0"}, {"0.checksum", "null"}, {"0.outcome", Q("failed")}}},
    };
    fs.AddFile("big.bin", big);
    fs.AddFile("d/small.bin", small);
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs.SetFaults(c.faults);
        c.args.insert(c.args.begin(), {VORLAXIS_CHECK_EXE, "--json", json()});
        const ProgramResult r = RunProgram(c.args, {"TMPDIR=" + tmp.path()});
        ASSERT_EQ(r.exitCode, c.exitStatus) << r.err;
        const Flat v = ParsedByPython(json());
        ExpectShape(v, c.locations, c.exitStatus);
        for (const auto& [key, value] : c.expect) {
            EXPECT_EQ(v.count("locations." + key) ? v.at("locations." + key) : "(missing)", value)
                << key;
        }
    }
}

TEST_F(CheckJson, StoppedRunStillWritesTheResultAndMarksWhatWasNotReached) {
    fs.AddFile("slow.bin", Pattern(200 * 4096, 3));
    fs.SetFaults("delay 20 /slow.bin\n");
    TempDir later;
    ChildProcess child(
        {VORLAXIS_CHECK_EXE, "--json", json(), "--block-size", "4", fs.root(), later.path()},
        {"TMPDIR=" + tmp.path()});
    ASSERT_TRUE(child.Start());
    auto reads = [&] {
        int n = 0;
        for (const TraceLine& t : fs.Trace()) n += t.what == "read";
        return n;
    };
    for (int i = 0; i < 4000 && reads() < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    child.Signal(SIGINT);
    const ProgramResult r = child.Wait();
    ASSERT_EQ(r.signal, SIGINT) << r.err;  // after writing the result
    const Flat v = ParsedByPython(json());
    ExpectShape(v, 2, 3);
    EXPECT_EQ(v.at("locations.0.outcome"), Q("stopped"));
    EXPECT_NE(v.at("locations.0.checksum"), "null");
    const int64_t read = std::stoll(v.at("locations.0.bytes_read"));
    EXPECT_GT(read, 0);
    EXPECT_LT(read, 200 * 4096);
    EXPECT_EQ(read % 4096, 0);
    EXPECT_EQ(v.at("locations.1.path"), Q(later.path()));
    EXPECT_EQ(v.at("locations.1.outcome"), Q("stopped"));
    EXPECT_EQ(v.at("locations.1.label"), "null");
    EXPECT_EQ(v.at("locations.1.bytes_read"), "0");
}

// The numbers of a list of pairs, in order: "[[1.5, 2.0], ...]" flattened, or an SVG
// polyline's "1.500,2.000 ...".
std::vector<double> ProfileNumbers(const Flat& v, const std::string& key) {
    std::vector<double> numbers;
    const size_t count = std::stoul(v.at(key + "#"));
    for (size_t i = 0; i < count; ++i) {
        for (const char* half : {".0", ".1"})
            numbers.push_back(std::stod(v.at(key + "." + std::to_string(i) + half)));
    }
    return numbers;
}

std::vector<double> PolylineNumbers(const std::string& svg) {
    std::smatch m;
    EXPECT_TRUE(std::regex_search(svg, m, std::regex("class=\"speed\"[^>]*points=\"([^\"]*)\"")));
    std::string points = m.size() > 1 ? m[1].str() : std::string();
    std::replace(points.begin(), points.end(), ',', ' ');
    std::istringstream in(points);
    std::vector<double> numbers;
    for (double x; in >> x;) numbers.push_back(x);
    return numbers;
}

TEST_F(CheckJson, FlagsTheFileWhoseReadsAreDelayedAndDrawsTheProfile) {
    // A healthy tree of mixed sizes; one small file among them is made slow.
    const int64_t sizes[] = {0, 100, 3000, 40000, 200000};
    for (int i = 0; i < 1000; ++i) {
        fs.AddFile("d" + std::to_string(i % 10) + "/f" + std::to_string(i) + ".bin",
                   Pattern(sizes[i % 5], i));
    }
    const std::string slowPath = "/d7/f77.bin";  // 3000 bytes
    const std::string xmllint = vorlaxis::platform::FindProgram("xmllint");
    ASSERT_FALSE(xmllint.empty()) << "xmllint is needed to check the graph";
    for (const bool delayed : {false, true}) {
        SCOPED_TRACE(delayed ? "one file delayed" : "healthy");
        fs.SetFaults(delayed ? "delay 600 " + slowPath + "\n" : "");
        const std::string graph = tmp.path() + "graph.svg";
        const ProgramResult r =
            RunProgram({VORLAXIS_CHECK_EXE, "--json", json(), "--graph", graph, fs.root()},
                       {"TMPDIR=" + tmp.path()});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Flat v = ParsedByPython(json());
        ASSERT_EQ(v.at("locations.0.slow#"), delayed ? "1" : "0");
        std::string svg;
        ASSERT_TRUE(vorlaxis::platform::ReadWholeFile(graph, svg));
        if (delayed) {
            const std::string path = fs.root() + slowPath.substr(1);
            EXPECT_EQ(v.at("locations.0.slow.0.path"), Q(path));
            EXPECT_GT(std::stod(v.at("locations.0.slow.0.mb_per_s")), 0.0);
            EXPECT_NE(svg.find("<title>" + path + " ("), std::string::npos);
        }
        EXPECT_EQ(RunProgram({xmllint, "--noout", graph}).exitCode, 0) << svg;
        const std::vector<double> profile = ProfileNumbers(v, "locations.0.speed_profile");
        const std::vector<double> drawn = PolylineNumbers(svg);
        ASSERT_EQ(drawn.size(), profile.size());
        EXPECT_LE(profile.size(), 2u * 300);
        for (size_t i = 0; i < drawn.size(); ++i) EXPECT_NEAR(drawn[i], profile[i], 0.0005) << i;
    }
}

TEST_F(CheckJson, StandardOutputCarriesOnlyTheResult) {
    fs.AddFile("a", "abc");
    const ProgramResult r =
        RunProgram({VORLAXIS_CHECK_EXE, "--json", "-", fs.root()}, {"TMPDIR=" + tmp.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string file = tmp.file("out.json", r.out);
    const Flat v = ParsedByPython(file);
    ExpectShape(v, 1, 0);
    EXPECT_EQ(v.at("locations.0.checksum"), Q("0126"));
}

// No medium needed: unreadable entries are dangling links whose names a hostile medium could
// carry, in a location whose own name is hostile.
TEST(CheckJsonNames, EveryNameSurvivesAStrictParser) {
    TempDir tmp;
    const std::string location = tmp.path() + "loc \x1b[2J\xff\"\\";
    const std::string shown = tmp.path() + "loc \x1b[2J\xef\xbf\xbd\"\\/";
    std::filesystem::create_directory(location);
    const std::vector<std::pair<std::string, std::string>> names = {
        // name on the medium -> the text a script gets
        {"quote\"back\\slash", "quote\"back\\slash"},
        {"esc\x1b[31mred", "esc\x1b[31mred"},
        {"line\nbreak\rtab\t", "line\nbreak\rtab\t"},
        {"bell\x07"
         "del\x7f",
         "bell\x07"
         "del\x7f"},
        {"csi\xc2\x9b"
         "c1",
         "csi\xc2\x9b"
         "c1"},
        {"sep\xe2\x80\xa8par\xe2\x80\xa9", "sep\xe2\x80\xa8par\xe2\x80\xa9"},
        {"latin1-caf\xe9", "latin1-caf\xef\xbf\xbd"},
        {"cut\xc3", "cut\xef\xbf\xbd"},
        {"overlong\xc0\xaf", "overlong\xef\xbf\xbd\xef\xbf\xbd"},
        {"surrogate\xed\xa0\x80", "surrogate\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
        {"\xc4\x8d\xf0\x9f\x98\x80 ok", "\xc4\x8d\xf0\x9f\x98\x80 ok"},
    };
    std::set<std::string> expected;
    for (const auto& [name, text] : names) {
        std::filesystem::create_symlink(tmp.path() + "gone", location + "/" + name);
        expected.insert(Q(shown + text));
    }
    const std::string json = tmp.path() + "result.json";
    const ProgramResult r =
        RunProgram({VORLAXIS_CHECK_EXE, "--json", json, location}, {"TMPDIR=" + tmp.path()});
    ASSERT_EQ(r.exitCode, 1) << r.err;
    const Flat v = ParsedByPython(json);
    ExpectShape(v, 1, 1);
    EXPECT_EQ(v.at("locations.0.path"), Q(shown));
    ASSERT_EQ(v.at("locations.0.unreadable#"), std::to_string(names.size()));
    std::set<std::string> got;
    for (size_t i = 0; i < names.size(); ++i) {
        got.insert(v.at("locations.0.unreadable." + std::to_string(i)));
    }
    EXPECT_EQ(got, expected);
}

// Each unreadable file is a mark in the graph titled with its name: the picture must stay
// well-formed XML whatever the name holds.
TEST(CheckGraphNames, EveryNameLeavesTheGraphWellFormed) {
    const std::string xmllint = vorlaxis::platform::FindProgram("xmllint");
    ASSERT_FALSE(xmllint.empty()) << "xmllint is needed to check the graph";
    TempDir tmp;
    const std::string location = tmp.path() + "a&b<c>\"d'/";
    std::filesystem::create_directory(location);
    const char* names[] = {"amp&lt;",
                           "<tag>",
                           "quote\"apos'",
                           "nonchar\xef\xbf\xbe\xef\xbf\xbf",
                           "surrogate\xed\xa0\x80",
                           "overlong\xc0\xaf\xe0\x80\xaf",
                           "invalid\xff\xfe",
                           "controls\x01\x1b\x7f\xc2\x85",
                           "]]>cdata"};
    for (const char* name : names) {
        std::filesystem::create_symlink(tmp.path() + "gone", location + name);
    }
    const std::string graph = tmp.path() + "graph.svg";
    const ProgramResult r =
        RunProgram({VORLAXIS_CHECK_EXE, "--graph", graph, location}, {"TMPDIR=" + tmp.path()});
    ASSERT_EQ(r.exitCode, 1) << r.err;
    std::string svg;
    ASSERT_TRUE(vorlaxis::platform::ReadWholeFile(graph, svg));
    const ProgramResult lint = RunProgram({xmllint, "--noout", graph});
    EXPECT_EQ(lint.exitCode, 0) << lint.err << svg;
    size_t titles = 0;
    for (size_t at = svg.find("<title>"); at != std::string::npos; at = svg.find("<title>", at + 1))
        ++titles;
    EXPECT_EQ(titles, std::size(names));
}

TEST(CheckJsonFile, ResultThatCannotBeWrittenIsRefusedBeforeAnyTest) {
    TempDir tmp;
    const ProgramResult r =
        RunProgram({VORLAXIS_CHECK_EXE, "--json", tmp.path() + "missing/result.json", tmp.path()},
                   {"TMPDIR=" + tmp.path()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("cannot write the JSON result"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");  // no log: nothing was tested
}

TEST(CheckGraphFiles, EachOfSeveralLocationsGetsItsNumberedGraph) {
    TempDir tmp;
    const std::string a = tmp.path() + "a", b = tmp.path() + "b";
    std::filesystem::create_directory(a);
    std::filesystem::create_directory(b);
    tmp.file("a/x", "abc");
    const ProgramResult r = RunProgram(
        {VORLAXIS_CHECK_EXE, "--graph", tmp.path() + "speed.svg", a, b}, {"TMPDIR=" + tmp.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(tmp.path() + "speed-1.svg"));
    EXPECT_TRUE(std::filesystem::is_regular_file(tmp.path() + "speed-2.svg"));
    EXPECT_FALSE(std::filesystem::exists(tmp.path() + "speed.svg"));
}
