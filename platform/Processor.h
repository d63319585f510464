// Whether the processor runs the wide vector instructions that the sums and the fingerprints
// have builds for: asked once, when first wanted. The compiler's own answer would be worked out
// at every start of the program, about a dozen questions to the processor, each of which traps
// to the hypervisor in a virtual machine (over 20 µs each here).
#pragma once

namespace vorlaxis::platform {

bool HasAvx2();
bool HasAvx512();  // the foundation of AVX-512

// The processor the calling thread runs on now, -1 where the system does not say.
int CurrentProcessor();

}  // namespace vorlaxis::platform
