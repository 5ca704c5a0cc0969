#include "PaintedJob.h"

#include "CupsService.h"
#include "Errors.h"

#include <QEventLoop>
#include <QPrinter>
#include <QThread>

#include <cups/cups.h>

#include <optional>

namespace jf {

namespace {

// Runs `work` on a thread of its own while this thread's event loop keeps
// the windows painted and the timers running; input waits until it is done.
template <class Work> auto runBeside(Work work) -> decltype(work())
{
    std::optional<decltype(work())> result;
    QThread* thread = QThread::create([&] { result = work(); });
    QEventLoop loop;
    QObject::connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
    delete thread;
    return std::move(*result);
}

// The highest number of the queue's jobs that belong to `user` (all of them
// when `user` is empty) and lie above `above`; `lowest` takes the lowest such
// number instead.
int jobNumber(CupsConnection& connection, const QByteArray& queue, const QByteArray& user,
              int above, bool lowest)
{
    if (!connection.http())
        return 0;
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                     "/printers/%s", queue.constData());
    static const char* const wanted[] = {"job-id", "job-originating-user-name"};
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOBS);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "all");
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  int(std::size(wanted)), nullptr, wanted);
    connection.restartClock();
    ipp_t* response = cupsDoRequest(static_cast<http_t*>(connection.http()), request, "/");
    int found = 0;
    int id = 0;
    bool mine = user.isEmpty();
    const auto take = [&] {
        if (id > above && mine && (found == 0 || (lowest ? id < found : id > found)))
            found = id;
    };
    for (ipp_attribute_t* a = ippFirstAttribute(response); a; a = ippNextAttribute(response)) {
        const char* name = ippGetName(a);
        if (!name) { // the end of one job's attributes
            take();
            id = 0;
            mine = user.isEmpty();
        } else if (qstrcmp(name, "job-id") == 0) {
            id = ippGetInteger(a, 0);
        } else if (qstrcmp(name, "job-originating-user-name") == 0 && !user.isEmpty()) {
            mine = user == ippGetString(a, 0, nullptr);
        }
    }
    take();
    ippDelete(response);
    return found;
}

} // namespace

PaintedJob::PaintedJob(const QPrinter& printer, const QString& title)
{
    m_queue = printer.outputFormat() == QPrinter::NativeFormat && !printer.printerName().isEmpty();
    if (!m_queue)
        return;
    m_job.queue = printer.printerName();
    m_job.title = title;
    m_user = cupsUser();
    const CupsServer server = CupsServer::current();
    const QByteArray queue = queueName(m_job.queue);
    const auto [state, last] = runBeside([&] {
        CupsConnection connection(server, defaultAnswerTimeoutMs);
        QueueState queueState = queryQueue(connection, queue);
        if (queueState.failure.isEmpty() && !queueState.accepting)
            queueState.failure = QStringLiteral("the printer is not accepting jobs");
        const int lastJob =
            queueState.failure.isEmpty() ? jobNumber(connection, queue, {}, 0, false) : 0;
        return std::pair{queueState, lastJob};
    });
    if (!state.failure.isEmpty()) {
        m_job.failure = state.failure;
        throw PrinterError(sendFailureMessage(m_job));
    }
    m_job.note = state.stoppedNote;
    m_lastJobBefore = last;
}

SentJob PaintedJob::confirm()
{
    if (!m_queue)
        return m_job;
    // Qt handed the page to CUPS on this thread, as the painter ended; the
    // library keeps the answer to its last request for each thread.
    if (cupsLastError() > IPP_STATUS_OK_CONFLICTING) {
        m_job.failure = cupsReason(QString::fromUtf8(cupsLastErrorString()));
        throw PrinterError(sendFailureMessage(m_job));
    }
    const CupsServer server = CupsServer::current();
    const QByteArray queue = queueName(m_job.queue);
    m_job.jobId = runBeside([&] {
        CupsConnection connection(server, defaultAnswerTimeoutMs);
        return jobNumber(connection, queue, m_user, m_lastJobBefore, true);
    });
    jobSender().announce(m_job);
    return m_job;
}

} // namespace jf
