#pragma once

#include "PreviewPanel.h"
#include "TipsLine.h"
#include "WindowPictures.h"
#include "ui_MainWindow.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <exception>
#include <functional>

class QLineEdit;
class QMenu;

namespace jf {

class FavouritesList;
class PictureChooser;
class WindowDrag;
struct SettingsReread;
struct Workspace;

// The main window: the eight cover kinds with the width and height boxes of
// the selected one, the preview, the favourites lists and the tips line. It
// shows and edits the workspace it is given; printing, settings and help are
// asked for through signals, and whether closing may end the program through
// the close check.
//
// Its controls are made in the window font, which must be known by then
// (Fonts.h); it is drawn from the pictures handed to showPictures.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(Workspace& workspace, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Draws the window from `pictures`, before a cover kind is first selected.
    void showPictures(const WindowPictures& pictures);
    // The pictures the window is drawn from.
    const WindowPictures& pictures() const { return m_pictures; }

    // Asked whenever the window is closed: whether the program may end. A
    // failure is reported and keeps the window open, as false does. Without
    // a check, closing ends the program.
    void setCloseCheck(std::function<bool()> mayEnd) { m_mayEnd = std::move(mayEnd); }

    // Shows what the workspace holds: the cover names as captions, the
    // favourites lists and the tip interval.
    void showWorkspace();
    // Shows the favourites lists again, with nothing selected.
    void showFavourites();
    // Shows the cover names as the captions of the eight kinds.
    void showCoverNames();
    // Takes up the settings files as they were read again: the selection is
    // forgotten without storing the boxes, so sizes typed and not saved are
    // dropped; with the sizes read, the same kind shows its stored sizes;
    // then the captions and the tip interval follow what was read.
    void takeUpSettings(const SettingsReread& read);
    // Appends a program to the program list; both lists keep their highlight.
    void addProgram(const QString& commandLine, const QString& name);

    // Selects cover kind 1 to 8: the typed sizes are stored on the kind
    // selected so far, then the kind's stored sizes are shown (height, then
    // width). Re-selecting while no kind is selected selects nothing.
    void selectCoverKind(int kind);
    // 0 while no kind is selected.
    int selectedCoverKind() const { return m_selectedKind; }
    // Keeps `millimetres` (held to 0..60) as the disc label's hole in the
    // workspace and shows the preview with it when it shows the disc.
    void setDiscHole(int millimetres) { m_preview->setDiscHole(millimetres); }

    QString widthText() const { return m_ui.widthEdit->text(); }
    QString heightText() const { return m_ui.heightEdit->text(); }
    // The picture in the preview, which is what prints, and its placement.
    Picture previewPicture() const { return m_ui.previewImage->picture(); }
    Placement placement() const { return m_ui.previewImage->placement(); }
    // Loads a picture file into the preview as if it had been chosen in the
    // picture dialog, which then reopens on it; failures are thrown as the
    // import's are.
    void openPicture(const QString& path) { m_preview->open(path); }
    // True while the preview shows the placeholder: before any picture is
    // loaded and after "Dispose Image".
    bool showsPlaceholder() const { return m_preview->showsPlaceholder(); }
    // The file loaded into the preview last, empty before the first load.
    const QString& currentImagePath() const { return m_preview->currentPath(); }

    // An equal value changes nothing, a different positive one restarts the
    // period, 0 or less stops the tips (the last one stays shown).
    void setTipInterval(std::int32_t milliseconds) { m_tips->setInterval(milliseconds); }
    std::int32_t tipInterval() const { return m_tips->interval(); }
    // Shows the next tip; runs at every tick of the tip timer.
    void showNextTip() { m_tips->showNext(); }
    // A note of the program in the tips line (TipsLine::showNote).
    void showNote(const QString& text, bool kept = false) { m_tips->showNote(text, kept); }

    // The panel's picture, the background of the windows opened over it.
    Picture panelPicture() const { return m_ui.panelImage->picture(); }
    // Where the windows opened over the panel go: the main window's position
    // plus the panel's.
    QPoint panelTopLeft() const { return pos() + m_ui.panelImage->pos(); }
    // While it is visible, `window` is carried along by every drag of this
    // window: it is kept over the panel and given the focus.
    void carryWhenDragged(QWidget* window);

signals:
    void printRequested();
    void printPreviewRequested();
    void addToSheetRequested();
    void sheetRequested();
    void discLabelRequested();
    void printerSetupRequested();
    void settingsRequested();
    void addProgramRequested();
    void calibrationRequested();
    void helpRequested();
    // Once, just after the window's first frame is painted.
    void firstFramePainted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void setCaptionFonts();
    void createMenus();
    void createShortcuts();
    void setFocusOrder();
    void connectHandlers();

    void saveCoverSizes();
    void restoreCoverSizes();
    void swapWidthAndHeight();

    void addPicture();
    void loadSelectedPicture();
    void startSelectedProgram();

    // Refits the preview after a change of either box, unless a box is
    // empty or exactly "0".
    void sizeTextChanged();
    void fitPreview();
    // Has the preview show the selected kind as it prints: the disc kind as
    // a ring of the boxes' size with the workspace's hole.
    void showDisc();
    // Sets a box's text; an equal text changes nothing and raises no change.
    // A different text refits the preview at once; its failure is this
    // call's failure.
    void setEditText(QLineEdit* edit, const QString& text);

    Ui::MainWindow m_ui;
    Workspace& m_workspace;
    WindowPictures m_pictures;
    PictureChooser* m_pictureChooser = nullptr;
    std::function<bool()> m_mayEnd;
    std::array<ImageControl*, 8> m_kindButtons{};
    std::array<ClickLabel*, 8> m_kindLabels{};
    int m_selectedKind = 0;

    FavouritesList* m_pictureList = nullptr;
    FavouritesList* m_programList = nullptr;
    TipsLine* m_tips = nullptr;
    QMenu* m_mainMenu = nullptr;
    PreviewPanel* m_preview = nullptr;
    WindowDrag* m_drag = nullptr;

    bool m_settingText = false;
    bool m_painted = false;
    std::exception_ptr m_changeFailure;
};

} // namespace jf
