#include "CupsService.h"

#include <cups/cups.h>

#include <algorithm>
#include <cmath>

namespace jf {

namespace {

// How often a waiting request looks at its deadline and at the stop.
constexpr double pollSeconds = 0.2;
// Making the connection itself (a local socket, or a host on the network).
constexpr int connectTimeoutMs = 5000;

http_t* asHttp(void* http)
{
    return static_cast<http_t*>(http);
}

QString serverName(const QByteArray& host)
{
    return QString::fromLocal8Bit(host);
}

// "1 second", "22 seconds": a time that passed, rounded to whole seconds.
QString secondsText(qint64 milliseconds)
{
    const long seconds = std::max(1L, std::lround(double(milliseconds) / 1000.0));
    return QStringLiteral("%1 %2").arg(seconds).arg(seconds == 1 ? QStringLiteral("second")
                                                                 : QStringLiteral("seconds"));
}

int keepWaiting(http_t*, void* connection)
{
    return static_cast<CupsConnection*>(connection)->waitMore() ? 1 : 0;
}

} // namespace

CupsServer CupsServer::current()
{
    return {QByteArray(cupsServer()), ippPort()};
}

CupsConnection::CupsConnection(const CupsServer& server, int answerTimeoutMs,
                               const std::atomic_bool* stop)
    : m_host(server.host), m_timeoutMs(answerTimeoutMs), m_stop(stop)
{
    m_since.start();
    m_http = httpConnect2(server.host.constData(), server.port, nullptr, AF_UNSPEC,
                          cupsEncryption(), 1, connectTimeoutMs, nullptr);
    if (!m_http) {
        m_connectFailure = QStringLiteral("the print service at %1 cannot be reached (%2)")
                               .arg(serverName(m_host), cupsReason(cupsLastErrorString()));
        return;
    }
    restartClock();
    httpSetTimeout(asHttp(m_http), pollSeconds, &keepWaiting, this);
}

CupsConnection::~CupsConnection()
{
    if (m_http)
        httpClose(asHttp(m_http));
}

bool CupsConnection::connectTimedOut() const
{
    return !m_http && m_since.elapsed() >= connectTimeoutMs;
}

void CupsConnection::restartClock()
{
    m_deadline.setRemainingTime(m_timeoutMs);
    m_timedOut = false;
}

bool CupsConnection::waitMore()
{
    if (stopped()) {
        if (m_graceMs < 0)
            return false;
        if (m_graceEnd.isForever())
            m_graceEnd.setRemainingTime(m_graceMs);
        if (m_graceEnd.hasExpired()) {
            m_timedOut = true;
            return false;
        }
    }
    if (m_deadline.hasExpired()) {
        m_timedOut = true;
        return false;
    }
    return true;
}

QString CupsConnection::failure() const
{
    if (!m_http)
        return m_connectFailure;
    if (stopped())
        return QStringLiteral("sending was cancelled");
    const QString passed = secondsText(m_since.elapsed());
    if (m_timedOut && !m_answered)
        return QStringLiteral("the print service at %1 did not answer within %2")
            .arg(serverName(m_host), passed);
    if (m_timedOut)
        return QStringLiteral("the print service at %1 stopped answering; sending was given up "
                              "after %2")
            .arg(serverName(m_host), passed);
    if (m_lost)
        return QStringLiteral("the connection to the print service at %1 was lost after %2")
            .arg(serverName(m_host), passed);
    return cupsReason(cupsLastErrorString());
}

QueueState queryQueue(CupsConnection& connection, const QByteArray& queue)
{
    QueueState state;
    if (!connection.http()) {
        state.failure = connection.failure();
        return state;
    }
    static const char* const wanted[] = {"printer-state", "printer-state-message"};
    ipp_t* response = nullptr;
    // A queue is a printer or a class.
    for (const char* kind : {"printers", "classes"}) {
        char uri[HTTP_MAX_URI];
        httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                         "/%s/%s", kind, queue.constData());
        ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
        ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                      int(std::size(wanted)), nullptr, wanted);
        connection.restartClock();
        response = cupsDoRequest(asHttp(connection.http()), request, "/");
        if (response)
            connection.noteAnswered();
        if (cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND || connection.timedOut())
            break;
        ippDelete(response);
        response = nullptr;
    }
    if (!response || cupsLastError() > IPP_STATUS_OK_CONFLICTING) {
        state.failure = connection.failure();
        ippDelete(response);
        return state;
    }
    ipp_attribute_t* printerState = ippFindAttribute(response, "printer-state", IPP_TAG_ENUM);
    if (printerState && ippGetInteger(printerState, 0) == IPP_PSTATE_STOPPED) {
        ipp_attribute_t* message =
            ippFindAttribute(response, "printer-state-message", IPP_TAG_TEXT);
        const QString text =
            message ? QString::fromUtf8(ippGetString(message, 0, nullptr)).trimmed() : QString();
        state.stoppedNote = QStringLiteral("the printer is stopped");
        if (!text.isEmpty())
            state.stoppedNote += QStringLiteral(" (\"%1\")").arg(text);
    }
    ippDelete(response);
    return state;
}

QString cupsReason(const QString& text)
{
    QString reason = text.trimmed();
    while (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    // A sentence's first word, not a name or an abbreviation ("IPP").
    if (reason.size() > 1 && reason[0].isUpper() && reason[1].isLower())
        reason[0] = reason[0].toLower();
    return reason;
}

QByteArray queueName(const QString& printerName)
{
    return printerName.section(QLatin1Char('/'), 0, 0).toLocal8Bit();
}

} // namespace jf
