#include "SheetController.h"

#include "CurrentPrinter.h"
#include "DataFileFormats.h"
#include "ErrorReport.h"
#include "JobSender.h"
#include "NumberConvert.h"
#include "SheetLayout.h"

#include <QPrinter>
#include <QScopeGuard>

#include <algorithm>

namespace jf {

SheetController::SheetController(Workspace& workspace, BorderColourMemory& border,
                                 QWidget* windowParent)
    : m_workspace(workspace), m_border(border), m_windowParent(windowParent)
{
}

void SheetController::load()
{
    guarded([this] {
        m_workspace.sheetSettings =
            readSheetSettings(m_workspace.folder.path(datafile::sheetSettings));
    });
    const QString path = m_workspace.folder.path(datafile::sheet);
    const QList<int> damaged = m_workspace.sheet.read(path);
    const QString note = sheetReadNote(path, damaged, m_workspace.sheet.leftOver());
    if (!note.isEmpty())
        throw Error(note);
}

void SheetController::save(const SheetList& sheet)
{
    sheet.write(m_workspace.folder.path(datafile::sheet));
    m_workspace.sheet = sheet;
    m_pictures.tidy(sheet.entries());
    refresh();
}

void SheetController::add(const CoverRequest& cover, int kind, const QString& picturePath)
{
    // The checks and messages of "Print Cover".
    const QSize pixels = coverPixels(cover.heightText, cover.widthText);
    // A disc label never bleeds.
    checkCoverFitsSheet(pixels, cover.borderWidth, paperOf(currentPrinter().printer()),
                        currentCorrection(&m_workspace.calibration),
                        isDiscKind(kind) ? 0 : m_workspace.sheetSettings.bleedMm);
    SheetEntry entry;
    entry.kind = std::max(1, kind);
    entry.width = strToFloat(cover.widthText);
    entry.height = strToFloat(cover.heightText);
    entry.picturePath = picturePath;
    entry.placement = cover.placement;
    SheetList sheet = m_workspace.sheet;
    sheet.append(entry);
    m_pictures.keep(entry.picturePath, cover.picture);
    save(sheet);
}

SheetStyle SheetController::style() const
{
    // The border in the colour the next job prints it in.
    return {m_workspace.coverNames,
            m_workspace.preferences.borderWidth,
            m_border.peekColourFor(m_workspace.preferences.borderColour),
            m_workspace.sheetSettings.cutMarks,
            m_workspace.sheetSettings.bleedMm,
            m_workspace.discHoleMm};
}

SheetWindow& SheetController::window()
{
    if (m_window)
        return *m_window;
    m_window = std::make_unique<SheetWindow>(m_windowParent);
    SheetWindow* window = m_window.get();
    connect(window, &SheetWindow::printRequested, this, guard(this, &SheetController::print));
    connect(window, &SheetWindow::removeRequested, this, guard(this, &SheetController::remove));
    connect(window, &SheetWindow::clearRequested, this, guard(this, &SheetController::clear));
    connect(window, &SheetWindow::settingsChanged, this,
            guard(this, &SheetController::setSettings));
    return *m_window;
}

void SheetController::open()
{
    SheetWindow& shown = window();
    shown.setSettings(m_workspace.sheetSettings);
    shown.show();
    shown.raise();
    shown.activateWindow();
    refresh();
}

void SheetController::refresh()
{
    if (!m_window || !m_window->isVisible())
        return;
    m_window->showSheet(viewSheet(m_workspace.sheet.entries(), style(), &m_workspace.calibration));
}

void SheetController::print()
{
    jobSender().refuseWhileSending();
    // Shown again whatever comes of it: a picture found missing is marked.
    const auto refreshed = qScopeGuard([this] { guarded([this] { refresh(); }); });
    m_border.rememberColourFor(m_workspace.preferences.borderColour);
    printSheet(m_window.get(), m_workspace.sheet.entries(), style(), m_pictures,
               &m_workspace.calibration);
}

void SheetController::remove(int row)
{
    SheetList sheet = m_workspace.sheet;
    sheet.removeAt(row);
    save(sheet);
}

void SheetController::clear()
{
    SheetList sheet = m_workspace.sheet;
    sheet.clear();
    save(sheet);
}

void SheetController::setSettings(const SheetSettings& settings)
{
    // The boxes show the choices in force, also when they could not be saved.
    const auto shown = qScopeGuard([this] {
        if (m_window)
            m_window->setSettings(m_workspace.sheetSettings);
    });
    writeSheetSettings(m_workspace.folder.path(datafile::sheetSettings), settings);
    m_workspace.sheetSettings = settings;
    refresh();
}

} // namespace jf
