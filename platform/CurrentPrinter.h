#pragma once

#include "PageLayout.h"

#include <QString>

#include <memory>

class QPageLayout;
class QPrinter;
class QWidget;

namespace jf {

// The one printer selection of the run: the system's default printer,
// looked up the first time it is needed, replaced by every confirmed setup
// dialog, never saved. While a job's pages are being made (JobMark) the
// selection cannot be changed. The mark ends once the job has been handed
// to the sender, so the selection may change while that job is still on its
// way to its queue: the job took its queue and options along (QueueJob).
//
// The selection always paints from the corner of the printable area: its
// margins are the printer's own minimum margins (size and orientation kept,
// set in one page layout) and the print system is asked not to scale the
// page. That holds from its creation, for every printer put in by replace
// or the setup dialog, and after every change of its paper made here.
class CurrentPrinter
{
public:
    CurrentPrinter();
    ~CurrentPrinter();
    CurrentPrinter(const CurrentPrinter&) = delete;
    CurrentPrinter& operator=(const CurrentPrinter&) = delete;

    // The current printer, created on first use as the default destination
    // of the print system at high resolution. Where the print system has no
    // queue at all (or does not run), a PDF file printer ("Print to File
    // (PDF)", cover.pdf in the home folder). Throws PrinterError "There is no
    // default printer currently selected" when there are queues but none is
    // the default. Creating it asks the print service first
    // (PrintServiceCheck), and throws when it does not answer.
    QPrinter& printer();

    // Runs the printer-setup dialog (platform().printerSetup) on a copy of
    // the current settings (copyPrinterSettings). On confirmation the copy,
    // with all it carries and whatever the dialog changed, becomes the
    // current printer, or PrinterError "Printing in progress" is thrown while
    // a page is being printed; on cancel nothing changes. Throws "There is no
    // default printer currently selected" before any dialog opens when queues
    // exist but no default.
    bool runSetupDialog(QWidget* parent);

    // Replaces the selection, e.g. with a PDF-file printer; nullptr makes the
    // next use look up the system's default printer again.
    void replace(std::unique_ptr<QPrinter> printer);

    // Turns the paper to `orientation` (size kept), so the printer-setup
    // dialog shows it the next time it opens.
    void setPaperOrientation(PaperOrientation orientation);

    // The paper turned for a job about to start, the way setPaperOrientation
    // turns it; throws PrinterError "Printing in progress" while a page is
    // being printed.
    void turnPaperForJob(PaperOrientation orientation);

    // Puts back a page layout the printer had before (size and orientation).
    void restorePageLayout(const QPageLayout& layout);

    bool jobRunning() const { return m_jobRunning; }

    // Marks a page job for its lifetime; throws PrinterError "Printing in
    // progress" when one is already marked.
    class JobMark
    {
    public:
        explicit JobMark(CurrentPrinter& owner);
        ~JobMark();
        JobMark(const JobMark&) = delete;
        JobMark& operator=(const JobMark&) = delete;

    private:
        CurrentPrinter& m_owner;
    };

private:
    std::unique_ptr<QPrinter> m_printer;
    bool m_jobRunning = false;
};

// The selection of this run.
CurrentPrinter& currentPrinter();

// A new high-resolution printer with the whole configuration of `source`
// (made once the print service answered, PrintServiceCheck):
// printer name or PDF file, page layout, colour, duplex, copies, collation,
// page order and range, paper source, document name, and the print system's
// option list (driver options such as media type or input slot, job
// options).
std::unique_ptr<QPrinter> copyPrinterSettings(const QPrinter& source);

// The printer's paper as the page layout sees it: name, printable area in
// both orientations (the printer's own minimum margins), the orientation
// chosen and the resolution.
Paper paperOf(const QPrinter& printer);

// The print system's queue `printer` prints to; empty for "Print to File
// (PDF)" and any other destination without a queue name.
QString printerQueue(const QPrinter& printer);

} // namespace jf
