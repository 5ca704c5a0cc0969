#pragma once

#include "PrintPage.h"

#include <QList>
#include <QString>
#include <functional>

class QPainter;
class QPrinter;

namespace jf {

// Prints `pages` on the current printer as one job titled `title` (empty:
// the print system's default title), choosing the way:
//  - every picture passes through (passesThrough) and the printer is a PDF
//    file or a queue: the PDF is written straight (DirectPdf), each JPEG as
//    it is;
//  - otherwise the pages are painted (paintPage) into a PDF by Qt.
// Either PDF asks viewers to print at actual size and is written to the
// chosen file or sent to the queue with the job's options (JobSender); a
// printer that is neither (no queue at all) gets the pages painted by Qt's
// own print engine. Throws PrinterError "Printing in progress" while another
// job runs, "Printer selected is not valid" when the file cannot be written
// or the PDF cannot be made. Sending to a queue only starts here: whether
// the queue takes the job comes later, from JobSender::finished.
void printPages(const QList<PrintPage>& pages, const QString& title = QString());

// A job painted page by page on a printer: newPage between pages.
using PaintJob = std::function<void(QPrinter& printer, QPainter& painter)>;

// Prints a painted job on `printer` (the caller marks the job running): to
// a PDF file or a queue as a PDF that asks to print at actual size, else
// straight on Qt's print engine.
void printPainted(QPrinter& printer, const PaintJob& job);

// Asks PDF readers to print the file at `from` at its size: its catalogue
// gets /ViewerPreferences << /PrintScaling /None >>, everything else is
// copied as it is, into `to` (replaced in one step). Throws PrinterError
// "Printer selected is not valid" when either file fails.
void writePrintingAtActualSize(const QString& from, const QString& to);

} // namespace jf
