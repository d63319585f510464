// The media checksum: a plain byte sum modulo 65536.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorlaxis {

// `sum` plus the value of every byte of `data`, modulo 65536, the widest way this processor
// offers.
uint16_t AddToChecksum(uint16_t sum, const unsigned char* data, size_t count);

// The same on any processor of the build's architecture (what AddToChecksum() falls back to).
uint16_t AddToChecksumPortable(uint16_t sum, const unsigned char* data, size_t count);

}  // namespace vorlaxis
