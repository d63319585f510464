// XXH3's update alone, in a file compiled for AVX-512: nothing else here may be,
// since a function shared with other files could then run on a processor without it.
#if defined(__GNUC__) && !defined(__clang__)
// GCC 12 takes the deliberately undefined start of its own AVX-512 intrinsics for a fault.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#define XXH_INLINE_ALL
#include <xxhash.h>

#include "engine/Xxh3Wide.h"

namespace vorlaxis {

void Xxh3UpdateAvx512(void* state, const void* data, size_t count) {
    XXH3_128bits_update(static_cast<XXH3_state_t*>(state), data, count);
}

}  // namespace vorlaxis
