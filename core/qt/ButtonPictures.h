// Pictures beside the captions of the Qt buttons: the pictures and the table both faces share.
#pragma once

#include <QIcon>

#include "core/ButtonPictures.h"

class QWidget;

namespace vorlaxis::gui {

// The picture of `kind`, in the plain size and twice it for dense screens; a null icon for None.
QIcon ButtonIcon(PictureKind kind);

// Gives every button of `window` the picture the shared table names for it (the window and its
// buttons by their object names); the other buttons keep what they have.
void SetButtonPictures(QWidget& window);

}  // namespace vorlaxis::gui
