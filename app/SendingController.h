#pragma once

#include "JobSender.h"

#include <QObject>
#include <functional>

class QWidget;

namespace jf {

// Jobs on their way to a queue, as the main window tells them: its tips
// line says while one is sent (and while a slow print service is asked),
// then how it ended, a failure in a message box. It also decides whether
// closing the window may end the program while a job is on its way.
class SendingController : public QObject
{
    Q_OBJECT

public:
    // The main window's note in its tips line (TipsLine::showNote).
    using ShowNote = std::function<void(const QString& text, bool kept)>;

    // `window` is closed once a job it waited for has gone.
    SendingController(QWidget* window, ShowNote showNote);

    // Whether closing the window may end the program. A job on its way is
    // cancelled only when the user says so; "No" ends the program once the
    // job has been sent (a job that fails keeps it open, the failure shown).
    // Then `listsSaved` saves what ending saves and tells whether the program
    // may end: a close it keeps open keeps the job too. Only when the program
    // really ends is a job still on its way taken back.
    bool mayEnd(const std::function<bool()>& listsSaved);

signals:
    // A job ended (JobSender::finished), before the window tells how.
    void jobEnding(const jf::SentJob& job);

private:
    void jobFinished(const SentJob& job);

    QWidget* m_window;
    ShowNote m_showNote;
    // Whether a close waits for the job being sent.
    bool m_quitWhenSent = false;
};

} // namespace jf
