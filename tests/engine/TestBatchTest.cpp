// The start command's batch: which entries of the location list are tested, in which form.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "engine/TestBatch.h"
#include "media/LocationList.h"
#include "platform/Files.h"

namespace vorlaxis {
namespace {

TEST(TestBatch, TickedExistingFoldersInListOrderEachEndingInTheSeparator) {
    test::TempDir temp;
    const std::string sep(1, platform::PathSeparator());
    temp.file("b" + sep + "x.txt", "x");
    temp.file("a" + sep + "y.txt", "y");
    temp.file("c" + sep + "z.txt", "z");
    const struct {
        std::string path;
        bool ticked;
    } entries[] = {{temp.path() + "b", true},                   // ticked: tested, separator added
                   {temp.path() + "a" + sep, true},             // already ends in it: unchanged
                   {temp.path() + "c", false},                  // not ticked
                   {temp.path() + "missing", true},             // no such folder: passed over
                   {temp.path() + "b" + sep + "x.txt", true}};  // a file, not a folder
    LocationList list;
    for (const auto& entry : entries) list.SetTicked(list.Add(entry.path), entry.ticked);
    EXPECT_EQ(CollectBatch(list),
              (std::vector<std::string>{temp.path() + "a" + sep, temp.path() + "b" + sep}));
    EXPECT_TRUE(CollectBatch(LocationList()).empty());
}

}  // namespace
}  // namespace vorlaxis
