#include "engine/ReadMode.h"

#include <optional>

namespace vorlaxis {

namespace {

// The block mode an interval of the options names; none for "nothing chosen".
std::optional<ReadMode> BlockMode(int32_t interval) {
    switch (interval) {
        case EveryFourthBlock:
            return OneBlockIn4;
        case EveryEighthBlock:
            return OneBlockIn8;
        case EverySixteenthBlock:
            return OneBlockIn16;
        default:
            return std::nullopt;
    }
}

struct ModeTexts {
    const char* display;
    const char* log;
};

ModeTexts TextsOf(ReadMode mode) {
    switch (mode) {
        case OnlyOpen:
            return {"otevírání souborů", "(pouze otevírání souborů)"};
        case AllBlocks:
            return {"čtení všech dat", "(čtení všech dat z média)"};
        case OneBlockIn4:
            return {"čtení každého 4. bloku", "(čtení každého 4. bloku)"};
        case OneBlockIn8:
            return {"čtení každého 8. bloku", "(čtení každého 8. bloku)"};
        case OneBlockIn16:
            return {"čtení každého 16. bloku", "(čtení každého 16. bloku)"};
    }
    return {"", ""};
}

}  // namespace

ReadMode DetermineReadMode(const TestSettings& settings, ReadModeOverride readModeOverride,
                           ReadMode previous) {
    ReadMode mode = previous;
    const std::optional<ReadMode> blocks = BlockMode(settings.ReadEveryXthBlock);
    if (blocks) mode = *blocks;
    if (settings.DataReadStyle == ReadAllData) mode = AllBlocks;
    if (settings.DataReadStyle == OpenFilesOnly) mode = OnlyOpen;
    if (readModeOverride == ForceAllData) mode = AllBlocks;
    if (readModeOverride == ForceBlocks && blocks) mode = *blocks;
    if (readModeOverride == ForceOpenOnly) mode = OnlyOpen;
    return mode;
}

const char* ReadModeDisplayText(ReadMode mode) {
    return TextsOf(mode).display;
}

const char* ReadModeLogText(ReadMode mode) {
    return TextsOf(mode).log;
}

int32_t BlockBytes(int32_t blockSizeKb) {
    return PullBlockSize(blockSizeKb) * 1024;
}

}  // namespace vorlaxis
