#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/LocationList.h"

using vorlaxis::LocationList;

namespace {

std::string Texts(const LocationList& list) {
    std::string result;
    for (const auto& entry : list.Entries()) result += (result.empty() ? "" : " | ") + entry.Path;
    return result;
}

}  // namespace

TEST(LocationList, AddsAtTheSortedPlaceUntickedAndKeepsTheSelection) {
    LocationList list;
    EXPECT_EQ(list.Add("C:\\"), 0);
    EXPECT_EQ(list.Add("A:\\"), 0);
    list.SetTicked(1, true);
    list.SetSelected(1);  // C:\ selected
    EXPECT_EQ(list.Add("B:\\"), 1);
    EXPECT_EQ(Texts(list), "A:\\ | B:\\ | C:\\");
    EXPECT_FALSE(list.IsTicked(1));
    EXPECT_TRUE(list.IsTicked(2));
    EXPECT_EQ(list.Selected(), 2);
    EXPECT_EQ(list.Text(list.Selected()), "C:\\");
    list.Add("D:\\");  // after the selection: it stays where it is
    EXPECT_EQ(list.Selected(), 2);
}

TEST(LocationList, OrderIgnoresCaseAndKeepsDuplicates) {
    LocationList list;
    list.Add("e:\\");
    list.Add("b:\\");
    list.Add("c:\\data");
    list.Add("C:\\Data");
    list.Add("D:\\");
    list.Add("C:\\Data");
    EXPECT_EQ(Texts(list), "b:\\ | c:\\data | C:\\Data | C:\\Data | D:\\ | e:\\");
}

TEST(LocationList, ReplaceKeepsPlaceTickAndSelection) {
    LocationList list;
    list.Add("A:\\");
    list.Add("C:\\");
    list.SetTicked(0, true);
    list.SetSelected(0);
    list.Replace(0, "Z:\\");
    EXPECT_EQ(Texts(list), "Z:\\ | C:\\");  // not re-sorted
    EXPECT_TRUE(list.IsTicked(0));
    EXPECT_EQ(list.Selected(), 0);
    // The next addition is placed by comparison with what stands there now.
    list.Add("B:\\");
    EXPECT_EQ(Texts(list), "B:\\ | Z:\\ | C:\\");
}

TEST(LocationList, RemoveAndClearMoveOrDropTheSelection) {
    LocationList list;
    for (const char* p : {"a", "b", "c", "d"}) list.Add(p);
    list.SetSelected(2);  // c
    list.Remove(1);       // b, right before the selection
    EXPECT_EQ(list.Selected(), 1);
    EXPECT_EQ(list.Text(1), "c");
    list.Remove(2);  // d, after the selection
    EXPECT_EQ(list.Selected(), 1);
    list.Remove(1);  // the selected entry itself
    EXPECT_EQ(list.Selected(), LocationList::kNone);
    EXPECT_EQ(Texts(list), "a");
    list.SetSelected(0);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Selected(), LocationList::kNone);
    list.SetSelected(5);  // outside the list: nothing selected
    EXPECT_EQ(list.Selected(), LocationList::kNone);
}

TEST(LocationList, KeepsTextsExactlyAsEntered) {
    LocationList list;
    for (const char* p : {"", " D:\\ ", "/média/ČTENÍ/", "x\\", "\"q\""}) list.Add(p);
    EXPECT_EQ(list.Count(), 5);
    int found = 0;
    for (const auto& entry : list.Entries()) {
        for (const char* p : {"", " D:\\ ", "/média/ČTENÍ/", "x\\", "\"q\""})
            found += entry.Path == p;
    }
    EXPECT_EQ(found, 5);
}

TEST(LocationList, AddingManyAtOnceOrdersLikeAddingOneByOne) {
    const std::vector<std::string> existing = {"b", "D", "d", "x"};
    const std::vector<std::pair<std::string, bool>> added = {
        {"d", true}, {"A", false}, {"B", true}, {"z", false}, {"a", true}, {"D", false}};
    LocationList oneByOne;
    LocationList atOnce;
    for (const std::string& p : existing) {
        oneByOne.Add(p);
        atOnce.Add(p);
    }
    oneByOne.SetSelected(2);  // the second "d"
    atOnce.SetSelected(2);
    std::vector<vorlaxis::TestLocation> batch;
    for (const auto& [path, ticked] : added) {
        oneByOne.SetTicked(oneByOne.Add(path), ticked);
        batch.push_back({path, ticked});
    }
    atOnce.AddAll(batch);
    ASSERT_EQ(atOnce.Count(), oneByOne.Count());
    for (int i = 0; i < atOnce.Count(); ++i) {
        EXPECT_EQ(atOnce.Text(i), oneByOne.Text(i)) << i;
        EXPECT_EQ(atOnce.IsTicked(i), oneByOne.IsTicked(i)) << i;
    }
    EXPECT_EQ(atOnce.Selected(), oneByOne.Selected());
    EXPECT_EQ(Texts(atOnce), "A | a | b | B | D | d | d | D | x | z");
}
