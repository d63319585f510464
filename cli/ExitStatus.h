// The exit statuses of vorlaxis-check and how several findings combine into one.
#pragma once

namespace vorlaxis::cli {

enum ExitCode {
    kAllReadable = 0,     // every file of every location found, listed, opened and read
    kUnreadable = 1,      // unreadable data, or a result that could not be written
    kBadUsage = 2,        // bad usage, or nothing to test
    kStopped = 3,         // stopped by a signal (recorded in the result; the process dies by it)
    kContentDiffers = 4,  // a silent change or a checksum list that disagrees
    kIncomplete = 5       // something asked for was not checked
};

// The status of several findings is the gravest of them: a stop, then unreadable data, then
// content that differs, then something left unchecked; usage errors and success rank last,
// so a run that got as far as testing never reports 2.
inline int Graver(int a, int b) {
    auto rank = [](int status) {
        switch (status) {
            case kStopped:
                return 4;
            case kUnreadable:
                return 3;
            case kContentDiffers:
                return 2;
            case kIncomplete:
                return 1;
            default:
                return 0;
        }
    };
    return rank(b) > rank(a) ? b : a;
}

}  // namespace vorlaxis::cli
