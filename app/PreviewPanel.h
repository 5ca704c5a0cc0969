#pragma once

#include "Picture.h"
#include "PictureFit.h"

#include <QObject>
#include <QSizeF>
#include <QString>
#include <optional>

class QAction;
class QActionGroup;
class QMenu;

namespace jf {

class PictureChooser;
class PicturePreview;
struct Workspace;

// The main window's preview and the picture in it: a picture loaded from a
// file (the picture dialog, a drop, the favourites, the command line) or the
// placeholder, the viewer of "View Image", and the main menu's three ways of
// placing the picture, "Stretch to Cover", "Fill Cover" and "Fit in Cover",
// the one in force checked. A way chosen there is kept in PictureFit.ins
// before the preview takes it up; when it cannot be kept, the failure is
// thrown and the way before stays.
class PreviewPanel : public QObject
{
    Q_OBJECT

public:
    PreviewPanel(Workspace& workspace, PicturePreview* preview, PictureChooser* chooser);

    // Puts the three ways into `menu` before `before`.
    void addFitEntries(QMenu* menu, QAction* before);
    // Takes up the way PictureFit.ins holds; one that cannot be read is
    // thrown, and stretch is in force.
    void loadFit();

    // The picture shown while there is none of the user's.
    void setPlaceholder(const Picture& placeholder);
    // Loads a picture file into the preview (failures are thrown as
    // loadPicture's); opened from elsewhere, the picture dialog then
    // reopens on it.
    void load(const QString& path);
    void open(const QString& path);
    // "Import Image", "Dispose Image" and "View Image".
    void import();
    void dispose();
    void view() const;

    // The disc label's size (millimetres) while the preview shows one, with
    // the workspace's hole; nothing for any other cover.
    void showDisc(const std::optional<QSizeF>& discMm);
    // Keeps the hole (held to 0..60) in the workspace and shows it.
    void setDiscHole(int millimetres);

    bool showsPlaceholder() const { return m_showsPlaceholder; }
    const QString& currentPath() const { return m_currentPath; }

private:
    void chooseFit(PictureFit fit);
    // Checks the way in force and has the preview show it.
    void showFit();

    Workspace& m_workspace;
    PicturePreview* m_preview;
    PictureChooser* m_chooser;
    QActionGroup* m_fitEntries = nullptr;
    Picture m_placeholder;
    QString m_currentPath;
    bool m_showsPlaceholder = true;
    std::optional<QSizeF> m_discMm;
};

} // namespace jf
