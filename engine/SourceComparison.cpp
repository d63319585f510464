#include "engine/SourceComparison.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <unordered_set>

#include "platform/Files.h"
#include "platform/Text.h"

namespace vorlaxis {

namespace {

// How long a wait for the source goes before the window is let breathe (and a stop heard).
constexpr std::chrono::milliseconds kPumpEvery(10);

using PathSet = std::unordered_set<std::string>;

// True when a folder that holds `path` (a path within the location) is in `folders` (keys).
bool InsideAny(const std::string& raw, const PathSet& folders) {
    if (folders.empty()) return false;
    const std::string path = platform::FileNameKey(raw);
    const char separator = platform::PathSeparator();
    for (size_t at = path.find(separator); at != std::string::npos && at + 1 < path.size();
         at = path.find(separator, at + 1)) {
        if (folders.count(path.substr(0, at + 1)) != 0) return true;
    }
    return false;
}

// The place of the first byte that differs in two runs of `count` bytes, `count` when none.
size_t FirstDifference(const unsigned char* a, const unsigned char* b, size_t count) {
    if (std::memcmp(a, b, count) == 0) return count;
    return static_cast<size_t>(std::mismatch(a, a + count, b).first - a);
}

}  // namespace

SourceComparison::SourceComparison(TestHost& host, const TestStatistics& statistics)
    : m_host(host), m_statistics(statistics) {}

SourceComparison::~SourceComparison() = default;

void SourceComparison::Start(const std::string& source, const std::string& location,
                             const DirectoryList& folders, const FileEntry* files, int32_t count,
                             bool wholeFiles) {
    m_source = source;
    m_location = location;
    m_files = files;
    m_count = count;
    if (!wholeFiles) {
        m_notCompared = true;
        return;
    }
    for (const std::string& folder : folders) {
        if (folder.size() > location.size()) m_folders.push_back(folder.substr(location.size()));
    }
    std::vector<std::string> paths;
    paths.reserve(static_cast<size_t>(count));
    for (int32_t i = 1; i <= count; ++i) paths.push_back(source + Relative(i));
    m_stream = std::make_unique<SourceStream>(std::move(paths), source);
}

std::string SourceComparison::Relative(int32_t number) const {
    const std::string& path = m_files[number - 1].Path;
    return path.size() > m_location.size() ? path.substr(m_location.size()) : std::string();
}

void SourceComparison::StartFile(int32_t number) {
    if (!m_stream) return;
    if (number == m_number) {  // a retry: the source is read again from the file's start
        m_stream->RestartAt(number - 1);
        if (!m_verdicts.empty() && m_verdicts.back().number == number) m_verdicts.pop_back();
    }
    m_number = number;
    m_offset = 0;
    m_verdict = Verdict::Pending;
}

bool SourceComparison::NextPiece(SourceStream::Piece& piece) {
    while (!m_stream->Next(m_number - 1, piece, kPumpEvery)) {
        m_host.ProcessMessages();
        if (m_statistics.StopRequested) {
            m_gaveUp = true;
            m_verdict = Verdict::None;
            return false;
        }
    }
    // Only a piece of another file could follow an end that was taken: the file ended there.
    if (piece.File != m_number - 1) piece.What = SourceStream::Kind::End;
    return true;
}

void SourceComparison::Decide(Verdict verdict, int64_t offset) {
    m_verdict = verdict;
    if (verdict == Verdict::Same) return;
    m_verdicts.push_back({m_number, verdict, offset});
    m_stream->SkipRestOf(m_number - 1);
}

void SourceComparison::Update(const unsigned char* data, size_t count) {
    if (m_verdict != Verdict::Pending) return;
    size_t done = 0;
    SourceStream::Piece piece;
    while (done < count) {
        if (!NextPiece(piece)) return;
        switch (piece.What) {
            case SourceStream::Kind::Bytes:
                break;
            case SourceStream::Kind::End:  // the source's file is shorter
                Decide(Verdict::Differs, m_offset);
                return;
            case SourceStream::Kind::Missing:
                Decide(Verdict::OnlyOnMedium, 0);
                return;
            case SourceStream::Kind::Unreadable:
            default:
                Decide(Verdict::SourceUnreadable, 0);
                return;
        }
        const size_t n = std::min(count - done, piece.Size);
        const size_t same = FirstDifference(data + done, piece.Data, n);
        if (same < n) {
            Decide(Verdict::Differs, m_offset + static_cast<int64_t>(same));
            return;
        }
        m_stream->Consume(n);
        done += n;
        m_offset += static_cast<int64_t>(n);
    }
}

void SourceComparison::EndFile(bool readable, bool whole) {
    if (!m_stream || m_verdict != Verdict::Pending) return;
    // An unreadable file is named as such already; one cut short by a stop was not compared.
    if (!readable || !whole) {
        m_verdict = Verdict::None;
        m_stream->SkipRestOf(m_number - 1);
        return;
    }
    SourceStream::Piece piece;
    if (!NextPiece(piece)) return;
    switch (piece.What) {
        case SourceStream::Kind::End:
            Decide(Verdict::Same, 0);
            break;
        case SourceStream::Kind::Bytes:  // the source's file is longer
            Decide(Verdict::Differs, m_offset);
            break;
        case SourceStream::Kind::Missing:
            Decide(Verdict::OnlyOnMedium, 0);
            break;
        case SourceStream::Kind::Unreadable:
        default:
            Decide(Verdict::SourceUnreadable, 0);
            break;
    }
}

void SourceComparison::Finish(bool complete, SourceFindings& findings) {
    findings = SourceFindings();
    findings.Source = m_source;
    if (m_notCompared) {
        findings.Unchecked.push_back({UncheckedReason::NotCompared, m_source});
        return;
    }
    if (!m_stream) return;
    PathSet onlyOnMedium;
    if (complete && !m_gaveUp) {
        FindOnlyInSource(findings, onlyOnMedium);
    } else if (!m_statistics.StopRequested) {
        findings.Unchecked.push_back({UncheckedReason::SourceNotSought, m_source});
    }
    for (const FileVerdict& v : m_verdicts) {
        const std::string& path = m_files[v.number - 1].Path;
        if (v.verdict == Verdict::Differs) findings.Differs.push_back({path, v.offset});
        if (v.verdict == Verdict::OnlyOnMedium && !InsideAny(Relative(v.number), onlyOnMedium))
            findings.OnlyOnMedium.push_back(path);
        if (v.verdict == Verdict::SourceUnreadable) {
            findings.Unchecked.push_back(
                {UncheckedReason::SourceUnreadable, m_source + Relative(v.number)});
        }
    }
    m_stream.reset();
}

// The folders and files that only the source has, and the medium's folders it lacks (into
// `onlyOnMedium`, within the location): the uppermost of each, standing for what is inside.
void SourceComparison::FindOnlyInSource(SourceFindings& findings, PathSet& onlyOnMedium) {
    SourceTree tree;
    while (!m_stream->Walked(tree, kPumpEvery)) {
        m_host.ProcessMessages();
        if (m_statistics.StopRequested) return;
    }
    for (const std::string& folder : tree.Unlisted)
        findings.Unchecked.push_back({UncheckedReason::SourceUnlisted, folder});
    // Names as the file system matches them: a disc may show in upper case what the source
    // folder holds in mixed case.
    PathSet mediumFolders, sourceFolders, mediumFiles;
    for (const std::string& folder : m_folders) mediumFolders.insert(platform::FileNameKey(folder));
    for (const std::string& folder : tree.Folders)
        sourceFolders.insert(platform::FileNameKey(folder));
    for (int32_t i = 1; i <= m_count; ++i) mediumFiles.insert(platform::FileNameKey(Relative(i)));
    for (const std::string& folder : m_folders) {
        if (sourceFolders.count(platform::FileNameKey(folder)) == 0 &&
            !InsideAny(folder, onlyOnMedium)) {
            onlyOnMedium.insert(platform::FileNameKey(folder));
            findings.OnlyOnMedium.push_back(m_location + folder);
        }
    }
    PathSet onlyInSource;
    for (const std::string& folder : tree.Folders) {
        if (mediumFolders.count(platform::FileNameKey(folder)) == 0 &&
            !InsideAny(folder, onlyInSource)) {
            onlyInSource.insert(platform::FileNameKey(folder));
            findings.OnlyInSource.push_back(m_source + folder);
        }
    }
    for (const std::string& file : tree.Files) {
        if (mediumFiles.count(platform::FileNameKey(file)) == 0 && !InsideAny(file, onlyInSource))
            findings.OnlyInSource.push_back(m_source + file);
    }
}

}  // namespace vorlaxis
