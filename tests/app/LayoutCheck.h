// Checks that every caption of a window is shown whole: each label's and button's text fits
// its control, and no two captions of the same parent overlap.
#pragma once

class QWidget;

namespace vorlaxis::test {

void ExpectNothingClipped(const QWidget& window);

}  // namespace vorlaxis::test
