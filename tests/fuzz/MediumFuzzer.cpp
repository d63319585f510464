// libFuzzer target for one reader of what comes from a medium; VORLAXIS_FUZZ_CHECK names its
// check (fuzz/MediumChecks.h). A broken property aborts with its name.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/MediumChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string problem = vorlaxis::test::VORLAXIS_FUZZ_CHECK(input);
    if (!problem.empty()) {
        std::fprintf(stderr, "medium property broken: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
