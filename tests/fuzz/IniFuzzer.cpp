// libFuzzer target: any bytes as a settings file. A broken property aborts with its name.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "fuzz/IniChecks.h"
#include "platform/Files.h"

namespace {

// One folder for the whole run; memory-backed when the machine has one, for speed. The name
// lives on the heap so that the clean-up at exit can still read it.
const std::string& WorkFolder() {
    static const std::string* folder = [] {
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        std::string pattern = (base / "vorlaxis-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(WorkFolder(), ec);
        });
        return new std::string(pattern + "/");
    }();
    return *folder;
}

bool FolderIsWritable() {
    const std::string probe = WorkFolder() + "probe";
    const bool ok = vorlaxis::platform::WriteWholeFile(probe, std::string(65536, 'p'));
    vorlaxis::platform::RemoveFile(probe);
    return ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    const std::string problem = vorlaxis::test::CheckSettingsContent(content, WorkFolder());
    if (!problem.empty() && !FolderIsWritable()) return 0;  // a full disk is no finding
    if (!problem.empty()) {
        std::fprintf(stderr, "settings property broken: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
