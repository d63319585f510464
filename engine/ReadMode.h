// Which read mode a run uses, and the texts that name it on the window and in the log.
#pragma once

#include <cstdint>

#include "engine/TestStatistics.h"
#include "settings/TestSettings.h"

namespace vorlaxis {

// The start commands beside the plain one force a read style for their batch.
enum ReadModeOverride : int32_t {
    AsTheOptionsSay = 0,
    ForceAllData = 1,
    ForceBlocks = 2,
    ForceOpenOnly = 3
};

// The options' interval sets the mode, their style then overrides it, the start command's
// override last; when nothing applies the previous run's mode stays. Forcing blocks without
// an interval in the options changes nothing.
ReadMode DetermineReadMode(const TestSettings& settings, ReadModeOverride readModeOverride,
                           ReadMode previous);

// "čtení všech dat", ...; empty for a value outside the modes.
const char* ReadModeDisplayText(ReadMode mode);
// "(čtení všech dat z média)", ...
const char* ReadModeLogText(ReadMode mode);

// BlockSize in kB pulled into 4..48, times 1024.
int32_t BlockBytes(int32_t blockSizeKb);

}  // namespace vorlaxis
