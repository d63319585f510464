#include "platform/Processor.h"

#ifdef __linux__
#include <sched.h>
#endif

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <cpuid.h>
#define VORLAXIS_ASKS_CPUID 1
#endif

namespace vorlaxis::platform {

namespace {

struct WideVectors {
    bool avx2 = false;
    bool avx512 = false;
};

// An instruction set is usable when the processor has it and the system saves its registers on
// a task switch (the XCR0 bits of the YMM, and of the opmask and ZMM states).
WideVectors AskProcessor() {
    WideVectors wide;
#ifdef VORLAXIS_ASKS_CPUID
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid_max(0, nullptr) < 7 || !__get_cpuid(1, &a, &b, &c, &d) || !(c & bit_OSXSAVE))
        return wide;
    unsigned low = 0, high = 0;
    __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    const bool ymm = (low & 0x06) == 0x06;
    const bool zmm = ymm && (low & 0xE0) == 0xE0;
    __cpuid_count(7, 0, a, b, c, d);
    wide.avx2 = ymm && (b & bit_AVX2);
    wide.avx512 = zmm && (b & bit_AVX512F);
#endif
    return wide;
}

const WideVectors& Wide() {
    static const WideVectors wide = AskProcessor();
    return wide;
}

}  // namespace

bool HasAvx2() {
    return Wide().avx2;
}

bool HasAvx512() {
    return Wide().avx512;
}

int CurrentProcessor() {
#ifdef __linux__
    return ::sched_getcpu();
#else
    return -1;
#endif
}

}  // namespace vorlaxis::platform
