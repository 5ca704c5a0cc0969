#include "DiscLabelController.h"

#include "CurrentPrinter.h"
#include "DataFileFormats.h"
#include "DiscGeometry.h"
#include "DiscTestPage.h"
#include "DiscTrayPage.h"
#include "ErrorReport.h"
#include "NumberConvert.h"

#include <QPrinter>
#include <QScopeGuard>

#include <utility>

namespace jf {

namespace {

QString currentQueue()
{
    return printerQueue(currentPrinter().printer());
}

// Whether the print service told what the printer offers: a tray, or that
// it has none (not a service that could not be asked).
bool answered(const DiscTray& tray)
{
    return tray.has() || tray.missing == noDiscTrayReason() || tray.missing == noDiscPageReason() ||
           tray.missing == noDiscTrayForFileReason();
}

} // namespace

DiscLabelController::DiscLabelController(Workspace& workspace, QWidget* windowParent)
    : m_workspace(workspace), m_windowParent(windowParent)
{
    connect(&m_lookup, &DiscTrayLookup::described, this,
            guard(this, &DiscLabelController::described));
}

void DiscLabelController::load()
{
    guarded(
        [this] { m_workspace.discHoleMm = readDiscHole(m_workspace.folder.path(datafile::disc)); });
    const QString path = m_workspace.folder.path(datafile::discCalibration);
    DiscCalibrationTable table;
    const QList<int> damaged = table.read(path);
    m_workspace.discPrinters = table;
    reportDamagedLines(path, damaged);
}

DiscLabelWindow& DiscLabelController::window()
{
    if (m_window)
        return *m_window;
    m_window = std::make_unique<DiscLabelWindow>(m_windowParent);
    DiscLabelWindow* window = m_window.get();
    connect(window, &DiscLabelWindow::holeChosen, this, guard(this, &DiscLabelController::setHole));
    connect(window, &DiscLabelWindow::settingsChanged, this,
            guard(this, &DiscLabelController::setSettings));
    connect(window, &DiscLabelWindow::printTestRequested, this,
            guard(this, &DiscLabelController::printTest));
    return *m_window;
}

void DiscLabelController::open()
{
    DiscLabelWindow& shown = window();
    showPrinter(); // a printer that cannot be had opens nothing
    shown.showHole(m_workspace.discHoleMm);
    shown.show();
    shown.raise();
    shown.activateWindow();
}

void DiscLabelController::printerChanged()
{
    if (m_window && m_window->isVisible() && currentQueue() != m_printer)
        showPrinter();
}

void DiscLabelController::showPrinter()
{
    m_printer = currentQueue();
    window().showPrinter(m_printer, m_workspace.discPrinters.find(m_printer));
    m_lookup.ask(m_printer);
}

void DiscLabelController::described(const QString& printer, const DiscTray& tray)
{
    // A service that could not be asked is asked again next time.
    if (answered(tray))
        m_trays.insert(printer, tray);
    else
        m_trays.remove(printer);
    if (m_window && printer == m_printer) {
        m_window->showTray(tray.missing);
        m_window->showSettings(m_workspace.discPrinters.find(printer));
    }
    if (m_waiting && printer == m_waitingFor)
        std::exchange(m_waiting, {})(tray);
}

void DiscLabelController::withTray(const QString& printer,
                                   const std::function<void(const DiscTray&)>& then)
{
    const auto known = m_trays.constFind(printer);
    if (known != m_trays.cend()) {
        then(*known);
        return;
    }
    m_waitingFor = printer;
    m_waiting = then;
    m_lookup.ask(printer);
}

DiscRequest DiscLabelController::request(double diameterMm,
                                         const DiscPrinterSettings& settings) const
{
    return {diameterMm, m_workspace.discHoleMm, settings};
}

bool DiscLabelController::printsOnTray() const
{
    const QString printer = currentQueue();
    return !printer.isEmpty() && m_workspace.discPrinters.find(printer).tray;
}

void DiscLabelController::printCover(const CoverRequest& cover,
                                     const std::function<void()>& onPaper)
{
    jobSender().refuseWhileSending();
    const QString printer = currentQueue();
    const DiscPrinterSettings settings = m_workspace.discPrinters.find(printer);
    CoverRequest disc = cover;
    disc.discHoleMm = cover.discHoleMm.value_or(m_workspace.discHoleMm);
    coverPixels(cover.heightText, cover.widthText); // refused before anything is asked
    withTray(printer, [=, this](const DiscTray& tray) {
        if (!tray.has() && answered(tray)) {
            onPaper();
            return;
        }
        printOnDiscTray(printer, disc,
                        discJob(tray, {strToFloat(disc.widthText), *disc.discHoleMm, settings}));
    });
}

void DiscLabelController::setHole(int millimetres)
{
    // The box shows the hole in force, also when it could not be saved.
    const auto shown = qScopeGuard([this] {
        if (m_window)
            m_window->showHole(m_workspace.discHoleMm);
    });
    writeDiscHole(m_workspace.folder.path(datafile::disc), millimetres);
    m_workspace.discHoleMm = millimetres;
    emit holeChanged(millimetres);
}

void DiscLabelController::setSettings(const DiscPrinterSettings& settings)
{
    const QString printer = m_printer;
    // The window shows the settings in force, also when these are refused.
    const auto shown = qScopeGuard([this, printer] {
        if (m_window)
            m_window->showSettings(m_workspace.discPrinters.find(printer));
    });
    // A correction the driver cannot take is refused now, with its range:
    // the job is made without the custom disc page, so that only the
    // corrections are checked.
    const auto tray = m_trays.constFind(printer);
    if (tray != m_trays.cend() && tray->has()) {
        DiscTray corrections = *tray;
        corrections.customPage.clear();
        discJob(corrections, request(0, settings));
    }
    DiscCalibrationTable table = m_workspace.discPrinters;
    table.set(printer, settings);
    table.write(m_workspace.folder.path(datafile::discCalibration));
    m_workspace.discPrinters = table;
}

void DiscLabelController::printTest()
{
    const QString printer = m_printer;
    jobSender().refuseWhileSending();
    const auto tray = m_trays.constFind(printer);
    if (tray == m_trays.cend())
        return; // still asked: the button is enabled once it is answered
    // The disc as the disc label's sizes make it.
    const int width = m_workspace.sizes.width(discCoverKind);
    const DiscJob job =
        discJob(*tray, request(width > 0 ? width : 120, m_workspace.discPrinters.find(printer)));
    printDiscTestPage(printer, job);
    m_testSentTo = printer;
    window().showStatus(sendingNote(QStringLiteral("Disc test"), printer));
}

void DiscLabelController::jobEnded(const SentJob& job)
{
    const QString printer = std::exchange(m_testSentTo, QString());
    if (printer.isEmpty() || !m_window)
        return;
    m_window->showStatus(
        job.cancelled || !job.failure.isEmpty()
            ? QString()
            : QStringLiteral("The disc test went to %1%2. Where its cross lands off the disc's "
                             "centre, move the print back by as much.")
                  .arg(printer, asJobNumber(job.jobId)));
}

} // namespace jf
