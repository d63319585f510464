#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/LocationList.h"

using vorlaxis::LocationList;

namespace {

std::string Texts(const LocationList& list) {
    std::string result;
    for (const auto& entry : list.entries()) result += (result.empty() ? "" : " | ") + entry.Path;
    return result;
}

}  // namespace

TEST(LocationList, AddsAtTheSortedPlaceUntickedAndKeepsTheSelection) {
    LocationList list;
    EXPECT_EQ(list.add("C:\\"), 0);
    EXPECT_EQ(list.add("A:\\"), 0);
    list.setTicked(1, true);
    list.setSelected(1);  // C:\ selected
    EXPECT_EQ(list.add("B:\\"), 1);
    EXPECT_EQ(Texts(list), "A:\\ | B:\\ | C:\\");
    EXPECT_FALSE(list.isTicked(1));
    EXPECT_TRUE(list.isTicked(2));
    EXPECT_EQ(list.selected(), 2);
    EXPECT_EQ(list.text(list.selected()), "C:\\");
    list.add("D:\\");  // after the selection: it stays where it is
    EXPECT_EQ(list.selected(), 2);
}

TEST(LocationList, OrderIgnoresCaseAndKeepsDuplicates) {
    LocationList list;
    list.add("e:\\");
    list.add("b:\\");
    list.add("c:\\data");
    list.add("C:\\Data");
    list.add("D:\\");
    list.add("C:\\Data");
    EXPECT_EQ(Texts(list), "b:\\ | c:\\data | C:\\Data | C:\\Data | D:\\ | e:\\");
}

TEST(LocationList, ReplaceKeepsPlaceTickAndSelection) {
    LocationList list;
    list.add("A:\\");
    list.add("C:\\");
    list.setTicked(0, true);
    list.setSelected(0);
    list.replace(0, "Z:\\");
    EXPECT_EQ(Texts(list), "Z:\\ | C:\\");  // not re-sorted
    EXPECT_TRUE(list.isTicked(0));
    EXPECT_EQ(list.selected(), 0);
    // The next addition is placed by comparison with what stands there now.
    list.add("B:\\");
    EXPECT_EQ(Texts(list), "B:\\ | Z:\\ | C:\\");
}

TEST(LocationList, RemoveAndClearMoveOrDropTheSelection) {
    LocationList list;
    for (const char* p : {"a", "b", "c", "d"}) list.add(p);
    list.setSelected(2);  // c
    list.remove(0);
    EXPECT_EQ(list.selected(), 1);
    EXPECT_EQ(list.text(1), "c");
    list.remove(2);  // d, after the selection
    EXPECT_EQ(list.selected(), 1);
    list.remove(1);  // the selected entry itself
    EXPECT_EQ(list.selected(), LocationList::kNone);
    EXPECT_EQ(Texts(list), "b");
    list.setSelected(0);
    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.selected(), LocationList::kNone);
    list.setSelected(5);  // outside the list: nothing selected
    EXPECT_EQ(list.selected(), LocationList::kNone);
}

TEST(LocationList, KeepsTextsExactlyAsEntered) {
    LocationList list;
    for (const char* p : {"", " D:\\ ", "/média/ČTENÍ/", "x\\", "\"q\""}) list.add(p);
    EXPECT_EQ(list.count(), 5);
    int found = 0;
    for (const auto& entry : list.entries()) {
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
        oneByOne.add(p);
        atOnce.add(p);
    }
    oneByOne.setSelected(2);  // the second "d"
    atOnce.setSelected(2);
    std::vector<vorlaxis::TestLocation> batch;
    for (const auto& [path, ticked] : added) {
        oneByOne.setTicked(oneByOne.add(path), ticked);
        batch.push_back({path, ticked});
    }
    atOnce.addAll(batch);
    ASSERT_EQ(atOnce.count(), oneByOne.count());
    for (int i = 0; i < atOnce.count(); ++i) {
        EXPECT_EQ(atOnce.text(i), oneByOne.text(i)) << i;
        EXPECT_EQ(atOnce.isTicked(i), oneByOne.isTicked(i)) << i;
    }
    EXPECT_EQ(atOnce.selected(), oneByOne.selected());
    EXPECT_EQ(Texts(atOnce), "A | a | b | B | D | d | d | D | x | z");
}
