#pragma once

#include "ui_SettingsWindow.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class QLineEdit;
class QTimer;

namespace jf {

class Favourites;
class Picture;
struct Workspace;

// The settings window: the names and sizes of the eight cover kinds, the
// printed border, the tips and the tip interval, edited straight in the
// settings files of the Data folder. It fills itself from the files at every
// opening and writes them on "Accept (Save)" only; however it closes, the
// main window then takes the files up again, so unsaved changes there are
// dropped too. "Clear Program list" and "Clear Pictures list" empty the
// favourites lists at once; closing does not bring them back.
//
// Closing only hides the window. A pending interval warning outlives it.
class SettingsWindow : public QWidget
{
    Q_OBJECT

public:
    // `mainWindow` is disabled while this window is open. It is not made this
    // window's parent: a disabled parent would disable this window too.
    SettingsWindow(Workspace& workspace, QWidget* mainWindow);
    ~SettingsWindow() override;

    // Shows the window at `topLeft` (screen coordinates) with `panel` as its
    // background, fills the controls from the four settings files and
    // disables the main window. A file that fails is reported once the
    // window is open: the controls filled before it show the files, the
    // others keep their texts.
    void open(const Picture& panel, const QPoint& topLeft);

    // What closing runs after it has enabled the main window: the settings
    // files are read again and the main window takes them up. When it throws, the failure is
    // reported and this window stays open.
    void setCloseRefresh(std::function<void()> refresh) { m_closeRefresh = std::move(refresh); }

signals:
    // A favourites list was emptied.
    void favouritesCleared();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void nameControls();
    void connectHandlers();
    // The four settings files, in the order they are read and written.
    enum SettingsFile
    {
        SizesFile,
        NamesFile,
        PreferencesFile,
        TipsFile
    };
    void fillFromFiles();
    // The lines of a settings file as the controls hold them (the tips box
    // as one text).
    QStringList formLines(SettingsFile file) const;
    void writeFile(SettingsFile file, const QString& path, const QStringList& lines);
    // The lines to write for a file whose controls the user changed, nothing
    // for one left as shown.
    std::optional<QStringList> linesToSave(SettingsFile file, const QString& path);
    void accept();
    void restoreDefaultNames();
    void restoreDefaultSizes();
    void clearFavourites(Favourites& list);

    // The interval warning: a change to a value below 1000 shows it on the
    // third tick of the warning timer, leaving the box with such a value at
    // once; a change to 1000 or more cancels it.
    void intervalChanged();
    void intervalLeft();
    void warningTick();

    Ui::SettingsWindow m_ui;
    Workspace& m_workspace;
    QWidget* m_mainWindow;
    std::function<void()> m_closeRefresh;
    std::array<QLineEdit*, 8> m_nameEdits{};
    std::array<QLineEdit*, 8> m_widthEdits{};
    std::array<QLineEdit*, 8> m_heightEdits{};

    // Line 1 of the settings file as read at the last opening. It is written
    // back as it was until the user chooses a border width, so a value the
    // list does not offer survives an unrelated save.
    std::optional<QString> m_borderWidthLine;

    // What the controls of each file showed once the last opening was done,
    // and whether they were all filled from the file.
    struct ShownFile
    {
        QStringList lines;
        bool whole = false;
    };
    std::array<ShownFile, 4> m_shown{};
    QByteArray m_tipsTail; // Tips.txt from a Ctrl+Z byte on, not shown

    QTimer* m_warningTimer = nullptr;
    std::uint8_t m_warningTicks = 0; // since the last change of the interval
};

} // namespace jf
