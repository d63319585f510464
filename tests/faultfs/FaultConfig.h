// The faults that the test file system injects, read from a plain text file, one rule a line.
// Paths are absolute inside the mounted file system ("/dir/file"); '#' starts a comment.
// (Directory listings come in name order, so a test knows the order of a run.)
//
//   read-error PATH OFFSET LENGTH [TIMES]  reads touching bytes [OFFSET, OFFSET+LENGTH) fail
//                                          with EIO (the first TIMES such reads, else always)
//   open-error PATH EIO|EACCES [TIMES]     opening PATH fails with that error
//   list-error PATH [open|read|after N] [EIO|EACCES]
//                                          listing the directory fails (EIO unless given): at
//                                          opendir (default), at the first readdir, or once N
//                                          entries ("." and ".." included) were listed
//   delay MILLISECONDS [PATH]              every read (of PATH only, when given) waits first
//   hang PATH                              every read of PATH waits until the rule is taken
//                                          away (a read stuck for as long as a test needs)
//   vanish PATH [LISTINGS]                 PATH disappears once its directory has been listed
//                                          LISTINGS times (default 1): lookups then fail with
//                                          ENOENT and later listings leave it out
//   resize PATH SIZE [AFTER]               once a read has reached AFTER bytes into PATH
//                                          (default 0: the first read), the backing file is cut
//                                          or extended to SIZE bytes (new bytes are 'G')
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorlaxis::test {

struct ReadErrorRule {
    std::string path;
    int64_t offset = 0;
    int64_t length = 0;
    int64_t times = -1;  // -1: for ever
};

struct OpenErrorRule {
    std::string path;
    int error = 0;  // errno value
    int64_t times = -1;
};

struct ListErrorRule {
    std::string path;
    bool atRead = false;
    int64_t after = -1;  // >= 0: the listing breaks off after that many entries
    int error = 0;       // errno value
};

struct DelayRule {
    std::string path;  // empty: every file
    int64_t milliseconds = 0;
    bool untilTakenAway = false;  // "hang": no time limit, only the rule's end
};

struct VanishRule {
    std::string path;
    int64_t listings = 1;
};

struct ResizeRule {
    std::string path;
    int64_t size = 0;
    int64_t after = 0;
};

struct FaultConfig {
    std::vector<ReadErrorRule> readErrors;
    std::vector<OpenErrorRule> openErrors;
    std::vector<ListErrorRule> listErrors;
    std::vector<DelayRule> delays;
    std::vector<VanishRule> vanishes;
    std::vector<ResizeRule> resizes;
    // Lines that could not be understood, with their numbers, for the file system's stderr.
    std::vector<std::string> problems;
};

FaultConfig ParseFaultConfig(std::string_view text);

// True when a read of `size` bytes at `offset` touches any byte of the rule's range.
bool ReadTouches(const ReadErrorRule& rule, int64_t offset, int64_t size);

}  // namespace vorlaxis::test
