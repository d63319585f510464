// Nasty settings files, kept from fuzzing and by hand: each must read without harm, write back
// without losing anything, and read back the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "SettingsTestSupport.h"
#include "TempDir.h"
#include "fuzz/IniChecks.h"

namespace fs = std::filesystem;

TEST(SettingsCorpus, EveryKeptFileHoldsEveryProperty) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(VORLAXIS_SETTINGS_CORPUS)) {
        files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    ASSERT_GE(files.size(), 20u);
    for (const fs::path& file : files) {
        vorlaxis::test::TempDir dir;
        const std::string content = vorlaxis::test::ReadBack(file.string());
        EXPECT_EQ(vorlaxis::test::CheckSettingsContent(content, dir.path()), "") << file;
    }
}

TEST(SettingsCorpus, HugeInputsHoldEveryProperty) {
    std::string garbage(1 << 18, '\0');
    uint32_t state = 12345;
    for (char& c : garbage) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    const std::string longLine =
        "[Application]\nXpos=3\n" + std::string(1 << 20, 'L') + "\n[Paths]\nPath0=/after\n";
    const std::string longValue = "[Paths]\nPath0=/" + std::string(100000, 'v') + "\n";
    for (const std::string& content : {garbage, longLine, longValue}) {
        vorlaxis::test::TempDir dir;
        EXPECT_EQ(vorlaxis::test::CheckSettingsContent(content, dir.path()), "");
    }
}
