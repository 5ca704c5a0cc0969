#pragma once

// The disc test page: printed on a disc in the printer's tray, it shows how
// far from the disc's centre the printer puts a print.

#include "DiscTray.h"

#include <QByteArray>
#include <QString>

namespace jf {

// One PDF page of the size `job` asks for, with thin black circles of 20,
// 40, 60, 80, 100 and 116 mm diameter and a cross through their centre, where
// the job's ring lands (the page's centre moved by its ring offset).
QByteArray discTestPagePdf(const DiscJob& job);

// Sends the disc test page to `printerName`'s queue with the job's options
// (discQueueJob, sendPdfToQueue); the outcome comes from JobSender. Throws
// PrinterError "Printer selected is not valid" for a printer without a
// queue, and as JobSender::send.
void printDiscTestPage(const QString& printerName, const DiscJob& job);

} // namespace jf
