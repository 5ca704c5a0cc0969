#pragma once

// Handing a finished PDF to a print queue. Everything the print system is
// told travels in QueueJob, so this is the one place that knows how a job
// reaches it (today its command-line client, lp).

#include <QList>
#include <QString>
#include <utility>

namespace jf {

struct QueueJob
{
    QString queue;
    QString title;
    // Job options by their print system names, in order; a later one wins.
    // An empty value sends the name alone ("landscape").
    QList<std::pair<QString, QString>> options;
};

// Whether jobs can be handed to a queue on this machine.
bool canHandToQueue();

// Hands the PDF file at `pdfPath` to `job.queue`. False when that cannot be
// done here (see canHandToQueue) or the job names no queue; throws
// PrinterError "Printer selected is not valid" when the print system refuses
// the job.
bool handPdfToQueue(const QueueJob& job, const QString& pdfPath);

} // namespace jf
