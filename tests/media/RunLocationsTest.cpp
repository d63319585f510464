#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "media/RunLocations.h"

using vorlaxis::LocationList;
using vorlaxis::PathStyle;
using vorlaxis::RunLocations;
using vorlaxis::WindowCommandLine;

namespace {

// The list as "text" entries, a ticked one marked with "+".
std::string Shown(const LocationList& list) {
    std::string result;
    for (const auto& entry : list.Entries()) {
        result +=
            (result.empty() ? "" : " | ") + std::string(entry.Checked ? "+" : "") + entry.Path;
    }
    return result;
}

LocationList Read(const std::vector<std::pair<std::string, bool>>& entries) {
    LocationList list;
    for (const auto& [path, ticked] : entries) list.SetTicked(list.Add(path), ticked);
    return list;
}

}  // namespace

TEST(RunLocations, FullPathOfWhatIsGiven) {
    struct Case {
        PathStyle style;
        const char* given;
        const char* current;
        const char* full;
    };
    const Case cases[] = {
        {PathStyle::Posix, "/media/cdrom", "/home/u", "/media/cdrom"},
        {PathStyle::Posix, "/media/cdrom/", "/home/u", "/media/cdrom"},
        {PathStyle::Posix, "/", "/home/u", "/"},
        {PathStyle::Posix, ".", "/home/u", "/home/u"},
        {PathStyle::Posix, "../v//data/./x/", "/home/u", "/home/v/data/x"},
        {PathStyle::Posix, "C:\\", "/home/u", "/home/u/C:\\"},
        {PathStyle::Windows, "D:\\", "C:\\Users", "D:\\"},
        {PathStyle::Windows, "D:", "C:\\Users", "D:\\"},
        {PathStyle::Windows, "d:/Data/", "C:\\Users", "d:\\Data"},
        {PathStyle::Windows, "Fotky", "C:\\Users\\Eva", "C:\\Users\\Eva\\Fotky"},
        {PathStyle::Windows, "..\\Petr", "C:\\Users\\Eva\\", "C:\\Users\\Petr"},
        {PathStyle::Windows, "\\Data", "E:\\x", "E:\\Data"},
        {PathStyle::Windows, "\\\\nas\\foto\\2020\\", "C:\\", "\\\\nas\\foto\\2020"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(vorlaxis::FullLocationPath(c.given, c.current, c.style), c.full);
    }
}

TEST(RunLocations, SameLocationIgnoresOnlyWhatTheSystemIgnores) {
    struct Case {
        PathStyle style;
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {PathStyle::Posix, "/media/cdrom", "/media/cdrom/", true},
        {PathStyle::Posix, "/media/CDROM", "/media/cdrom", false},
        {PathStyle::Windows, "d:\\data", "D:\\Data\\", true},
        {PathStyle::Windows, "D:/Data", "D:\\Data", true},
        {PathStyle::Windows, "D:\\", "D:", true},
        {PathStyle::Windows, "D:\\Data", "D:\\Data2", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " ~ " + c.b);
        EXPECT_EQ(vorlaxis::SameLocation(c.a, c.b, c.style), c.same);
    }
}

// What the list shows after the start, and what is saved when the user leaves it alone.
TEST(RunLocations, NamedLocationsAreAddedTickedAloneAndNotSaved) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, bool>> read;
        std::vector<std::string> given;
        const char* shown;
    };
    const Case cases[] = {
        {"nothing given: the list as read", {{"C:\\", true}, {"E:\\", false}}, {}, "+C:\\ | E:\\"},
        {"a missing drive is added at its place",
         {{"C:\\", true}, {"E:\\", false}},
         {"D:\\"},
         "C:\\ | +D:\\ | E:\\"},
        {"one present is ticked, not added again",
         {{"C:\\", true}, {"e:\\data\\", false}},
         {"E:\\Data"},
         "C:\\ | +e:\\data\\"},
        {"several, a drive letter alone among them",
         {{"C:\\Fotky", false}},
         {"D:", "C:\\Fotky", "Hudba"},
         "+C:\\Fotky | +C:\\Work\\Hudba | +D:\\"},
        {"duplicates in the list are all ticked",
         {{"D:\\", false}, {"d:\\", false}, {"C:\\", true}},
         {"D:\\"},
         "C:\\ | +D:\\ | +d:\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LocationList list = Read(c.read);
        RunLocations run(c.given, "C:\\Work", PathStyle::Windows);
        run.Apply(list);
        EXPECT_EQ(Shown(list), c.shown);
        EXPECT_EQ(Shown(run.ListToSave(list)), Shown(Read(c.read)));
    }
}

TEST(RunLocations, TheListIsSavedOnceTheUserChangesIt) {
    const auto tick = [](LocationList& list) { list.SetTicked(0, !list.IsTicked(0)); };
    const auto add = [](LocationList& list) { list.Add("F:\\"); };
    const auto remove = [](LocationList& list) { list.Remove(1); };
    const auto edit = [](LocationList& list) { list.Replace(0, "G:\\"); };
    for (const auto& change : {+tick, +add, +remove, +edit}) {
        LocationList list = Read({{"C:\\", true}});
        RunLocations run({"D:\\"}, "C:\\", PathStyle::Windows);
        run.Apply(list);
        list.SetSelected(0);  // selecting is no change
        EXPECT_EQ(Shown(run.ListToSave(list)), "+C:\\");
        change(list);
        EXPECT_EQ(Shown(run.ListToSave(list)), Shown(list));
    }
}

TEST(WindowCommandLine, Parse) {
    using Action = WindowCommandLine::Action;
    struct Case {
        std::vector<std::string> args;
        Action action;
        std::vector<std::string> locations;
    };
    const Case cases[] = {
        {{}, Action::Run, {}},
        {{"/media/cdrom", "D:\\"}, Action::Run, {"/media/cdrom", "D:\\"}},
        {{"--help"}, Action::Help, {}},
        {{"-h", "--version"}, Action::Help, {}},
        {{"/data", "--version"}, Action::Version, {"/data"}},
        {{"-x"}, Action::BadUsage, {}},
        {{"--", "-x", "--help"}, Action::Run, {"-x", "--help"}},
        {{"-"}, Action::Run, {"-"}},
    };
    for (const Case& c : cases) {
        const WindowCommandLine line = vorlaxis::ParseWindowCommandLine(c.args);
        EXPECT_EQ(line.action, c.action) << ::testing::PrintToString(c.args);
        EXPECT_EQ(line.locations, c.locations) << ::testing::PrintToString(c.args);
    }
    EXPECT_EQ(vorlaxis::ParseWindowCommandLine({"--bad"}).error,
              "vorlaxis: neznámý přepínač \u201E--bad\u201C (nápovědu vypíše vorlaxis --help)\n");
    EXPECT_NE(std::string(vorlaxis::NoDisplayText()).find("vorlaxis-check"), std::string::npos);
}
