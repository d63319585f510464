// After a location's whole read: compare it with the medium's last record, then add it to the
// history. Both window programs and vorlaxis-check call this.
#pragma once

#include <optional>
#include <string>

#include "engine/TestRun.h"
#include "results/Comparison.h"

namespace vorlaxis {

struct HistoryStep {
    bool Recorded = false;              // the run was added to the history
    std::optional<Comparison> Changes;  // there was an earlier record to compare with
    std::string Error;                  // why the record could not be written; earlier ones stay
};

// Does nothing for a run that did not read every file whole (another read mode, a stop, a tree
// that could not be collected). `historyFolder` ends in the separator.
HistoryStep KeepHistory(const std::string& historyFolder, const TestSession& session,
                        const std::string& location);

}  // namespace vorlaxis
