#include "engine/Fingerprints.h"

#define XXH_INLINE_ALL  // header-only: the Windows build needs no library
#include <xxhash.h>

#include <algorithm>
#include <string_view>

#include "core/BlockingCalls.h"
#include "engine/ChecksumFiles.h"
#include "engine/Xxh3Wide.h"
#include "platform/Digest.h"
#include "platform/Files.h"
#include "platform/Processor.h"

namespace vorlaxis {

namespace {

// Lists are read in pieces of this size, so that a list of any length takes little memory.
constexpr int64_t kListPiece = int64_t{1} << 20;
// A text file is first read this far: most are no list, and that shows in their first line.
constexpr int64_t kFirstTextPiece = 4096;
// Entries of one list named one by one as outside the location; the rest are counted.
constexpr int64_t kOutsideNamed = 100;
// The leading bytes of an expected digest kept and compared: all of MD5, SHA-1, SHA-256 and
// XXH3-128, the first 256 bits of longer ones, so that a million entries stay within 44 MB.
constexpr size_t kDigestBytes = 32;

// One listed digest of a file of the table.
struct Expectation {
    int32_t File = 0;  // index into the file table
    int32_t List = 0;  // index into the lists read
    ListedHash Hash = ListedHash::Sha256;
    uint8_t Bytes = 0;
    unsigned char Digest[kDigestBytes] = {};
};

platform::DigestKind KindOf(ListedHash hash) {
    switch (hash) {
        case ListedHash::Md5:
            return platform::DigestKind::Md5;
        case ListedHash::Sha1:
            return platform::DigestKind::Sha1;
        case ListedHash::Sha224:
            return platform::DigestKind::Sha224;
        case ListedHash::Sha384:
            return platform::DigestKind::Sha384;
        case ListedHash::Sha512:
            return platform::DigestKind::Sha512;
        case ListedHash::Blake2b:
            return platform::DigestKind::Blake2b512;
        case ListedHash::Crc32:
            return platform::DigestKind::Crc32;
        case ListedHash::Sha256:
        case ListedHash::Xxh128:
        default:
            return platform::DigestKind::Sha256;
    }
}

int Nibble(char c) {
    return c <= '9' ? c - '0' : c - 'a' + 10;
}

// The leading bytes of lower-case hexadecimal digits.
uint8_t LeadingBytes(const std::string& hex, unsigned char* bytes) {
    const size_t count = std::min(hex.size() / 2, kDigestBytes);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<unsigned char>(Nibble(hex[2 * i]) * 16 + Nibble(hex[2 * i + 1]));
    return static_cast<uint8_t>(count);
}

std::string_view FileName(const std::string& key) {
    const size_t slash = key.rfind('/');
    return slash == std::string::npos ? std::string_view(key)
                                      : std::string_view(key).substr(slash + 1);
}

// Text files in a folder are looked into only when their name speaks of sums: each one read
// twice would cost a seek on a disc.
bool NameSpeaksOfSums(std::string_view name) {
    std::string lower(name);
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    for (const char* word : {"sum", "hash", "md5", "sha", "crc", "check", "b2", "blake", "manifest",
                             "digest", "deep"}) {
        if (lower.find(word) != std::string::npos) return true;
    }
    return false;
}

}  // namespace

struct ContentCheck::State {
    std::string location;
    BlockingCalls* calls = nullptr;  // the medium may hang: nothing here touches it directly
    const FileEntry* files = nullptr;
    int32_t count = 0;
    bool fingerprints = true;  // every file is hashed, not only those a list names
    bool hashing = false;      // the current file is hashed
    XXH3_state_t* xxh = nullptr;
    int64_t bytes = 0;
    std::vector<int32_t> byKey;             // the table's indices in the order of their keys
    std::vector<std::string> lists;         // full paths of the lists read
    std::vector<Expectation> expectations;  // by file once the lists are read
    // The paths within the location that lists name and the table lacks, one after another
    // ("\0" after each) so that a long list for another tree costs only its names' bytes.
    std::string unmatchedNames;
    std::vector<size_t> unmatched;  // where each starts
    bool usable[static_cast<int>(ListedHash::Xxh128) + 1] = {};
    bool usableKnown[static_cast<int>(ListedHash::Xxh128) + 1] = {};
    // The digests the current file's lists ask for, one per hash.
    std::vector<std::pair<ListedHash, std::unique_ptr<platform::Digest>>> digests;
    const Expectation* first = nullptr;  // the current file's expectations
    const Expectation* last = nullptr;
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
    // Table entry `i`'s path within the location, with the platform's separators.
    std::string_view Within(int32_t i) const {
        std::string_view path = files[i].Path;
        if (path.compare(0, location.size(), location) == 0) path.remove_prefix(location.size());
        return path;
    }
    // Compares two paths within the location as keys ("/" separated), without a copy:
    // `a` has the platform's separators, `b` has them when `native`.
    static int Compare(std::string_view a, std::string_view b, bool native) {
        const char separator = platform::PathSeparator();
        const size_t common = std::min(a.size(), b.size());
        for (size_t k = 0; k < common; ++k) {
            const auto x = static_cast<unsigned char>(a[k] == separator ? '/' : a[k]);
            const auto y = static_cast<unsigned char>(native && b[k] == separator ? '/' : b[k]);
            if (x != y) return x < y ? -1 : 1;
        }
        return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
    }
    int CompareKey(int32_t i, std::string_view key) const { return Compare(Within(i), key, false); }
    void IndexTable() {
        if (!byKey.empty() || count == 0) return;
        byKey.resize(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) byKey[static_cast<size_t>(i)] = i;
        std::sort(byKey.begin(), byKey.end(),
                  [this](int32_t a, int32_t b) { return Compare(Within(a), Within(b), true) < 0; });
    }
    // The table's index of the file `key` names, or -1.
    int32_t Find(std::string_view key) const {
        const auto at = std::lower_bound(
            byKey.begin(), byKey.end(), key,
            [this](int32_t i, std::string_view k) { return CompareKey(i, k) < 0; });
        return at != byKey.end() && CompareKey(*at, key) == 0 ? *at : -1;
    }
    bool Usable(ListedHash hash) {
        const int h = static_cast<int>(hash);
        if (!usableKnown[h]) {
            usableKnown[h] = true;
            usable[h] = hash == ListedHash::Xxh128 || platform::Digest(KindOf(hash)).Usable();
        }
        return usable[h];
    }
    void Unchecked(UncheckedReason reason, std::string path, int64_t n = 0) {
        findings.Unchecked.push_back({reason, std::move(path), n});
    }
    // Reads the list at `path` (`key` within the location) piece by piece.
    void ReadList(const std::string& path, const std::string& key, ListName kind) {
        const size_t slash = key.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : key.substr(0, slash + 1);
        const bool text = kind == ListName::Text;
        if (text && !folder.empty() && !NameSpeaksOfSums(FileName(key))) return;
        const size_t expectationsBefore = expectations.size();
        const size_t unmatchedBefore = unmatched.size();
        const size_t unmatchedNamesBefore = unmatchedNames.size();
        const size_t uncheckedBefore = findings.Unchecked.size();
        const int32_t list = static_cast<int32_t>(lists.size());
        lists.push_back(path);
        IndexTable();
        ChecksumListReader reader(FileName(key));
        std::vector<ListedFile> entries;
        std::vector<char> buffer(static_cast<size_t>(kListPiece));
        int64_t outside = 0;
        bool unusableHash = false;
        bool matched = false;
        bool readable = false;
        bool ended = false;
        platform::InputFile file;
        if (calls->Open(file, path)) {
            for (int64_t piece = text ? kFirstTextPiece : kListPiece;; piece = kListPiece) {
                const int64_t got = calls->Read(file, buffer.data(), piece);
                if (got < 0 || calls->Abandoned()) break;
                entries.clear();
                if (got > 0) reader.Feed({buffer.data(), static_cast<size_t>(got)}, entries);
                if (got < piece) {
                    reader.End(entries);
                    ended = true;
                }
                // A text file is a list only when every line of it is an entry.
                if (text && reader.LinesNotUnderstood() > 0) break;
                for (ListedFile& entry : entries) {
                    std::string joined;
                    if (!JoinListedPath(folder, entry.Path, joined)) {
                        if (++outside <= kOutsideNamed) {
                            Unchecked(UncheckedReason::OutsideMedium,
                                      entry.Path.starts_with('/') || entry.Path.find(':') == 1
                                          ? entry.Path
                                          : LocationPath(location, folder + entry.Path));
                        }
                        continue;
                    }
                    if (!Usable(entry.Hash)) {
                        unusableHash = true;
                        continue;
                    }
                    const int32_t index = Find(joined);
                    if (index < 0) {
                        unmatched.push_back(unmatchedNames.size());
                        unmatchedNames.append(joined).push_back('\0');
                        continue;
                    }
                    matched = true;
                    Expectation e;
                    e.File = index;
                    e.List = list;
                    e.Hash = entry.Hash;
                    e.Bytes = LeadingBytes(entry.Expected, e.Digest);
                    expectations.push_back(e);
                }
                if (ended) {
                    readable = true;
                    break;
                }
            }
        }
        if (text &&
            (!readable || reader.LinesNotUnderstood() > 0 || (!matched && !folder.empty()) ||
             expectations.size() + unmatched.size() + static_cast<size_t>(outside) ==
                 expectationsBefore + unmatchedBefore)) {
            // No list after all: a text that only looked like one, or one that could not be
            // read (the run reads it again and reports it).
            expectations.resize(expectationsBefore);
            unmatched.resize(unmatchedBefore);
            unmatchedNames.resize(unmatchedNamesBefore);
            findings.Unchecked.resize(uncheckedBefore);
            lists.pop_back();
            return;
        }
        if (!readable && !calls->Abandoned()) Unchecked(UncheckedReason::ListUnusable, path);
        if (unusableHash && readable) Unchecked(UncheckedReason::ListUnusable, path);
        const int64_t lines =
            reader.LinesNotUnderstood() + std::max<int64_t>(0, outside - kOutsideNamed);
        if (lines > 0) Unchecked(UncheckedReason::ListLinesUnusable, path, lines);
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
    s.files = files;
    s.count = count;
    s.byKey.clear();
    s.lists.clear();
    s.expectations.clear();
    s.unmatched.clear();
    s.unmatchedNames.clear();
    s.findings = {};
    s.first = s.last = nullptr;
    for (int32_t i = 0; i < count && !calls.Abandoned(); ++i) {
        const std::string key = s.Key(files[i].Path);
        const ListName kind = ChecksumListName(FileName(key));
        if (kind != ListName::None) s.ReadList(files[i].Path, key, kind);
    }
    std::stable_sort(s.expectations.begin(), s.expectations.end(),
                     [](const Expectation& a, const Expectation& b) { return a.File < b.File; });
    s.expectations.shrink_to_fit();
}

bool ContentCheck::Needed() const {
    return m_state->fingerprints || !m_state->expectations.empty() || !m_state->unmatched.empty();
}

void ContentCheck::StartFile(const FileEntry& entry) {
    State& s = *m_state;
    s.bytes = 0;
    s.digests.clear();
    s.hashing = s.fingerprints;
    s.first = s.last = nullptr;
    if (!s.expectations.empty()) {
        // The run hands over the table's own entries; another one is looked up by its path.
        const bool inTable = s.count > 0 && &entry >= s.files && &entry < s.files + s.count;
        const int32_t index =
            inTable ? static_cast<int32_t>(&entry - s.files) : s.Find(s.Key(entry.Path));
        const auto range = std::equal_range(
            s.expectations.begin(), s.expectations.end(), Expectation{index},
            [](const Expectation& a, const Expectation& b) { return a.File < b.File; });
        if (index >= 0 && range.first != range.second) {
            s.first = &*range.first;
            s.last = s.first + (range.second - range.first);
        }
    }
    for (const Expectation* e = s.first; e != s.last; ++e) {
        if (e->Hash == ListedHash::Xxh128) {
            s.hashing = true;
            continue;
        }
        const bool known = std::any_of(s.digests.begin(), s.digests.end(),
                                       [e](const auto& d) { return d.first == e->Hash; });
        if (!known)
            s.digests.emplace_back(e->Hash, std::make_unique<platform::Digest>(KindOf(e->Hash)));
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
    for (auto& digest : s.digests) digest.second->Update(data, count);
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
        std::vector<std::pair<ListedHash, std::string>> results;
        for (auto& [hash, digest] : s.digests) results.emplace_back(hash, digest->HexFinal());
        results.emplace_back(ListedHash::Xxh128, print.Hash);
        // Every list that names the file gives its verdict: one that disagrees is a mismatch,
        // whatever the others say.
        bool agrees = true;
        for (const Expectation* e = s.first; e != s.last; ++e) {
            const auto got = std::find_if(results.begin(), results.end(),
                                          [e](const auto& r) { return r.first == e->Hash; });
            unsigned char bytes[kDigestBytes];
            if (got == results.end() || got->second.empty()) {
                const std::string& list = s.lists[static_cast<size_t>(e->List)];
                const bool named =
                    std::any_of(s.findings.Unchecked.begin(), s.findings.Unchecked.end(),
                                [&list](const UncheckedItem& u) { return u.Path == list; });
                if (!named) s.Unchecked(UncheckedReason::ListUnusable, list);
                continue;
            }
            const uint8_t n = LeadingBytes(got->second, bytes);
            agrees = agrees && n == e->Bytes && std::equal(bytes, bytes + n, e->Digest);
        }
        if (!agrees) s.findings.ChecksumMismatches.push_back(entry.Path);
    }
    s.digests.clear();
    s.first = s.last = nullptr;
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
        const auto name = [&s](size_t at) {
            return std::string_view(s.unmatchedNames.c_str() + at);
        };
        std::sort(s.unmatched.begin(), s.unmatched.end(),
                  [&name](size_t a, size_t b) { return name(a) < name(b); });
        s.unmatched.erase(std::unique(s.unmatched.begin(), s.unmatched.end(),
                                      [&name](size_t a, size_t b) { return name(a) == name(b); }),
                          s.unmatched.end());
        // Not in the table yet there (past the file limit): not missing, only not tested.
        // Asked in batches: one call to the medium's thread for thousands of names.
        std::vector<std::string> paths;
        std::vector<int64_t> sizes;
        for (size_t i = 0; i < s.unmatched.size(); i += paths.size()) {
            paths.clear();
            for (size_t k = i; k < s.unmatched.size() && paths.size() < 4096; ++k)
                paths.push_back(LocationPath(s.location, std::string(name(s.unmatched[k]))));
            s.calls->ListedSizes(s.location, paths, sizes);
            for (size_t k = 0; k < paths.size(); ++k) {
                if (k >= sizes.size() || sizes[k] < 0)
                    s.findings.ChecksumMissing.push_back(std::move(paths[k]));
            }
        }
    }
    s.unmatched.clear();
    s.unmatchedNames.clear();
    s.unmatchedNames.shrink_to_fit();
    s.expectations.clear();
    findings = std::move(s.findings);
    s.findings = {};
}

}  // namespace vorlaxis
