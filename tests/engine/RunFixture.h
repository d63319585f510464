// One session over real files, with scripted host, dialogs and clock, calls that fail where
// the test says, and the log in a temporary folder.
#pragma once

#include <string>

#include "Fakes.h"
#include "TempDir.h"
#include "support/RunParts.h"

namespace vorlaxis::test {

struct RunFixture : RunParts {
    RunFixture() { session.LogPathOverride = logs.path() + "log.txt"; }

    uint16_t Run(const std::string& location, int32_t readModeOverride = 0) {
        return PerformTest(session, location, static_cast<ReadModeOverride>(readModeOverride));
    }

    // The log's bytes, and converted back to UTF-8 for comparison.
    std::string LogBytes() const { return test::LogBytes(session); }
    std::string LogText() const { return test::LogText(session); }

    // A file of the tree that cannot be opened; returns its path.
    std::string UnopenableFile(const std::string& relative, const std::string& content) {
        const std::string path = tree.file(relative, content);
        calls.failOpen[path] = 1;
        return path;
    }

    // The 1-based number of `path` in the file table (the platform's listing order).
    int Number(const std::string& path) const {
        for (int i = 0; i < session.FileCount; ++i) {
            if (session.FileTable[static_cast<size_t>(i)].Path == path) return i + 1;
        }
        return 0;
    }

    std::string DateTime() {
        return platform::FormatShortDate(clock.now) + ", " + platform::FormatLongTime(clock.now);
    }

    // The lines every log starts with, up to the read mode heading.
    std::string Head(int dirs, int files, const std::string& modeText) {
        return "Zubrak's Vorlaxis v2.0 Media Test Log File\r\n"
               "Datum testu: " +
               platform::FormatShortDate(clock.now) +
               ", start testu: " + platform::FormatLongTime(clock.now) +
               "\r\n"
               "----------------------------------------------\r\n"
               "\r\n"
               "Informace o médiu:\r\n"
               "  jméno média:         " +
               statistics.VolumeLabel +
               "\r\n"
               "  sériové číslo média: " +
               statistics.VolumeSerial + "\r\n  počet adresářů:      " + std::to_string(dirs) +
               "\r\n  počet souborů:       " + std::to_string(files) + "\r\n\r\nPrůběh testu " +
               modeText + ":\r\n";
    }

    TempDir tree;
    FailingCalls calls;
    TestSession session{settings, statistics, display, host, dialogs, clock, calls};
};

}  // namespace vorlaxis::test
