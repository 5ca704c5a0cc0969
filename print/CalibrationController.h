#pragma once

#include "CalibrationWindow.h"
#include "JobSender.h"
#include "PageLayout.h"
#include "Workspace.h"

#include <QObject>
#include <memory>

class QWidget;

namespace jf {

// The calibration: the table of corrections in the workspace
// (Calibration.txt), its window, the calibration page and the window's note
// of where that page went. What fails is thrown to the caller's guard; what
// the window asks for enters through one.
class CalibrationController : public QObject
{
    Q_OBJECT

public:
    // The window is made over `windowParent`.
    CalibrationController(Workspace& workspace, QWidget* windowParent);

    // Reads Calibration.txt; damaged lines are ignored and thrown as a note.
    void load();
    // Opens the window for the current printer; a destination that is not a
    // printer is refused.
    void open();
    // A job to a queue ended (JobSender::finished). When it was the
    // calibration page, the window no longer tells it is being sent, and
    // tells where it went when the queue took it.
    void jobEnded(const SentJob& job);
    // Made when first asked for, then kept.
    CalibrationWindow& window();

private:
    void printPage();
    void showSent(const QString& printer, int jobId);
    void save();
    void reset();

    Workspace& m_workspace;
    QWidget* m_windowParent;
    std::unique_ptr<CalibrationWindow> m_window;
    // The paper the last calibration page was printed on, which its
    // measurements are taken on.
    PaperOrientation m_paper = PaperOrientation::Portrait;
    // The calibrated queue while its calibration page is being sent.
    QString m_sentTo;
};

} // namespace jf
