#pragma once

// The print service's side of a job, through the CUPS library: a connection
// whose every wait ends at a deadline (or when asked to stop), the queue's
// own state, and the texts its refusals give. Blocking: JobSender and
// PrintServiceCheck run these on threads of their own, never on the window's.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QString>

#include <atomic>
#include <memory>

namespace jf {

// Where the print service listens: a host name or a local socket's path,
// and the port. Taken on the thread that starts a job, where the program
// (and a test) chose its server.
struct CupsServer
{
    QByteArray host;
    int port = 0;

    static CupsServer current();
};

// One connection to the print service. A request that gets no answer within
// the timeout, or that is asked to stop, fails; `timedOut()` and `stopped()`
// tell which.
class CupsConnection
{
public:
    CupsConnection(const CupsServer& server, int answerTimeoutMs,
                   const std::atomic_bool* stop = nullptr);
    ~CupsConnection();
    CupsConnection(const CupsConnection&) = delete;
    CupsConnection& operator=(const CupsConnection&) = delete;

    // The connection, null when it could not be made (failure() says why).
    void* http() const { return m_http; }
    // It could not be made because nothing answered in time (where nothing
    // listens at all, the attempt fails at once).
    bool connectTimedOut() const;
    // Gives the next request the whole timeout again.
    void restartClock();
    bool timedOut() const { return m_timedOut; }
    bool stopped() const { return m_stop && m_stop->load(); }

    // From now on a stop no longer ends a wait at once: it leaves the
    // requests `milliseconds` in all (to learn the number of a job the
    // service may have made, and to take it back).
    void setStopGrace(int milliseconds) { m_graceMs = milliseconds; }
    // The service answered a request: a later deadline means it stopped
    // answering.
    void noteAnswered() { m_answered = true; }
    // The connection broke (or the service hung up) during a request.
    void noteLost() { m_lost = true; }

    // Why the last request failed, as a sentence's second half ("the
    // printer or class does not exist"): CUPS's own reason, or the deadline,
    // the stop or the lost connection that ended it. The deadline and the
    // lost connection are told with the time since the connection was made.
    QString failure() const;

    // Asked by the CUPS library while a request waits: false ends the wait.
    bool waitMore();

private:
    void* m_http = nullptr;
    QByteArray m_host;
    int m_timeoutMs;
    const std::atomic_bool* m_stop;
    QDeadlineTimer m_deadline;
    QElapsedTimer m_since;
    bool m_timedOut = false;
    bool m_answered = false;
    bool m_lost = false;
    int m_graceMs = -1;
    QDeadlineTimer m_graceEnd{QDeadlineTimer::Forever};
    QString m_connectFailure;
};

// What a queue says of itself.
struct QueueState
{
    // Empty when the queue is there and the service answered; otherwise why
    // a job cannot go to it.
    QString failure;
    // The printer is stopped: a job waits until it is resumed ("the printer
    // is stopped", with the printer's own message).
    QString stoppedNote;
};

// Asks the service for `queue` (a printer or a class).
QueueState queryQueue(CupsConnection& connection, const QByteArray& queue);

// CUPS's text for the last failure of this thread as the second half of a
// sentence: "Destination "X" is not accepting jobs." gives "destination "X"
// is not accepting jobs".
QString cupsReason(const QString& text);

// The queue's name as CUPS knows it: Qt names a printer's instance after a
// "/" ("Office/duplex").
QByteArray queueName(const QString& printerName);

} // namespace jf
