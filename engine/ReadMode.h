// Which read mode a run uses, and the texts that name it on the window and in the log.
#pragma once

#include <cstdint>

#include "engine/TestStatistics.h"
#include "settings/TestSettings.h"

namespace vorlaxis {

// The mode table: rows checked in order, later rows winning; when no row applies the previous
// run's mode stays.
ReadModeValue DetermineReadMode(const TestSettings& settings, int32_t readModeOverride,
                                ReadModeValue previous);

// "čtení všech dat", ...; empty for a value outside 0, 1, 4, 8, 16.
const char* ReadModeDisplayText(ReadModeValue mode);
// "(čtení všech dat z média)", ...
const char* ReadModeLogText(ReadModeValue mode);

// BlockSize in kB pulled into 4..48, times 1024.
int32_t BlockBytes(int32_t blockSizeKb);

}  // namespace vorlaxis
