#pragma once

// One picture loaded from memory as the preview and a print use it: every
// input either loads and draws or fails with the loader's error.
#include "Errors.h"
#include "FuzzSupport.h"
#include "Picture.h"

#include <QPainter>

namespace jf::fuzz {

inline void loadAndDraw(const std::uint8_t* data, std::size_t size, const QString& extension)
{
    try {
        const Picture picture = loadPictureData(
            QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), extension);
        require(!picture.isNull(), "a loaded picture is never null");
        require(picture.scaledTo(QSize(37, 23)).size() == QSize(37, 23), "preview size");
        // Full decodes only while they stay small, so the run is not spent
        // on allocating large images the loader is allowed to make.
        const QSize full = picture.size();
        if (qint64(full.width()) * full.height() <= 1'000'000)
            require(picture.fullImage().size() == full, "full image size");
        QImage canvas(16, 16, QImage::Format_RGB32);
        QPainter painter(&canvas);
        picture.draw(painter, QRectF(1.5, 2, 11, 9.5));
    } catch (const Error&) {
    }
}

} // namespace jf::fuzz
