// XXH3's update alone, in a file compiled for AVX-512: nothing else here may be,
// since a function shared with other files could then run on a processor without it.
#define XXH_INLINE_ALL
#include <xxhash.h>

#include "engine/Xxh3Wide.h"

namespace vorlaxis {

void Xxh3UpdateAvx512(void* state, const void* data, size_t count) {
    XXH3_128bits_update(static_cast<XXH3_state_t*>(state), data, count);
}

}  // namespace vorlaxis
