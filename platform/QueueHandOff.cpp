#include "QueueHandOff.h"

#include "JobSender.h"

namespace jf {

bool sendPdfToQueue(const QueueJob& job, const QByteArray& pdf)
{
    if (job.queue.isEmpty())
        return false;
    jobSender().send(job, pdf);
    return true;
}

} // namespace jf
