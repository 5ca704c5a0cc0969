#pragma once

#include "Picture.h"
#include "ui_MainWindow.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <exception>
#include <optional>

class QLineEdit;
class QMenu;
class QTimer;
class WindowDrag;

namespace jf {
class Favourites;
struct Workspace;
} // namespace jf

// The main window: the eight cover kinds with the width and height boxes of
// the selected one, the preview, the favourites lists and the tips line. It
// shows and edits the workspace it is given; printing, settings and help are
// asked for through signals.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(jf::Workspace& workspace, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shows what the workspace holds: the cover names as captions, the
    // favourites lists and the tip interval.
    void showWorkspace();
    // Shows the favourites lists again, with nothing selected.
    void showFavourites();
    // Shows the cover names as the captions of the eight kinds.
    void showCoverNames();
    // Appends a program to the program list; both lists keep their highlight.
    void addProgram(const QString& commandLine, const QString& name);

    // Selects cover kind 1 to 8: the typed sizes are stored on the kind
    // selected so far, then the kind's stored sizes are shown (height, then
    // width). Re-selecting while no kind is selected selects nothing.
    void selectCoverKind(int kind);
    // 0 while no kind is selected.
    int selectedCoverKind() const { return m_selectedKind; }

    // Forgets the selected kind without storing the boxes, so the next
    // selection shows the stored sizes and keeps nothing typed.
    void clearSelection() { m_selectedKind = 0; }

    QString widthText() const;
    QString heightText() const;
    // The picture in the preview, which is what prints.
    jf::Picture previewPicture() const;
    // Loads a picture file into the preview as if it had been chosen in the
    // picture dialog, which then reopens on it; failures are thrown as the
    // import's are.
    void openPicture(const QString& path);
    // True while the preview shows the placeholder: before any picture is
    // loaded and after "Dispose Image".
    bool showsPlaceholder() const { return m_showsPlaceholder; }
    // The file loaded into the preview last, empty before the first load.
    const QString& currentImagePath() const { return m_currentImagePath; }

    // An equal value changes nothing, a different positive one restarts the
    // period, 0 or less stops the tips (the last one stays shown).
    void setTipInterval(std::int32_t milliseconds);
    std::int32_t tipInterval() const { return m_tipInterval; }
    // Shows the next tip; runs at every tick of the tip timer.
    void showNextTip();

    // The panel's picture, the background of the windows opened over it.
    jf::Picture panelPicture() const;
    // Where the windows opened over the panel go: the main window's position
    // plus the panel's.
    QPoint panelTopLeft() const;
    // While it is visible, `window` is carried along by every drag of this
    // window: it is kept over the panel and given the focus.
    void carryWhenDragged(QWidget* window);

signals:
    void printRequested();
    void printPreviewRequested();
    void printerSetupRequested();
    void settingsRequested();
    void addProgramRequested();
    void calibrationRequested();
    void helpRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void setCaptionFonts();
    void createMenus();
    void connectHandlers();
    // Saves the four lists for closing; true when the program may end. A
    // failure is thrown, except when the close before failed and the lists
    // have not changed since: the user is then asked whether to quit
    // without saving.
    bool saveForClosing();
    void loadWindowPictures();

    void saveCoverSizes();
    void restoreCoverSizes();
    // Runs the picture dialog, shared by import and the picture list; the
    // chosen path, empty on cancel.
    QString choosePicture();
    void importPicture();
    void disposePicture();
    void viewPicture();
    void swapWidthAndHeight();
    void loadPreviewPicture(const QString& path);

    // The favourites lists.
    void addPicture();
    void deletePicture();
    void pictureSelected();
    void startSelectedProgram();
    void deleteProgram();
    void deleteSelected(QListWidget* list, jf::Favourites& favourites);

    // Refits the preview after a change of either box, unless a box is
    // empty or exactly "0".
    void sizeTextChanged();
    void fitPreview();
    // Sets a box's text; an equal text changes nothing and raises no change.
    // A different text refits the preview at once; its failure is this
    // call's failure.
    void setEditText(QLineEdit* edit, const QString& text);

    Ui::MainWindow m_ui;
    jf::Workspace& m_workspace;
    std::array<ImageControl*, 8> m_kindButtons{};
    std::array<ClickLabel*, 8> m_kindLabels{};
    int m_selectedKind = 0;
    QString m_currentImagePath;
    bool m_showsPlaceholder = true;

    QTimer* m_tipTimer = nullptr;
    std::int32_t m_tipInterval = 6000;
    QMenu* m_mainMenu = nullptr;
    QMenu* m_coverMenu = nullptr;
    QMenu* m_pictureMenu = nullptr;
    QMenu* m_programMenu = nullptr;
    WindowDrag* m_drag = nullptr;

    // The picture dialog, shared by import and the picture list: its filter
    // and the file chosen last, which it reopens on.
    struct PictureDialogState
    {
        QString filter;
        int filterIndex = 1;
        QString fileName;
    } m_pictureDialog;

    // The four lists as they stood when a close last failed to save them.
    std::optional<QList<QStringList>> m_unsavedAtFailedClose;

    bool m_settingText = false;
    std::exception_ptr m_changeFailure;
};
