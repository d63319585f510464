#include "results/AfterLocation.h"

#include "engine/TestRun.h"
#include "results/History.h"

namespace vorlaxis {

void FollowLocationResults(const TestSession& session, const std::string& location,
                           const std::string& historyFolder, bool closing, Dialogs& dialogs,
                           const FollowUpWindows& windows, FollowUpState& state) {
    state.GraphLocation = location;
    state.GraphFiles = session.FileSpeeds;
    if (!closing) {
        const std::vector<SlowFileRow> rows = SlowFileRows(session.FileSpeeds);
        OfferSlowFileList(dialogs, rows.size(), [&] { windows.ShowSlowFileList(rows); });
    }
    std::optional<ChangesView> view;
    UncheckedList notCompared;
    if (!historyFolder.empty()) {
        // Made as the run ended where it was given the comparison, else now.
        const HistoryStep step = state.PendingStep ? std::move(*state.PendingStep)
                                                   : KeepHistory(historyFolder, session, location);
        state.PendingStep.reset();
        if (!step.Error.empty() && !closing) {
            dialogs.MessageBox(RecordNotSavedText(historyFolder), "Vorlaxis", MsgButtons::Ok,
                               MsgIcon::Warning);
        }
        if (step.Changes && step.Changes->Any()) view = MakeChangesView(*step.Changes, location);
        notCompared = step.Unchecked;
    }
    // Findings without a record to compare with still open a view of their own.
    auto viewOfLocation = [&]() -> ChangesView& {
        if (!view) {
            view.emplace();
            view->Location = location;
        }
        return *view;
    };
    const ContentFindings& content = session.Content;
    if (!content.ChecksumMismatches.empty() || !content.ChecksumMissing.empty())
        AddChecksumFindings(viewOfLocation(), content.ChecksumMismatches, content.ChecksumMissing);
    const SourceFindings& source = session.Source;
    if (source.Differ()) AddSourceFindings(viewOfLocation(), source);
    UncheckedList unchecked = session.Unchecked;
    unchecked.insert(unchecked.end(), source.Unchecked.begin(), source.Unchecked.end());
    if (!unchecked.empty()) AddUnchecked(viewOfLocation(), unchecked);
    if (!notCompared.empty()) AddUncheckedComparisons(viewOfLocation(), notCompared);
    // A comparison with the source folder that found nothing different says so: silence
    // would leave the one asking in doubt.
    const bool compared = !source.Source.empty() && !session.Statistics.StopRequested;
    if (!view) {
        if (compared && !closing) {
            dialogs.MessageBox(SourceSameText(source.Source), kSourceComparisonTitle,
                               MsgButtons::Ok, MsgIcon::Information);
        }
        return;
    }
    state.LastChanges = std::move(*view);
    if (closing) return;
    // Only a read mode chosen that compares nothing: no files to list, and no question after
    // every location of such a test. The menu command says it instead of an older comparison.
    if (state.LastChanges->Groups.empty()) return;
    const MsgResult answer =
        dialogs.MessageBox(ChangesQuestion(*state.LastChanges), kChangesTitle, MsgButtons::YesNo,
                           state.LastChanges->Alarming ? MsgIcon::Warning : MsgIcon::Information);
    if (answer == MsgResult::Yes) windows.ShowChanges(*state.LastChanges);
}

void ShowLastComparison(const FollowUpState& state, Dialogs& dialogs,
                        const FollowUpWindows& windows) {
    if (!state.LastChanges) {
        dialogs.MessageBox(kNoComparisonText, kChangesTitle, MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    windows.ShowChanges(*state.LastChanges);
}

}  // namespace vorlaxis
