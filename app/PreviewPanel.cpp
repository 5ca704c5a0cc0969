#include "PreviewPanel.h"

#include "ErrorReport.h"
#include "Menus.h"
#include "PictureChooser.h"
#include "PicturePreview.h"
#include "Platform.h"
#include "Workspace.h"

#include <QActionGroup>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>

namespace jf {

PreviewPanel::PreviewPanel(Workspace& workspace, PicturePreview* preview, PictureChooser* chooser)
    : QObject(preview), m_workspace(workspace), m_preview(preview), m_chooser(chooser)
{
}

void PreviewPanel::addFitEntries(QMenu* menu, QAction* before)
{
    const auto chose = [this](PictureFit fit) {
        return [this, fit] { guarded([&] { chooseFit(fit); }); };
    };
    m_fitEntries = addChoices(menu, before,
                              {{"stretchAction", "Stretch to Cover", chose(PictureFit::Stretch)},
                               {"fillAction", "Fill Cover", chose(PictureFit::Fill)},
                               {"fitAction", "Fit in Cover", chose(PictureFit::Fit)}});
    showFit();
}

void PreviewPanel::loadFit()
{
    const auto shown = qScopeGuard([this] { showFit(); });
    m_workspace.pictureFit = PictureFit::Stretch;
    m_workspace.pictureFit = readPictureFit(m_workspace.folder.path(datafile::pictureFit));
}

void PreviewPanel::chooseFit(PictureFit fit)
{
    // The entry checked is the way in force, also when it could not be kept.
    const auto shown = qScopeGuard([this] { showFit(); });
    if (fit == m_workspace.pictureFit)
        return;
    writePictureFit(m_workspace.folder.path(datafile::pictureFit), fit);
    m_workspace.pictureFit = fit;
}

void PreviewPanel::showFit()
{
    if (m_fitEntries)
        m_fitEntries->actions().value(int(m_workspace.pictureFit))->setChecked(true);
    m_preview->setFit(m_workspace.pictureFit);
}

void PreviewPanel::showDisc(const std::optional<QSizeF>& discMm)
{
    m_discMm = discMm;
    m_preview->setDisc(discMm ? std::optional(DiscSize{*discMm, m_workspace.discHoleMm})
                              : std::nullopt);
}

void PreviewPanel::setDiscHole(int millimetres)
{
    m_workspace.discHoleMm = std::clamp(millimetres, 0, largestDiscHoleMm);
    showDisc(m_discMm);
}

void PreviewPanel::setPlaceholder(const Picture& placeholder)
{
    m_placeholder = placeholder;
    if (m_showsPlaceholder)
        m_preview->showPlaceholder(placeholder);
}

void PreviewPanel::load(const QString& path)
{
    m_preview->showPicture(loadPicture(path), QFileInfo(path).fileName());
    m_showsPlaceholder = false;
    m_currentPath = path;
}

void PreviewPanel::open(const QString& path)
{
    m_chooser->remember(path);
    load(path);
}

void PreviewPanel::import()
{
    const QString path = m_chooser->choose();
    if (!path.isEmpty())
        load(path);
}

void PreviewPanel::dispose()
{
    m_preview->showPlaceholder(m_placeholder);
    m_showsPlaceholder = true;
}

void PreviewPanel::view() const
{
    if (!platform().shell->openDocument(m_currentPath))
        throw Error(noViewerMessage(m_currentPath));
}

} // namespace jf
