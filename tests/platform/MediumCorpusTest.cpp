// The kept inputs of the medium fuzz targets: every one (seeds from real images and the faults
// fuzzing found) keeps every property, and the seeds are still recognised as what they are.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "VolumeImages.h"
#include "fuzz/MediumChecks.h"

namespace fs = std::filesystem;
using namespace vorlaxis::test;

TEST(MediumCorpus, EveryKeptInputHoldsEveryProperty) {
    struct Family {
        const char* folder;
        std::function<std::string(std::string_view, std::string*)> check;
    };
    const Family families[] = {
        {"optical", CheckOpticalInput},
        {"disk", CheckDiskInput},
        {"names", [](std::string_view input, std::string*) { return CheckNameInput(input); }},
        {"lists", [](std::string_view input, std::string*) { return CheckListInput(input); }},
    };
    for (const Family& family : families) {
        std::vector<fs::path> files;
        for (const auto& entry :
             fs::directory_iterator(fs::path(VORLAXIS_FUZZ_CORPUS) / family.folder)) {
            files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        EXPECT_GE(files.size(), 5u) << family.folder;
        for (const fs::path& file : files) {
            std::string found;
            EXPECT_EQ(family.check(ReadWhole(file.string()), &found), "") << file;
            if (file.filename().string().rfind("image-", 0) == 0) {
                EXPECT_NE(found, "") << file << " is no longer recognised";
            }
        }
    }
}
