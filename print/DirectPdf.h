#pragma once

#include "PageLayout.h"

#include <QByteArray>
#include <QColor>
#include <QRectF>
#include <QSizeF>
#include <optional>

namespace jf {

// One cover page written straight into a PDF file: the picture's JPEG file
// embedded as it is (no decoding, no second compression), drawn at its place
// of the page layout over the border ring, all clipped to the page image.
struct DirectPdfPage
{
    QSizeF sheetPoints;           // the sheet, as printed (after any turn)
    QPointF printableMm;          // the printable area's corner on it
    PageLayout layout;            // where the page image lands
    QByteArray jpeg;              // the picture file
    QSize jpegSize;               // its pixels
    int components = 3;           // 1 grey, 3 colour
    QByteArray iccProfile;        // the colour space of its pixels; empty: device colours
    std::optional<QColor> border; // nothing when no border shows
};

// The PDF file's bytes.
QByteArray directPdf(const DirectPdfPage& page);

} // namespace jf
