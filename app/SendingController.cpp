#include "SendingController.h"

#include "ErrorReport.h"
#include "Platform.h"
#include "PrintServiceCheck.h"

#include <QScopeGuard>
#include <QTimer>
#include <QWidget>

#include <utility>

namespace jf {

SendingController::SendingController(QWidget* window, ShowNote showNote)
    : m_window(window), m_showNote(std::move(showNote))
{
    JobSender& sender = jobSender();
    connect(&sender, &JobSender::sendingStarted, this,
            [this](const QString& title, const QString& queue) {
                m_showNote(sendingNote(title, queue), true);
            });
    connect(&sender, &JobSender::finished, this, guard(this, &SendingController::jobFinished));
    // The tips line tells while a slow print service is asked, then shows
    // what it showed before.
    PrintServiceCheck& check = printServiceCheck();
    connect(&check, &PrintServiceCheck::askingStarted, this,
            [this] { m_showNote(askingNote(), true); });
    connect(&check, &PrintServiceCheck::askingEnded, this, [this, &sender] {
        m_showNote(sender.isSending() ? sendingNote(sender.job().title, sender.job().queue)
                                      : QString(),
                   sender.isSending());
    });
}

bool SendingController::mayEnd(const std::function<bool()>& listsSaved)
{
    if (jobSender().isSending()) {
        // A job on its way is cancelled only when the user says so; else the
        // program ends once it has been sent.
        const QueueJob& job = jobSender().job();
        const QString question =
            QStringLiteral("%1 is still being sent to \"%2\". Cancel it and quit now?\n\n"
                           "Choose No to quit once it has been sent.")
                .arg(jobSubject(job.title), job.queue);
        MessageService* messages = platform().messages;
        if (!messages || !messages->askYesNo(question)) {
            m_quitWhenSent = true;
            return false;
        }
    }
    // The lists are saved first: a close they keep open keeps the job too.
    if (!listsSaved())
        return false;
    // The program ends: a job still on its way is taken back. The sending
    // thread stops within about two seconds; it is joined when the program
    // ends, after the window has gone.
    if (jobSender().isSending())
        jobSender().cancel();
    return true;
}

void SendingController::jobFinished(const SentJob& job)
{
    // A close that waited for the job comes once its outcome has been told;
    // a job that failed keeps the program open, with the failure shown.
    const bool quit = std::exchange(m_quitWhenSent, false) && job.failure.isEmpty();
    const auto close = qScopeGuard([this, quit] {
        if (quit)
            QTimer::singleShot(0, m_window, &QWidget::close);
    });
    emit jobEnding(job);
    if (job.cancelled)
        return;
    if (!job.failure.isEmpty()) {
        m_showNote(QString(), false);
        throw PrinterError(sendFailureMessage(job));
    }
    const QString sent = QStringLiteral("%1 went to \"%2\"").arg(jobSubject(job.title), job.queue) +
                         asJobNumber(job.jobId);
    m_showNote(sent + QLatin1Char('.'), false);
    if (!job.note.isEmpty()) {
        if (MessageService* messages = platform().messages)
            messages->showMessage(
                QStringLiteral("%1, but it waits there: %2.").arg(sent, job.note));
    }
}

} // namespace jf
