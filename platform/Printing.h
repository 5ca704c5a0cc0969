#pragma once

#include "PageLayout.h"

#include <QString>
#include <memory>

class QPrinter;
class QWidget;

namespace jf {

// The printer-setup dialog: printer, paper and orientation. Tests install a
// double through CurrentPrinter::setSetupService.
class PrinterSetupService
{
public:
    virtual ~PrinterSetupService() = default;
    // Runs the modal dialog prefilled with the settings of `printer`; true when
    // the user confirmed, in which case the choices have been written into
    // `printer`. On cancel `printer` may have been touched; the caller throws
    // it away.
    virtual bool run(QWidget* parent, QPrinter& printer) = 0;
};

// Qt's own print dialog, centred across the monitor of the active window
// with its top a third of the way down the monitor's free height.
class DesktopPrinterSetup final : public PrinterSetupService
{
public:
    bool run(QWidget* parent, QPrinter& printer) override;
};

// The one printer selection of the run: the system's default printer,
// looked up the first time it is needed, replaced by every confirmed setup
// dialog, never saved. While a page is being printed the selection cannot be
// changed.
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
    // the default.
    QPrinter& printer();

    // Runs the printer-setup dialog on a copy of the current settings
    // (copyPrinterSettings). On confirmation the copy, with all it carries and
    // whatever the dialog changed, becomes the current printer, or PrinterError
    // "Printing in progress" is thrown while a page is being printed; on
    // cancel nothing changes. Throws "There is no default printer currently
    // selected" before any dialog opens when queues exist but no default.
    bool runSetupDialog(QWidget* parent);

    // Replaces the selection, e.g. with a PDF-file printer; nullptr makes the
    // next use look up the system's default printer again.
    void replace(std::unique_ptr<QPrinter> printer);

    // The dialog in use; nullptr puts Qt's print dialog back.
    void setSetupService(PrinterSetupService* service);

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
    PrinterSetupService* m_setup = nullptr;
    bool m_jobRunning = false;
};

// The selection of this run.
CurrentPrinter& currentPrinter();

// A new high-resolution printer with the whole configuration of `source`:
// printer name or PDF file, page layout, colour, duplex, copies, collation,
// page order and range, paper source, document name, and the print system's
// option list (driver options such as media type or input slot, job
// options).
std::unique_ptr<QPrinter> copyPrinterSettings(const QPrinter& source);

// Makes the painter's origin the corner of the printable area: margins set to
// the printer's own minimum margins (size and orientation kept, set in one
// page layout), and no scaling by the print system.
void usePrintableAreaOrigin(QPrinter& printer);

// The printer's paper as the page layout sees it: name, printable area in
// both orientations (the printer's own minimum margins), the orientation
// chosen and the resolution.
Paper paperOf(const QPrinter& printer);

// Hands a finished PDF file to the print system for `printer`'s queue with
// the options a Qt print job would send: paper, orientation, copies,
// collation, sides and the option list the setup dialog chose. False when
// the print system's client (lp) is not there; throws PrinterError "Printer
// selected is not valid" when it refuses the job.
bool submitPdfToQueue(const QPrinter& printer, const QString& pdfPath);

// Turns the paper to `orientation` (size and margins kept in one page
// layout), so the printer-setup dialog shows it the next time it opens.
void setPaperOrientation(QPrinter& printer, PaperOrientation orientation);

} // namespace jf
