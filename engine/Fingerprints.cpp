#include "engine/Fingerprints.h"

#define XXH_INLINE_ALL  // header-only: the Windows build needs no library
#include <xxhash.h>

#include <map>
#include <unordered_set>

#include "core/BlockingCalls.h"
#include "engine/ChecksumFiles.h"
#include "engine/Xxh3Wide.h"
#include "platform/Digest.h"
#include "platform/Files.h"
#include "platform/Processor.h"

namespace vorlaxis {

namespace {

// A checksum file larger than this is no list of a medium's files: it is not read.
constexpr int64_t kLargestList = int64_t{64} * 1024 * 1024;

struct Expectation {
    ListedHash Hash;
    std::string Expected;
};

platform::DigestKind KindOf(ListedHash hash) {
    switch (hash) {
        case ListedHash::Md5:
            return platform::DigestKind::Md5;
        case ListedHash::Sha1:
            return platform::DigestKind::Sha1;
        case ListedHash::Sha512:
            return platform::DigestKind::Sha512;
        case ListedHash::Crc32:
            return platform::DigestKind::Crc32;
        case ListedHash::Sha256:
        case ListedHash::Xxh128:
        default:
            return platform::DigestKind::Sha256;
    }
}

}  // namespace

struct ContentCheck::State {
    std::string location;
    BlockingCalls* calls = nullptr;  // the medium may hang: nothing here touches it directly
    bool fingerprints = true;        // every file is hashed, not only those a list names
    bool hashing = false;            // the current file is hashed
    XXH3_state_t* xxh = nullptr;
    int64_t bytes = 0;
    std::map<std::string, std::vector<Expectation>> listed;  // by path within the location
    std::unordered_set<std::string> present;                 // every path of the table
    // The digests the current file's lists ask for, beside what they expect.
    std::vector<std::pair<const Expectation*, std::unique_ptr<platform::Digest>>> digests;
    ContentFindings findings;

    // The path within the location, "/" separated.
    std::string Key(const std::string& path) const {
        std::string key =
            path.compare(0, location.size(), location) == 0 ? path.substr(location.size()) : path;
        if (platform::PathSeparator() != '/') {
            for (char& c : key) {
                if (c == platform::PathSeparator()) c = '/';
            }
        }
        return key;
    }
    void ReadList(const std::string& path, const std::string& key) {
        std::string content;
        if (!calls->ReadSmallFile(path, kLargestList, content)) return;
        const size_t slash = key.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : key.substr(0, slash + 1);
        const std::string name = slash == std::string::npos ? key : key.substr(slash + 1);
        for (ListedFile& file : ParseChecksumFile(name, content)) {
            listed[JoinListedPath(folder, file.Path)].push_back(
                {file.Hash, std::move(file.Expected)});
        }
    }
};

std::string LocationPath(const std::string& location, const std::string& within) {
    std::string path = location + within;
    for (size_t i = location.size(); i < path.size(); ++i) {
        if (path[i] == '/') path[i] = platform::PathSeparator();
    }
    return path;
}

ContentCheck::ContentCheck() : m_state(std::make_unique<State>()) {
    m_state->xxh = XXH3_createState();
}

ContentCheck::~ContentCheck() {
    XXH3_freeState(m_state->xxh);
}

void ContentCheck::Prepare(BlockingCalls& calls, const std::string& location,
                           const FileEntry* files, int32_t count, bool fingerprints) {
    State& s = *m_state;
    s.calls = &calls;
    s.fingerprints = fingerprints;
    s.location = location;
    s.listed.clear();
    s.present.clear();
    s.findings = {};
    for (int32_t i = 0; i < count; ++i) {
        const std::string& path = files[i].Path;
        const size_t slash = path.rfind(platform::PathSeparator());
        if (IsChecksumFileName(slash == std::string::npos ? path : path.substr(slash + 1)))
            s.ReadList(path, s.Key(path));
    }
    // Only a list can name a file the tree lacks.
    if (s.listed.empty()) return;
    for (int32_t i = 0; i < count; ++i) s.present.insert(s.Key(files[i].Path));
}

bool ContentCheck::Needed() const {
    return m_state->fingerprints || !m_state->listed.empty();
}

void ContentCheck::StartFile(const FileEntry& entry) {
    State& s = *m_state;
    s.bytes = 0;
    s.digests.clear();
    s.hashing = s.fingerprints;
    const auto found = s.listed.find(s.Key(entry.Path));
    if (found != s.listed.end()) {
        for (const Expectation& e : found->second) {
            const bool xxh = e.Hash == ListedHash::Xxh128;
            s.hashing = s.hashing || xxh;
            s.digests.emplace_back(
                &e, xxh ? nullptr : std::make_unique<platform::Digest>(KindOf(e.Hash)));
        }
    }
    if (s.hashing) XXH3_128bits_reset(s.xxh);
}

namespace {

void Xxh3UpdateBaseline(void* state, const void* data, size_t count) {
    XXH3_128bits_update(static_cast<XXH3_state_t*>(state), data, count);
}

// The widest update this processor runs.
Xxh3Update WidestXxh3Update() {
#ifdef VORLAXIS_XXH3_WIDE
    if (platform::HasAvx512()) return Xxh3UpdateAvx512;
    if (platform::HasAvx2()) return Xxh3UpdateAvx2;
#endif
    return Xxh3UpdateBaseline;
}

}  // namespace

void ContentCheck::Update(const unsigned char* data, size_t count) {
    State& s = *m_state;
    static const Xxh3Update update = WidestXxh3Update();
    if (s.hashing) update(s.xxh, data, count);
    s.bytes += static_cast<int64_t>(count);
    for (auto& digest : s.digests) {
        if (digest.second) digest.second->Update(data, count);
    }
}

void ContentCheck::EndFile(const FileEntry& entry, bool readable, bool whole) {
    State& s = *m_state;
    FileFingerprint print;
    print.Path = s.Key(entry.Path);
    print.Readable = readable;
    print.Size = readable ? s.bytes : entry.Size;
    // After a stop nothing more is asked of the medium: a stopped run keeps no record anyway.
    if (!whole || !s.fingerprints || !s.calls->LastWriteTime(entry.Path, print.Modified))
        print.Modified = 0;
    if (readable && whole) {
        if (s.hashing) {
            XXH128_canonical_t canonical;
            XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(s.xxh));
            print.Hash = platform::HexBytes(canonical.digest, sizeof canonical.digest);
        }
        bool agrees = true;
        for (auto& [expectation, digest] : s.digests) {
            const std::string got = digest ? digest->HexFinal() : print.Hash;
            agrees = agrees && got == expectation->Expected;
        }
        if (!agrees) s.findings.ChecksumMismatches.push_back(entry.Path);
    }
    s.digests.clear();
    std::vector<FileFingerprint>& files = s.findings.Files;
    if (!files.empty() && !files.back().Readable && files.back().Path == print.Path) {
        files.back() = std::move(print);  // a retry
    } else {
        files.push_back(std::move(print));
    }
}

void ContentCheck::Finish(bool complete, ContentFindings& findings) {
    State& s = *m_state;
    s.findings.Complete = complete;
    if (complete) {
        for (const auto& [key, expectations] : s.listed) {
            if (!s.present.contains(key))
                s.findings.ChecksumMissing.push_back(LocationPath(s.location, key));
        }
    }
    findings = std::move(s.findings);
    s.findings = {};
}

}  // namespace vorlaxis
