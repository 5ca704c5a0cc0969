#pragma once

// Whether the print service answers, asked on a thread of its own before the
// window's thread lets Qt talk to it. Qt's print support asks the service on
// the thread that calls it (the printer lists, a new printer, the setup
// dialog's OK) and waits a minute or more for one that has hung; asked first
// with the bound of every wait for the print service, a hung service is told
// instead, and the window goes on working while it is asked.

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>

namespace jf {

class PrintServiceCheck : public QObject
{
    Q_OBJECT

public:
    PrintServiceCheck();

    // Returns once the service that this thread's CUPS calls go to has
    // answered, or when none runs there (Qt then finds no printers at once).
    // The event loop runs meanwhile. Throws PrinterError "The print service
    // at … did not answer within 20 seconds. " followed by `then` when it
    // gives no answer within the bound, and "Printing in progress" when
    // asked while an earlier question still waits.
    void require(const QString& then = tryAgain());

    // Runs `question` (calls to the print service that end soon after
    // `stop` is set, and throw nothing) on a thread of its own, the event
    // loop running meanwhile; returns once it has ended. Throws
    // PrinterError "Printing in progress" when another question waits.
    void askAside(const std::function<void(const std::atomic_bool& stop)>& question);

    // How long the service may take to answer (defaultAnswerTimeoutMs).
    void setAnswerTimeout(int milliseconds) { m_answerTimeoutMs = milliseconds; }

    // "Try again once it answers".
    static QString tryAgain();

signals:
    // The answer is slow in coming (half a second and more): the window
    // says that the service is being asked (askingNote) until askingEnded.
    void askingStarted();
    void askingEnded();

private:
    int m_answerTimeoutMs;
    bool m_asking = false;
};

// The tips line's note while the print service is being asked.
QString askingNote();

// The check of this run.
PrintServiceCheck& printServiceCheck();

} // namespace jf
