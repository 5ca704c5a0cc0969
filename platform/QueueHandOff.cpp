#include "QueueHandOff.h"

#include "Errors.h"
#include "JobSender.h"
#include "SafeFileIO.h"

namespace jf {

bool canHandToQueue()
{
    return true; // the CUPS library is part of the program
}

bool handPdfToQueue(const QueueJob& job, const QString& pdfPath)
{
    if (job.queue.isEmpty())
        return false;
    if (jobSender().isSending())
        throw PrinterError(QStringLiteral("Printing in progress"));
    QByteArray pdf;
    if (readFileBytes(pdfPath, pdf) != 0)
        throw PrinterError(QStringLiteral("Printer selected is not valid"));
    jobSender().send(job, pdf);
    return true;
}

} // namespace jf
