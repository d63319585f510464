// Libraries loaded when first wanted rather than with the program: a start from a cold cache
// reads every library the program links, and most runs need few of them.
#pragma once

#include <dlfcn.h>

#include <type_traits>

namespace vorlaxis::platform {

// Loads `soname` and hands `fill` a finder, `find(name, field)`, that sets `field` of
// `functions` to the library's function `name`. `&functions` when the library and every
// function it was asked for are there, else null (callers then do without).
template <typename Functions, typename Fill>
const Functions* LoadFunctions(const char* soname, Functions& functions, Fill fill) {
    void* library = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    bool all = true;
    fill(functions, [&](const char* name, auto& field) {
        field = reinterpret_cast<std::remove_reference_t<decltype(field)>>(::dlsym(library, name));
        all = all && field != nullptr;
    });
    return all ? &functions : nullptr;
}

}  // namespace vorlaxis::platform
