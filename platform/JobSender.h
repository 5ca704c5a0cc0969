#pragma once

// Sending a finished PDF to a print queue with the CUPS library, on a thread
// of its own: the window goes on painting and answering while the print
// service takes the job (or fails to), and learns the outcome through
// JobSender::finished.

#include "QueueHandOff.h"

#include <QByteArray>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <atomic>
#include <thread>

namespace jf {

// How long the print service may take to answer one request of a job.
inline constexpr int defaultAnswerTimeoutMs = 20000;

// How a job to a queue ended.
struct SentJob
{
    QString queue;
    QString title;
    // The print service's number for the job it accepted; 0 when none.
    int jobId = 0;
    // Why the job did not reach the queue, as the second half of a sentence
    // (CUPS's own reason where it gives one); empty when it was accepted.
    QString failure;
    // Accepted, but it waits: the printer is stopped (its message).
    QString note;
    // Stopped on request (the program was closed while sending).
    bool cancelled = false;

    bool accepted() const { return jobId > 0 && failure.isEmpty(); }
};

// What a job is called in messages: "The cover" for a job titled "Cover",
// "The calibration page" for "Calibration page".
QString jobSubject(const QString& title);

// `The cover could not be sent to "Office": the printer is not accepting
// jobs` (the error report adds the full stop).
QString sendFailureMessage(const SentJob& job);

// `Sending the cover to "Office"…`: the main window's note while it is sent.
QString sendingNote(const QString& title, const QString& queue);

// " as job 12" after "went to ...", when the print service gave a number
// (jobId above 0); empty otherwise.
QString asJobNumber(int jobId);

// One job at a time goes to the print service. finished is emitted on the
// thread the sender lives on, once for every job started, after the job
// has reached the queue, failed or been cancelled.
class JobSender : public QObject
{
    Q_OBJECT

public:
    explicit JobSender(QObject* parent = nullptr);
    // Cancels a job still being sent and waits for its thread.
    ~JobSender() override;

    // True from send() until finished has been emitted.
    bool isSending() const { return m_sending; }
    // Throws PrinterError "Printing in progress" while isSending(): one job
    // at a time, refused before anything is asked of the user.
    void refuseWhileSending() const;
    // The job being sent, while isSending().
    const QueueJob& job() const { return m_job; }

    // Starts sending `pdf` as `job`: its queue, title and options (an
    // option with an empty value is left out, every other goes as one name
    // and one value). Only the queue's state is asked first: whether it is
    // there, and whether its printer is stopped (the job then goes with a
    // note). A queue that refuses jobs says so when the job itself is sent,
    // which comes as a failure through finished. Throws PrinterError
    // "Printing in progress" while another job is being sent and "Printer
    // selected is not valid" for a job without a queue.
    void send(const QueueJob& job, const QByteArray& pdf);

    // Asks the job being sent to stop. One the service has not taken whole
    // leaves nothing in the queue; one it made meanwhile is taken back
    // there. Either way the sending thread ends within about two seconds,
    // however the service behaves; finished follows, with `cancelled` set
    // when the job was stopped in time.
    void cancel();

    // How long the print service may take to answer a request before the
    // job fails (defaultAnswerTimeoutMs).
    void setAnswerTimeout(int milliseconds) { m_answerTimeoutMs = milliseconds; }
    // The print service jobs go to (a host name or a local socket's path);
    // empty: the one the program is set up for (CupsServer::current()).
    void setServer(const QByteArray& host) { m_server = host; }

signals:
    void sendingStarted(const QString& title, const QString& queue);
    void finished(const jf::SentJob& job);

private:
    void finish(const SentJob& job);

    bool m_sending = false;
    QueueJob m_job;
    std::thread m_thread;
    std::atomic_bool m_stop{false};
    int m_answerTimeoutMs;
    QByteArray m_server;
};

// The sender of this run, made when first used.
JobSender& jobSender();

} // namespace jf

Q_DECLARE_METATYPE(jf::SentJob)
