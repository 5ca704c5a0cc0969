#pragma once

#include "CoverPrintJob.h"
#include "DiscLabelWindow.h"
#include "DiscTrayLookup.h"
#include "JobSender.h"
#include "Workspace.h"

#include <QHash>
#include <QObject>
#include <functional>
#include <memory>

class QWidget;

namespace jf {

// Disc labels: the hole (Disc.ins) and each printer's disc settings
// (DiscCalibration.txt) in the workspace, the "Disc Label..." window, what
// each printer offers for discs (asked aside, DiscTrayLookup) and the
// printing on a disc tray: "Print Cover" of a disc label and the disc test
// page. Every change is written to its file before it is taken up. What
// fails is thrown to the caller's guard; what the window asks for enters
// through one.
class DiscLabelController : public QObject
{
    Q_OBJECT

public:
    // The window is made over `windowParent`.
    DiscLabelController(Workspace& workspace, QWidget* windowParent);

    // Reads Disc.ins, then DiscCalibration.txt, also when the hole cannot be
    // read (that is reported); what cannot be read keeps its default.
    // Damaged lines are thrown as a note.
    void load();
    // Opens the window for the current printer and asks what it offers.
    void open();
    // The current printer may have changed: an open window shows the new
    // one.
    void printerChanged();
    // Whether "Print Cover" of a disc label goes to the current printer's
    // disc tray (its "Print on the printer's disc tray" is on).
    bool printsOnTray() const;
    // "Print Cover" on the current printer's disc tray: the disc page with
    // the tray's options (DiscTrayPage.h), once it is known what the printer
    // offers; a printer found to have no tray (its driver changed since the
    // choice was made) prints `onPaper` instead. Throws the job's refusals
    // (discJob) and as printOnDiscTray.
    void printCover(const CoverRequest& cover, const std::function<void()>& onPaper);
    // A job to a queue ended (JobSender::finished). When it was the disc
    // test, the window tells where it went.
    void jobEnded(const SentJob& job);

    // Made when first asked for, then kept.
    DiscLabelWindow& window();
    DiscTrayLookup& lookup() { return m_lookup; }

signals:
    // The hole changed: what shows the disc draws it again.
    void holeChanged(int millimetres);

private:
    // Shows the current printer in the window and asks what it offers.
    void showPrinter();
    void described(const QString& printer, const DiscTray& tray);
    void setHole(int millimetres);
    void setSettings(const DiscPrinterSettings& settings);
    void printTest();
    // The tray `printer` offers, now when it is known, else once answered.
    void withTray(const QString& printer, const std::function<void(const DiscTray&)>& then);
    DiscRequest request(double diameterMm, const DiscPrinterSettings& settings) const;

    Workspace& m_workspace;
    QWidget* m_windowParent;
    std::unique_ptr<DiscLabelWindow> m_window;
    DiscTrayLookup m_lookup;
    // What each printer asked about this run offers, as the print service
    // told it.
    QHash<QString, DiscTray> m_trays;
    // The printer the window shows (empty: "Print to File (PDF)").
    QString m_printer;
    // A print waiting for what its printer offers.
    QString m_waitingFor;
    std::function<void(const DiscTray&)> m_waiting;
    // The printer the disc test page is being sent to.
    QString m_testSentTo;
};

} // namespace jf
