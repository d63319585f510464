// What the settings tests share: a window that records how it is placed, and short texts for
// comparing records and lists.
#pragma once

#include <string>
#include <vector>

#include "media/LocationList.h"
#include "platform/Files.h"
#include "settings/SettingsFile.h"

namespace vorlaxis::test {

class RecordingWindow : public WindowPlacement {
  public:
    int32_t Left() const override { return leftEdge; }
    int32_t Top() const override { return topEdge; }
    void SetTop(int32_t top) override {
        topEdge = top;
        calls.push_back("top " + std::to_string(top));
    }
    void SetLeft(int32_t left) override {
        leftEdge = left;
        calls.push_back("left " + std::to_string(left));
    }

    int32_t leftEdge = 0;
    int32_t topEdge = 0;
    std::vector<std::string> calls;
};

// "[x] ticked | unticked" in list order.
inline std::string Entries(const LocationList& list) {
    std::string result;
    for (const TestLocation& entry : list.Entries()) {
        if (!result.empty()) result += " | ";
        result += (entry.Checked ? "[x] " : "") + entry.Path;
    }
    return result;
}

inline std::string ReadBack(const std::string& path) {
    std::string content;
    platform::ReadWholeFile(path, content);
    return content;
}

}  // namespace vorlaxis::test
