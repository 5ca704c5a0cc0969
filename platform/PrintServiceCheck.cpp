#include "PrintServiceCheck.h"

#include "CupsService.h"
#include "Errors.h"
#include "JobSender.h"

#include <QEventLoop>
#include <QScopeGuard>
#include <QTimer>

#include <cups/cups.h>

#include <atomic>
#include <thread>

namespace jf {

namespace {

// After this long without an answer the window says that it is asking.
constexpr int kSlowAnswerMs = 500;

// Asks the service a question every scheduler answers at once (its default
// destination). Empty when it answered or does not run; otherwise why not.
QString askService(const CupsServer& server, int timeoutMs, const std::atomic_bool& stop)
{
    CupsConnection connection(server, timeoutMs, &stop);
    if (connection.http())
        ippDelete(cupsDoRequest(static_cast<http_t*>(connection.http()),
                                ippNewRequest(IPP_OP_CUPS_GET_DEFAULT), "/"));
    if (connection.stopped())
        return QStringLiteral("The program ended before the print service answered");
    // Where nothing listens, connecting fails at once, for Qt too.
    if (connection.http() ? !connection.timedOut() : !connection.connectTimedOut())
        return {};
    QString failure = connection.failure();
    failure[0] = failure[0].toUpper();
    return failure;
}

} // namespace

PrintServiceCheck::PrintServiceCheck() : m_answerTimeoutMs(defaultAnswerTimeoutMs) {}

QString PrintServiceCheck::tryAgain()
{
    return QStringLiteral("Try again once it answers");
}

void PrintServiceCheck::require(const QString& then)
{
    const CupsServer server = CupsServer::current();
    QString failure;
    askAside([&, timeout = m_answerTimeoutMs](const std::atomic_bool& stop) {
        failure = askService(server, timeout, stop);
    });
    if (!failure.isEmpty())
        throw PrinterError(failure + QStringLiteral(". ") + then);
}

void PrintServiceCheck::askAside(const std::function<void(const std::atomic_bool&)>& question)
{
    if (m_asking)
        throw PrinterError(QStringLiteral("Printing in progress"));
    m_asking = true;
    const auto asked = qScopeGuard([this] { m_asking = false; });

    std::atomic_bool stop{false};
    QEventLoop loop;
    QObject waiting;
    std::thread asking([&] {
        question(stop);
        QMetaObject::invokeMethod(
            &waiting, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    QTimer slow;
    slow.setSingleShot(true);
    bool told = false;
    connect(&slow, &QTimer::timeout, this, [&] {
        told = true;
        emit askingStarted();
    });
    slow.start(kSlowAnswerMs);
    // Returns early only when the program quits meanwhile: then the question
    // is given up.
    loop.exec();
    stop = true;
    asking.join();
    slow.stop();
    if (told)
        emit askingEnded();
}

QString askingNote()
{
    return QStringLiteral("Asking the print service\u2026");
}

PrintServiceCheck& printServiceCheck()
{
    static PrintServiceCheck check;
    return check;
}

} // namespace jf
