#pragma once

#include "JobSender.h"

#include <QByteArray>
#include <QString>

class QPrinter;

namespace jf {

// Qt's own printing onto a print queue, told truthfully. A QPainter on a
// QPrinter of a queue makes a PDF that Qt hands to CUPS when the painter
// ends, without looking at the answer: a refused job would pass in silence.
// So the queue is asked before the page is painted, and CUPS's answer is
// read right after the painter has ended.
//
//     PaintedJob job(printer, QStringLiteral("Cover"));   // may throw
//     QPainter painter(&printer); ...; painter.end();
//     job.confirm();                                       // may throw
//
// Nothing is asked or read for a printer that is not a queue (a PDF file).
class PaintedJob
{
public:
    // Asks the queue whether it is there, takes jobs and whether the print
    // service answers at all, on a thread of its own: the window goes on
    // painting meanwhile (input waits). Throws PrinterError
    // `The cover could not be sent to "Office": <CUPS's reason>`.
    PaintedJob(const QPrinter& printer, const QString& title);

    // Right after QPainter::end(), on the same thread: a job CUPS refused
    // throws the message above with CUPS's reason; an accepted one is told
    // through jobSender().announce, with its number, and returned.
    SentJob confirm();

private:
    bool m_queue = false;
    SentJob m_job;
    QByteArray m_user;
    int m_lastJobBefore = 0;
};

} // namespace jf
