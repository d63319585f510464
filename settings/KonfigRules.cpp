#include "settings/KonfigRules.h"

#include <charconv>

namespace vorlaxis {

KonfigEnabling KonfigEnablingFor(bool blockReadingChosen, bool showLogTicked) {
    return {blockReadingChosen, showLogTicked, !showLogTicked};
}

int32_t StepBlockSize(int32_t value, int steps) {
    return PullBlockSize(PullBlockSize(value) + steps * kBlockSizeStep);
}

int32_t BlockSizeFromText(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    const size_t last = text.find_last_not_of(' ');
    if (first == std::string::npos) return kMinBlockSize;
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    if (*begin == '+') ++begin;
    int32_t value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    return error == std::errc() && stop == end && begin != end ? value : kMinBlockSize;
}

bool BlockSizeAccepts(char32_t c, char32_t decimalSeparator) {
    return (c >= U'0' && c <= U'9') || c == U'+' || c == U'-' || c == decimalSeparator;
}

void KonfigOk(TestSettings& settings, const std::string& blockSizeText,
              const KonfigActions& actions) {
    settings.BlockSize = PullBlockSize(BlockSizeFromText(blockSizeText));
    if (actions.writeINIs) actions.writeINIs();
}

void KonfigStorno(const KonfigActions& actions) {
    if (actions.readINIs) actions.readINIs();
}

}  // namespace vorlaxis
