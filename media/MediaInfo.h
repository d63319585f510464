// The medium behind a location: its label and serial text, and the eject request.
#pragma once

#include <cstdint>
#include <string>

#include "core/BlockingCalls.h"

namespace vorlaxis {

// The lowest `width` hexadecimal digits of `value`, upper case, padded with "0"; positions
// above the eighth digit are "0".
std::string NumToHex(uint32_t value, uint8_t width);

// The volume label and the 8-digit serial text of the file system that holds `path`. Both
// outputs are always overwritten.
void GetCDInfo(BlockingCalls& calls, const std::string& path, std::string& volumeSerial,
               std::string& volumeLabel);

// Whether a location is ejected after its test: the option is on and the location is not a
// network path (beginning with two separators).
bool ShouldEject(const std::string& location, bool ejectAfterTest);

// Asks the drive that holds `location` to eject; only a removable or optical drive acts on it.
// Nothing is reported.
void EjectMedia(BlockingCalls& calls, const std::string& location);

}  // namespace vorlaxis
