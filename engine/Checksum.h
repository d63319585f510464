// The media checksum: a plain byte sum modulo 65536.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorlaxis {

// `sum` plus the value of every byte of `data`, modulo 65536.
uint16_t AddToChecksum(uint16_t sum, const unsigned char* data, size_t count);

}  // namespace vorlaxis
