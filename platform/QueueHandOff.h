#pragma once

// Handing a finished PDF to a print queue. Everything the print system is
// told travels in QueueJob, so this is the one place that knows how a job
// reaches it: the CUPS library, on a thread of its own (JobSender.h).

#include <QByteArray>
#include <QList>
#include <QString>
#include <utility>

namespace jf {

struct QueueJob
{
    QString queue;
    QString title;
    // Job options by their print system names, in order; a later one wins.
    // Each goes to the print system as one name and one value, whatever the
    // value holds; an option with an empty value is left out.
    QList<std::pair<QString, QString>> options;
};

// Starts sending `pdf` to `job.queue` through jobSender() and returns at
// once. The outcome comes later, from JobSender::finished. False when the
// job names no queue; throws PrinterError "Printing in progress" while
// another job is being sent.
bool sendPdfToQueue(const QueueJob& job, const QByteArray& pdf);

} // namespace jf
