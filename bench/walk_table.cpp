// Times the walk and the file table of a location alone (no file is opened): the part of a
// run that the benchmark compares with find. Prints the number of files entered.
#include <cstdio>
#include <string>
#include <vector>

#include "core/BlockingCalls.h"
#include "engine/TestStatistics.h"
#include "engine/Tools.h"
#include "support/ScriptedHost.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: walk_table DIR/\n", stderr);
        return 2;
    }
    vorlaxis::test::ScriptedHost host;
    vorlaxis::BlockingCalls& calls = vorlaxis::DefaultBlockingCalls();
    vorlaxis::DirectoryList dirs;
    vorlaxis::ScanDirectories(argv[1], dirs, calls, host);
    std::vector<vorlaxis::FileEntry> table(vorlaxis::kFileTableSize);
    size_t next = 0;
    int64_t total = 0;
    std::vector<std::string> files;
    std::vector<int64_t> sizes;
    vorlaxis::platform::ListingOutcome outcome;
    for (const std::string& dir : dirs) {
        if (next >= table.size()) break;
        calls.ListFilesWithSizes(dir, table.size() - next, files, sizes, outcome);
        for (size_t i = 0; i < files.size(); ++i) {
            table[next].Path = std::move(files[i]);
            table[next].Size = sizes[i];
            total += table[next].Size;
            ++next;
        }
    }
    std::printf("%zu directories, %zu files, %lld bytes\n", dirs.size(), next,
                static_cast<long long>(total));
    return 0;
}
