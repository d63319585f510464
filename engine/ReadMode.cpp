#include "engine/ReadMode.h"

namespace vorlaxis {

namespace {

// ReadEveryXthBlock 1, 2, 3 stands for every 4th, 8th, 16th block; 0 for anything else.
ReadModeValue BlockStep(int32_t code) {
    switch (code) {
        case 1:
            return 4;
        case 2:
            return 8;
        case 3:
            return 16;
        default:
            return 0;
    }
}

}  // namespace

ReadModeValue DetermineReadMode(const TestSettings& settings, int32_t readModeOverride,
                                ReadModeValue previous) {
    ReadModeValue mode = previous;
    const ReadModeValue step = BlockStep(settings.ReadEveryXthBlock);
    if (step != 0) mode = step;
    if (settings.DataReadStyle == 1) mode = 1;
    if (settings.DataReadStyle == 3) mode = 0;
    if (readModeOverride == 1) mode = 1;
    if (readModeOverride == 2 && step != 0) mode = step;
    if (readModeOverride == 3) mode = 0;
    return mode;
}

const char* ReadModeDisplayText(ReadModeValue mode) {
    switch (mode) {
        case 0:
            return "otevírání souborů";
        case 1:
            return "čtení všech dat";
        case 4:
            return "čtení každého 4. bloku";
        case 8:
            return "čtení každého 8. bloku";
        case 16:
            return "čtení každého 16. bloku";
        default:
            return "";
    }
}

const char* ReadModeLogText(ReadModeValue mode) {
    switch (mode) {
        case 0:
            return "(pouze otevírání souborů)";
        case 1:
            return "(čtení všech dat z média)";
        case 4:
            return "(čtení každého 4. bloku)";
        case 8:
            return "(čtení každého 8. bloku)";
        case 16:
            return "(čtení každého 16. bloku)";
        default:
            return "";
    }
}

int32_t BlockBytes(int32_t blockSizeKb) {
    if (blockSizeKb < 4) blockSizeKb = 4;
    if (blockSizeKb > 48) blockSizeKb = 48;
    return blockSizeKb * 1024;
}

}  // namespace vorlaxis
