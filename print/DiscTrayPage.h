#pragma once

// "Print Cover" of a disc label on a printer's disc tray: one page the size
// of the driver's disc page with the label's ring centred on it, no border
// and no guides, sent with the tray's options alone.

#include "CoverPrintJob.h"
#include "DiscTray.h"
#include "PrintPage.h"

#include <QByteArray>
#include <QString>

#include <functional>

class QPainter;

namespace jf {

// The disc page of `job`: the cover's picture in the ring of a disc as wide
// and high as the cover's boxes say (millimetres), with the cover's hole
// (41 mm when it has none), centred on the page and moved by the job's ring
// offset. Nothing prints outside the ring. The sizes are checked as "Print
// Cover" checks them (coverPixels).
PrintPage discTrayPage(const CoverRequest& cover, const DiscJob& job);

// The page as a PDF of the page's size: each JPEG as it is where the
// picture passes through (DirectPdf), else painted.
QByteArray discTrayPdf(const PrintPage& page);

// One PDF page `pagePoints` large (a disc tray's page), drawn by `paint` in
// dots of `dotsPerInch` from the page's corner. Throws PrinterError "Printer
// selected is not valid" when it cannot be drawn.
QByteArray paintedDiscPagePdf(QSizeF pagePoints, int dotsPerInch,
                              const std::function<void(QPainter&)>& paint);

// Starts sending `pdf`, titled `title`, to `printerName`'s queue with the
// job's options (discQueueJob, sendPdfToQueue); the outcome comes from
// JobSender. Throws PrinterError "Printer selected is not valid" for a
// printer without a queue, and as JobSender::send.
void sendToDiscTray(const QString& printerName, const QString& title, const DiscJob& job,
                    const QByteArray& pdf);

// Starts sending the cover's disc page to `printerName`'s queue with the
// job's options (discQueueJob); the outcome comes from JobSender. Throws
// PrinterError "Printer selected is not valid" for a printer without a
// queue, and as JobSender::send.
void printOnDiscTray(const QString& printerName, const CoverRequest& cover, const DiscJob& job);

} // namespace jf
