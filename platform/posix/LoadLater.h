// Libraries loaded when first wanted rather than with the program: a start from a cold cache
// reads every library the program links, and most runs need few of them.
#pragma once

#include <dlfcn.h>

namespace vorlaxis::platform {

// Null when the library is missing.
inline void* LoadLibrary(const char* soname) {
    return ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
}

// The function `name` of `library` into `into`; false when the library lacks it.
template <typename Function>
bool FindFunction(void* library, const char* name, Function& into) {
    into = reinterpret_cast<Function>(::dlsym(library, name));
    return into != nullptr;
}

}  // namespace vorlaxis::platform
