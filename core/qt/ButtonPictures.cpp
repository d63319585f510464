#include "core/qt/ButtonPictures.h"

#include <QAbstractButton>
#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace vorlaxis::gui {

QIcon ButtonIcon(PictureKind kind) {
    if (kind == PictureKind::None) return {};
    QIcon icon;
    for (const int size : {16, 32}) {
        const std::vector<uint32_t> pixels = PicturePixels(kind, size);
        // The pixels are 0xAARRGGBB premultiplied, as this image format keeps them; copied,
        // because the image only borrows them.
        const QImage image(reinterpret_cast<const uchar*>(pixels.data()), size, size,
                           QImage::Format_ARGB32_Premultiplied);
        icon.addPixmap(QPixmap::fromImage(image.copy()));
    }
    return icon;
}

void SetButtonPictures(QWidget& window) {
    const QByteArray windowName = window.objectName().toUtf8();
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        const QByteArray buttonName = button->objectName().toUtf8();
        const PictureKind kind =
            PictureOf(std::string_view(windowName.data(), static_cast<size_t>(windowName.size())),
                      std::string_view(buttonName.data(), static_cast<size_t>(buttonName.size())));
        if (kind != PictureKind::None) button->setIcon(ButtonIcon(kind));
    }
}

}  // namespace vorlaxis::gui
