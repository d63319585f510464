// XXH3's update built for the wide vectors of newer x86 processors, chosen at run time. The
// baseline build has 16-byte vectors only, which hash at about a third of the speed of AVX2 and
// a quarter of that of AVX-512: too slow to keep up with a fast medium. The sums are the same.
#pragma once

#include <cstddef>

namespace vorlaxis {

// Adds `count` bytes to an XXH3 state (an XXH3_state_t of the inline build).
using Xxh3Update = void (*)(void* state, const void* data, size_t count);

#ifdef VORLAXIS_XXH3_WIDE
void Xxh3UpdateAvx2(void* state, const void* data, size_t count);
void Xxh3UpdateAvx512(void* state, const void* data, size_t count);
#endif

}  // namespace vorlaxis
