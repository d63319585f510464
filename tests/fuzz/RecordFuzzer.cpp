// libFuzzer target: any bytes as a medium's record. Whatever it reads must write back as a record
// that reads as the same. A broken property aborts with its name.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "results/MediumHistory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto record = vorlaxis::ParseRecord(input);
    if (!record) return 0;
    const std::string text = vorlaxis::RecordText(*record);
    const auto again = vorlaxis::ParseRecord(text);
    if (!again || vorlaxis::RecordText(*again) != text || again->Medium != record->Medium ||
        again->Files.size() != record->Files.size()) {
        std::fprintf(stderr, "record property broken: a record read does not read back alike\n");
        std::abort();
    }
    return 0;
}
