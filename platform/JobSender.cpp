#include "JobSender.h"

#include "CupsService.h"
#include "Errors.h"

#include <QScopeGuard>

#include <cups/cups.h>

namespace jf {

namespace {

constexpr qsizetype kChunkBytes = 64 * 1024;
// What is left of the job's requests once the program asked it to stop
// after the whole document went: enough to learn the job's number and take
// the job back, short enough for a program that is ending.
constexpr int kStopGraceMs = 1500;

// Print-Job for `queue` with the job's name and options, each option one
// name and one value, as cupsCreateJob would make it.
ipp_t* printJobRequest(const QByteArray& queue, const QueueJob& job)
{
    cups_option_t* options = nullptr;
    int count = 0;
    for (const auto& [name, value] : job.options) {
        if (!name.isEmpty() && !value.isEmpty())
            count = cupsAddOption(name.toUtf8().constData(), value.toUtf8().constData(), count,
                                  &options);
    }
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                     "/printers/%s", queue.constData());
    ipp_t* request = ippNewRequest(IPP_OP_PRINT_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr,
                 job.title.toUtf8().constData());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                 CUPS_FORMAT_PDF);
    for (const ipp_tag_t group : {IPP_TAG_OPERATION, IPP_TAG_JOB, IPP_TAG_SUBSCRIPTION})
        cupsEncodeOptions2(request, count, options, group);
    cupsFreeOptions(count, options);
    return request;
}

// The whole job, on the sending thread. The queue is asked first; the job
// then goes in one request with its document, which the service takes up
// only once the whole document has arrived: a send that is cut off, given up
// or stopped on the way leaves no job behind.
SentJob sendNow(const CupsServer& server, const QueueJob& job, const QByteArray& pdf, int timeoutMs,
                const std::atomic_bool& stop)
{
    SentJob outcome;
    outcome.queue = job.queue;
    outcome.title = job.title;
    const QByteArray queue = queueName(job.queue);

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

    http_t* http = static_cast<http_t*>(connection.http());
    const QByteArray resource = "/printers/" + queue;
    ipp_t* request = printJobRequest(queue, job);
    connection.restartClock();
    http_status_t status = cupsSendRequest(http, request, resource.constData(),
                                           ippLength(request) + size_t(pdf.size()));
    ippDelete(request);
    for (qsizetype at = 0; status == HTTP_STATUS_CONTINUE && at < pdf.size(); at += kChunkBytes) {
        if (stop)
            return failed();
        connection.restartClock();
        status = cupsWriteRequestData(http, pdf.constData() + at,
                                      size_t(std::min(kChunkBytes, pdf.size() - at)));
    }
    if (status != HTTP_STATUS_CONTINUE && status != HTTP_STATUS_OK) {
        if (status == HTTP_STATUS_ERROR)
            connection.noteLost();
        return failed();
    }
    // The whole document went: the service may make the job any moment.
    connection.setStopGrace(kStopGraceMs);
    connection.restartClock();
    ipp_t* response = cupsGetResponse(http, resource.constData());
    const auto freeResponse = qScopeGuard([&] { ippDelete(response); });
    if (!response) {
        connection.noteLost();
        return failed();
    }
    if (cupsLastError() > IPP_STATUS_OK_CONFLICTING)
        return failed();
    ipp_attribute_t* id = ippFindAttribute(response, "job-id", IPP_TAG_INTEGER);
    const int jobId = id ? ippGetInteger(id, 0) : 0;
    if (stop) {
        if (jobId > 0)
            cupsCancelJob2(http, queue.constData(), jobId, 0);
        return failed();
    }
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

QString asJobNumber(int jobId)
{
    return jobId > 0 ? QStringLiteral(" as job %1").arg(jobId) : QString();
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
