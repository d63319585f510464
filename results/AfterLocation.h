// What follows a location's bad-file results in the window programs: the readable but slow files
// offered in their list, the run added to the medium's history, and its differences from the last
// record together with what the medium's checksum files found offered in their window. Both faces
// call this, so the order and the questions are one rule; the faces only show the windows.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Dialogs.h"
#include "engine/SlowFiles.h"
#include "results/ChangesView.h"
#include "results/History.h"
#include "results/SlowFileResults.h"

namespace vorlaxis {

struct TestSession;

// The windows a face shows for the follow-up.
struct FollowUpWindows {
    std::function<void(const std::vector<SlowFileRow>&)> ShowSlowFileList;  // modally
    std::function<void(const ChangesView&)> ShowChanges;
};

// What the main window keeps of the locations tested since the start: the last one's files for
// the speed graph, and the last comparison for the menu command.
struct FollowUpState {
    std::string GraphLocation;  // empty before any test
    std::vector<FileSpeed> GraphFiles;
    std::optional<ChangesView> LastChanges;
    // The comparison with the records made as the last run ended (HistoryBeforeLogEnd), for the
    // follow-up to show; none where the run was not given it.
    std::optional<HistoryStep> PendingStep;
};

// After the bad-file results of `location`, the session's last: its files kept for the graph;
// its slow files offered; then, when `historyFolder` is not empty, the run recorded there (a
// record that cannot be written is reported); a difference from the medium's last record, or a
// file its checksum files contradict or miss, kept and offered; a damaged record named with a
// warning; a read mode that compared nothing kept for the menu command without a question; what
// a comparison with the source folder found different offered likewise, or its agreement said.
// `closing`: the window is gone, so nothing is asked, but the run is recorded.
void FollowLocationResults(const TestSession& session, const std::string& location,
                           const std::string& historyFolder, bool closing, Dialogs& dialogs,
                           const FollowUpWindows& windows, FollowUpState& state);

// The menu command: the last comparison in its window, or the message that there is none.
void ShowLastComparison(const FollowUpState& state, Dialogs& dialogs,
                        const FollowUpWindows& windows);

}  // namespace vorlaxis
