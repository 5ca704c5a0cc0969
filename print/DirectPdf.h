#pragma once

#include "PrintPage.h"

#include <QByteArray>

class QIODevice;

namespace jf {

// Whether a cover's picture can go into a PDF file as it is: a plain JPEG
// (Picture::plainJpeg) that every PDF reader draws as the preview does
// (jpegPassesThrough), with a place on the page.
bool passesThrough(const PlacedCover& cover);

// Pages whose every picture passes through, written straight into a PDF
// file: each JPEG file embedded as it is (no decoding, no second
// compression), over its border ring and the cover's white area, clipped to
// that area. The whole picture is placed by a transform where the part that
// prints lands (quarter-turned covers turned) and clipped by a path to the
// cover's picture box and clip; the cut marks as lines.
// Each page has the sheet's size; the catalogue asks viewers to print at
// actual size (/PrintScaling /None). Returns false when the device fails.
bool writeDirectPdf(QIODevice& out, const QList<PrintPage>& pages);

// The same file's bytes.
QByteArray directPdf(const QList<PrintPage>& pages);

} // namespace jf
