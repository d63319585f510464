#include "results/History.h"

#include "media/MediaInfo.h"
#include "platform/Volume.h"

namespace vorlaxis {

HistoryStep KeepHistory(const std::string& historyFolder, const TestSession& session,
                        const std::string& location) {
    HistoryStep step;
    if (!session.Content.Complete) return step;
    TestRecord record;
    record.Medium = {session.Statistics.VolumeLabel, session.Statistics.VolumeSerial,
                     platform::PathWithinVolume(location)};
    const platform::LocalDateTime now = session.WallClock.Now();
    record.Date = RecordDate(now);
    record.Mode = session.Statistics.ReadMode;
    record.FileCount = session.FileCount;
    record.UnreadableCount = static_cast<int64_t>(session.BadFiles.size());
    record.Checksum = NumToHex(session.DataChecksum, 4);
    record.Outcome = session.Display.outcomeText;
    record.Files = session.Content.Files;
    if (const auto earlier = LatestRecord(historyFolder, record.Medium))
        step.Changes = CompareRecords(*earlier, record);
    const Result<std::string> saved = SaveRecord(historyFolder, record, now);
    step.Recorded = saved.Ok();
    step.Error = saved.Error();
    return step;
}

}  // namespace vorlaxis
