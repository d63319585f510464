#include "results/History.h"

#include <unordered_map>

#include "media/MediaInfo.h"
#include "platform/Volume.h"

namespace vorlaxis {

namespace {

// A file that cannot be read now keeps what it was when last read whole.
void KeepLastGoodFingerprints(const TestRecord& earlier, TestRecord& now) {
    std::unordered_map<std::string_view, const FileFingerprint*> good;
    for (const FileFingerprint& f : earlier.Files) {
        if (!f.Hash.empty()) good.emplace(f.Path, &f);
    }
    for (FileFingerprint& f : now.Files) {
        if (f.Readable) continue;
        const auto found = good.find(f.Path);
        if (found == good.end()) continue;
        f.Size = found->second->Size;
        f.Modified = found->second->Modified;
        f.Hash = found->second->Hash;
    }
}

// Label and serial tell media apart, the path within the volume locations on one. A medium
// without a serial (none read, or 00000000) or a location whose place on its volume is unknown
// is told apart by the location's full path instead: two folders must never pass for one.
MediumIdentity IdentityOf(const TestSession& session, const std::string& location) {
    const std::string& serial = session.Statistics.VolumeSerial;
    std::optional<std::string> within = platform::PathWithinVolume(location);
    if (!within || serial.find_first_not_of('0') == std::string::npos)
        within = platform::FullFolderPath(location);
    return {session.Statistics.VolumeLabel, serial, *within};
}

}  // namespace

HistoryStep KeepHistory(const std::string& historyFolder, const TestSession& session,
                        const std::string& location) {
    HistoryStep step;
    if (!session.Content.Complete) {
        if (!session.Statistics.StopRequested && !session.CollectionFailed)
            step.Unchecked.push_back({UncheckedReason::NotCompared, ""});
        return step;
    }
    TestRecord record;
    record.Medium = IdentityOf(session, location);
    const platform::LocalDateTime now = session.WallClock.Now();
    record.Date = RecordDate(now);
    record.Mode = session.Statistics.ReadMode;
    record.FileCount = session.FileCount;
    record.UnreadableCount = static_cast<int64_t>(session.BadFiles.size());
    record.Checksum = NumToHex(session.DataChecksum, 4);
    record.Outcome = session.Display.outcomeText;
    record.Files = session.Content.Files;
    const EarlierRecord earlier = LatestRecord(historyFolder, record.Medium);
    if (earlier.Record) {
        step.Changes = CompareRecords(*earlier.Record, record);
        KeepLastGoodFingerprints(*earlier.Record, record);
    } else if (!earlier.Unusable.empty()) {
        step.Unchecked.push_back({UncheckedReason::RecordUnusable, earlier.Unusable});
    }
    const Result<std::string> saved = SaveRecord(historyFolder, record, now);
    step.Recorded = saved.Ok();
    step.Error = saved.Error();
    return step;
}

std::function<void(TestSession&)> HistoryBeforeLogEnd(const std::string& historyFolder,
                                                      const std::string& location, bool asked,
                                                      std::optional<HistoryStep>& step) {
    return [historyFolder, location, asked, &step](TestSession& session) {
        step = KeepHistory(historyFolder, session, location);
        for (const UncheckedItem& item : step->Unchecked) {
            if (asked || item.Reason != UncheckedReason::NotCompared)
                session.Unchecked.push_back(item);
        }
        if (!step->Changes) return;
        for (const std::string& path : step->Changes->PathsOf(ChangeKind::Silent))
            session.Content.SilentChanges.push_back(LocationPath(location, path));
    };
}

}  // namespace vorlaxis
