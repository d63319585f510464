// TSlowFileListForm: the readable but slow files of the last tested location, beside the
// bad-file list and laid out like it, with a column for each file's read speed.
#pragma once

#include <vector>

#include "results/SlowFileResults.h"
#include "results/qt/ErrorListUnit.h"

namespace vorlaxis::gui {

class TSlowFileListForm final : public TErrorListForm {
    Q_OBJECT

  public:
    explicit TSlowFileListForm(QWidget* parent = nullptr);

    // Replaces the rows.
    void SetRows(const std::vector<SlowFileRow>& rows);
};

}  // namespace vorlaxis::gui
