#include "JobSender.h"

#include "CupsService.h"
#include "Errors.h"

#include <QScopeGuard>

#include <cups/cups.h>

namespace jf {

namespace {

constexpr qsizetype kChunkBytes = 64 * 1024;

// Takes a job the queue had accepted back out of it, on a connection of its
// own (the sending one may be broken by then).
void withdrawJob(const CupsServer& server, const QByteArray& queue, int jobId, int timeoutMs)
{
    CupsConnection connection(server, timeoutMs);
    if (connection.http())
        cupsCancelJob2(static_cast<http_t*>(connection.http()), queue.constData(), jobId, 0);
}

// The whole job, on the sending thread.
SentJob sendNow(const CupsServer& server, const QueueJob& job, const QByteArray& pdf, int timeoutMs,
                const std::atomic_bool& stop)
{
    SentJob outcome;
    outcome.queue = job.queue;
    outcome.title = job.title;
    const QByteArray queue = queueName(job.queue);
    const QByteArray title = job.title.toUtf8();

    CupsConnection connection(server, timeoutMs, &stop);
    const auto failed = [&] {
        outcome.failure = connection.failure();
        outcome.cancelled = connection.stopped();
        return outcome;
    };
    const QueueState state = queryQueue(connection, queue);
    if (!state.failure.isEmpty())
        return failed();
    outcome.note = state.stoppedNote;

    // Each option is one name and one value, whatever the value holds.
    cups_option_t* options = nullptr;
    int count = 0;
    for (const auto& [name, value] : job.options) {
        if (!name.isEmpty() && !value.isEmpty())
            count = cupsAddOption(name.toUtf8().constData(), value.toUtf8().constData(), count,
                                  &options);
    }
    const auto freeOptions = qScopeGuard([&] { cupsFreeOptions(count, options); });

    http_t* http = static_cast<http_t*>(connection.http());
    connection.restartClock();
    const int jobId = cupsCreateJob(http, queue.constData(), title.constData(), count, options);
    if (jobId <= 0)
        return failed();
    const auto withdraw = [&] {
        withdrawJob(server, queue, jobId, timeoutMs);
        return failed();
    };
    connection.restartClock();
    if (cupsStartDocument(http, queue.constData(), jobId, title.constData(), CUPS_FORMAT_PDF, 1) !=
        HTTP_STATUS_CONTINUE)
        return withdraw();
    for (qsizetype at = 0; at < pdf.size(); at += kChunkBytes) {
        if (stop)
            return withdraw();
        connection.restartClock();
        if (cupsWriteRequestData(http, pdf.constData() + at,
                                 size_t(std::min(kChunkBytes, pdf.size() - at))) !=
            HTTP_STATUS_CONTINUE)
            return withdraw();
    }
    connection.restartClock();
    if (cupsFinishDocument(http, queue.constData()) > IPP_STATUS_OK_CONFLICTING)
        return withdraw();
    outcome.jobId = jobId;
    return outcome;
}

} // namespace

QString jobSubject(const QString& title)
{
    if (title.isEmpty())
        return QStringLiteral("The page");
    return QStringLiteral("The ") + title.left(1).toLower() + title.mid(1);
}

QString sendFailureMessage(const SentJob& job)
{
    return QStringLiteral("%1 could not be sent to \"%2\": %3")
        .arg(jobSubject(job.title), job.queue, job.failure);
}

QString sendingNote(const QString& title, const QString& queue)
{
    QString subject = jobSubject(title);
    subject[0] = subject[0].toLower();
    return QStringLiteral("Sending %1 to \"%2\"\u2026").arg(subject, queue);
}

JobSender::JobSender(QObject* parent) : QObject(parent), m_answerTimeoutMs(defaultAnswerTimeoutMs)
{
}

JobSender::~JobSender()
{
    cancel();
    if (m_thread.joinable())
        m_thread.join();
}

void JobSender::send(const QueueJob& job, const QByteArray& pdf)
{
    refuseWhileSending();
    if (job.queue.isEmpty())
        throw PrinterError(QStringLiteral("Printer selected is not valid"));
    m_job = job;
    m_sending = true;
    m_stop = false;
    CupsServer server = CupsServer::current();
    if (!m_server.isEmpty())
        server.host = m_server;
    m_thread = std::thread([this, server, job, pdf, timeout = m_answerTimeoutMs] {
        const SentJob outcome = sendNow(server, job, pdf, timeout, m_stop);
        QMetaObject::invokeMethod(
            this, [this, outcome] { finish(outcome); }, Qt::QueuedConnection);
    });
    emit sendingStarted(job.title, job.queue);
}

void JobSender::refuseWhileSending() const
{
    if (m_sending)
        throw PrinterError(QStringLiteral("Printing in progress"));
}

void JobSender::cancel()
{
    m_stop = true;
}

void JobSender::finish(const SentJob& job)
{
    if (m_thread.joinable())
        m_thread.join();
    m_sending = false;
    emit finished(job);
}

JobSender& jobSender()
{
    static JobSender sender;
    return sender;
}

} // namespace jf
