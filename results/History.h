// After a location's whole read: compare it with the medium's last record, then add it to the
// history. Both window programs and vorlaxis-check call this.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "engine/TestRun.h"
#include "engine/Unchecked.h"
#include "results/Comparison.h"

namespace vorlaxis {

struct HistoryStep {
    bool Recorded = false;              // the run was added to the history
    std::optional<Comparison> Changes;  // there was an earlier record to compare with
    std::string Error;                  // why the record could not be written; earlier ones stay
    // The comparison that could not be made: the medium's last record is damaged (its path), or
    // the read mode did not read files whole. Not empty: the test is incomplete.
    UncheckedList Unchecked;
};

// Records nothing and compares nothing for a run that did not read every file whole: a stop or
// a tree that could not be collected is reported as such, another read mode as a comparison not
// made. A file unreadable now keeps its last good fingerprint in the new record, so a change of
// its content is still caught when it reads again. `historyFolder` ends in the separator.
HistoryStep KeepHistory(const std::string& historyFolder, const TestSession& session,
                        const std::string& location);

// The run's comparison with its records as it ends (TestSession::CompareWithRecords): KeepHistory
// into `step`, and what it found joins the run, so its log names it: a record that cannot be
// used, and a silent change; a comparison a read mode could not make only where `asked` (the
// user asked for records, not the window program keeping them on its own).
std::function<void(TestSession&)> HistoryBeforeLogEnd(const std::string& historyFolder,
                                                      const std::string& location, bool asked,
                                                      std::optional<HistoryStep>& step);

}  // namespace vorlaxis
