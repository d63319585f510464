// A medium compared with the folder it was made from, in the run's one read of the medium: the
// source's files are read beside it (SourceStream) and each block the run reads is held against
// the source's bytes at the same place. Nothing of it reaches the test log, which stays that of
// a plain test of the medium.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/TestHost.h"
#include "engine/SourceStream.h"
#include "engine/TestStatistics.h"
#include "engine/Tools.h"
#include "engine/Unchecked.h"

namespace vorlaxis {

struct SourceDifference {
    std::string Path;    // the medium's full path
    int64_t Offset = 0;  // of the first byte that differs (the shorter file's size when one
                         // file is the start of the other)
};

struct SourceFindings {
    std::string Source;  // the folder compared with, ending in the separator; empty: none
    std::vector<SourceDifference> Differs;
    // Full paths of what one side has and the other lacks; a folder ends in the separator and
    // stands for everything in it.
    std::vector<std::string> OnlyOnMedium;
    std::vector<std::string> OnlyInSource;
    // Comparisons not made: source files that could not be read, source folders that could not
    // be listed, a read mode that does not read files whole.
    UncheckedList Unchecked;

    bool Differ() const {
        return !Differs.empty() || !OnlyOnMedium.empty() || !OnlyInSource.empty();
    }
};

// One location's comparison. The run calls StartFile before each attempt at a file, Update with
// every block it reads, EndFile after the attempt, and Finish once. While it waits for the
// source it lets the host's messages run, and gives up when a stop is requested.
class SourceComparison {
  public:
    SourceComparison(TestHost& host, const TestStatistics& statistics);
    ~SourceComparison();
    SourceComparison(const SourceComparison&) = delete;
    SourceComparison& operator=(const SourceComparison&) = delete;

    // `source` and `location` end in the separator; `folders` is the medium's walk, `files`
    // its file table, which must stay in place until Finish(). Without `wholeFiles` (a read
    // mode that passes blocks over or only opens) nothing is read or compared.
    void Start(const std::string& source, const std::string& location, const DirectoryList& folders,
               const FileEntry* files, int32_t count, bool wholeFiles);
    bool Comparing() const { return m_stream != nullptr; }
    // `number` counts from 1 as the file table does; the same number again is a retry.
    void StartFile(int32_t number);
    void Update(const unsigned char* data, size_t count);
    // `whole`: the file was read to its end (not cut short by a stop).
    void EndFile(bool readable, bool whole);
    // `complete`: the run read every file of the location and its file table holds them all;
    // only then are the files that only the source has sought (a run that was not stopped says
    // so among the findings' unchecked items).
    void Finish(bool complete, SourceFindings& findings);

  private:
    enum class Verdict : uint8_t { Pending, Same, Differs, OnlyOnMedium, SourceUnreadable, None };
    struct FileVerdict {
        int32_t number = 0;
        Verdict verdict = Verdict::None;
        int64_t offset = 0;
    };
    bool NextPiece(SourceStream::Piece& piece);
    void Decide(Verdict verdict, int64_t offset);
    void FindOnlyInSource(SourceFindings& findings, std::unordered_set<std::string>& onlyOnMedium);
    std::string Relative(int32_t number) const;

    TestHost& m_host;
    const TestStatistics& m_statistics;
    std::unique_ptr<SourceStream> m_stream;
    std::string m_source, m_location;
    std::vector<std::string> m_folders;  // the medium's, within the location
    const FileEntry* m_files = nullptr;
    int32_t m_count = 0;
    bool m_notCompared = false;
    bool m_gaveUp = false;  // a stop came while the source was waited for
    // The file being compared: its number, the medium's bytes compared so far, its verdict.
    int32_t m_number = 0;
    int64_t m_offset = 0;
    Verdict m_verdict = Verdict::None;
    std::vector<FileVerdict> m_verdicts;  // the files that are not the same, in the run's order
};

}  // namespace vorlaxis
