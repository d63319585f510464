#include "results/Comparison.h"

#include <unordered_map>

namespace vorlaxis {

namespace {

// The content's kind of change of a file read whole now, if any: `before` may be an unreadable
// file's last good fingerprint.
bool ContentChange(const FileFingerprint& before, const FileFingerprint& now, ChangeKind& kind) {
    if (before.Hash.empty() || before.Hash == now.Hash) return false;
    const bool looksSame = before.Size == now.Size && before.Modified == now.Modified;
    kind = looksSame ? ChangeKind::Silent : ChangeKind::Edited;
    return true;
}

// The kinds a file present in both records falls into: one, or for a file that reads again
// with other content than it last had, that change too.
std::vector<ChangeKind> Classify(const FileFingerprint& before, const FileFingerprint& now) {
    if (!now.Readable)
        return before.Readable ? std::vector{ChangeKind::NewlyUnreadable}
                               : std::vector<ChangeKind>{};
    std::vector<ChangeKind> kinds;
    ChangeKind kind = ChangeKind::Silent;
    if (ContentChange(before, now, kind)) kinds.push_back(kind);
    if (!before.Readable) kinds.push_back(ChangeKind::ReadableAgain);
    return kinds;
}

}  // namespace

std::vector<std::string> Comparison::PathsOf(ChangeKind kind) const {
    std::vector<std::string> paths;
    for (const FileChange& change : Changes) {
        if (change.Kind == kind) paths.push_back(change.Path);
    }
    return paths;
}

bool Comparison::Has(ChangeKind kind) const {
    for (const FileChange& change : Changes) {
        if (change.Kind == kind) return true;
    }
    return false;
}

Comparison CompareRecords(const TestRecord& earlier, const TestRecord& now) {
    std::unordered_map<std::string, const FileFingerprint*> before;
    for (const FileFingerprint& f : earlier.Files) before.emplace(f.Path, &f);
    std::vector<std::vector<std::string>> byKind(kChangeKinds);
    for (const FileFingerprint& f : now.Files) {
        const auto found = before.find(f.Path);
        if (found == before.end()) {
            byKind[static_cast<size_t>(ChangeKind::New)].push_back(f.Path);
            continue;
        }
        for (const ChangeKind kind : Classify(*found->second, f))
            byKind[static_cast<size_t>(kind)].push_back(f.Path);
        before.erase(found);
    }
    for (const FileFingerprint& f : earlier.Files) {
        if (before.contains(f.Path))
            byKind[static_cast<size_t>(ChangeKind::Missing)].push_back(f.Path);
    }
    Comparison comparison;
    comparison.EarlierDate = earlier.Date;
    for (int k = 0; k < kChangeKinds; ++k) {
        for (std::string& path : byKind[static_cast<size_t>(k)])
            comparison.Changes.push_back({static_cast<ChangeKind>(k), std::move(path)});
    }
    return comparison;
}

const char* ChangeKindKey(ChangeKind kind) {
    static const char* const kKeys[kChangeKinds] = {
        "changed", "edited", "missing", "new", "newly_unreadable", "readable_again"};
    return kKeys[static_cast<int>(kind)];
}

const char* ChangeKindText(ChangeKind kind) {
    switch (kind) {
        case ChangeKind::Silent:
            return "Změněný obsah při stejné velikosti a datu změny";
        case ChangeKind::Edited:
            return "Upravené soubory";
        case ChangeKind::Missing:
            return "Chybějící soubory";
        case ChangeKind::New:
            return "Nové soubory";
        case ChangeKind::NewlyUnreadable:
            return "Nově nečitelné soubory";
        case ChangeKind::ReadableAgain:
        default:
            return "Opět čitelné soubory";
    }
}

std::string ComparisonSummary(const Comparison& comparison) {
    std::string text = "Změny od testu " + comparison.EarlierDate + ":";
    for (int k = 0; k < kChangeKinds; ++k) {
        const auto kind = static_cast<ChangeKind>(k);
        const size_t count = comparison.PathsOf(kind).size();
        if (count > 0)
            text += "\n  " + std::string(ChangeKindText(kind)) + ": " + std::to_string(count);
    }
    return text;
}

}  // namespace vorlaxis
