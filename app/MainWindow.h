#pragma once

#include "DataFolder.h"
#include "Picture.h"
#include "ui_MainWindow.h"

#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <exception>
#include <utility>

class QMenu;
class QAction;
class QTimer;
class PrintWindow;

// The main window: the eight cover kinds, the width and height boxes, the
// preview, the favourites lists and the tips line.
class MainWindow : public QWidget, public Ui::MainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Cover state.
    QString BaseDir;
    std::array<std::int32_t, jf::coverKindCount + 1> ItemWidths{};  // by kind 1..8
    std::array<std::int32_t, jf::coverKindCount + 1> ItemHeights{}; // by kind 1..8
    std::uint8_t CurrentItem = 0;

    // The tips, one per line of Tips.txt, as Memo_Tips holds them.
    QStringList TipLines;

    // The print window, created after this window at program start.
    PrintWindow* m_printWindow = nullptr;

    QTimer* Timer1 = nullptr;
    QMenu* PopupMenu_Main = nullptr;
    QAction* Print1 = nullptr;
    QAction* Settings1 = nullptr;
    QAction* Close1 = nullptr;
    QMenu* PopupMenu_Cover = nullptr;
    QAction* ImportImage1 = nullptr;
    QAction* DisposeImage1 = nullptr;
    QAction* ViewImage1 = nullptr;
    QAction* ChangeHeighttoWidth1 = nullptr;

    // The shared picture dialog: its filter and the file chosen last.
    struct OpenDialogState
    {
        QString filter;
        int filterIndex = 1;
        QString fileName;
    } OpenDialog_PicturesLoad;

    // Start-up, run once from the constructor.
    void FormCreate();
    // Writes the four favourites lists; throws when one cannot be written.
    void FormClose();

    void ChangePannel(std::uint8_t kind);
    void ReadSettings();
    void SaveSettings();
    void ReadNames();
    void ReadAdvancedSettings();
    void ReadTips();

    // The cover print job: printer-setup dialog, then one page.
    void ConPrint();

    // Preview.
    void ChangePreviewSize();
    void LoadPreview(const QString& path);

    // Handlers.
    void Edit_WidthKeyPress(QChar& key);
    void Edit_HeightKeyPress(QChar& key);
    void Edit_WidthChange();
    void Edit_HeightChange();
    void Label_Item1Click() { ChangePannel(1); }
    void Label_Item2Click() { ChangePannel(2); }
    void Label_Item3Click() { ChangePannel(3); }
    void Label_Item4Click() { ChangePannel(4); }
    void Label_Item5Click() { ChangePannel(5); }
    void Label_Item6Click() { ChangePannel(6); }
    void Label_Item7Click() { ChangePannel(7); }
    void Label_Item8Click() { ChangePannel(8); }
    void Image_Button1Click() { ChangePannel(1); }
    void Image_Button2Click() { ChangePannel(2); }
    void Image_Button3Click() { ChangePannel(3); }
    void Image_Button4Click() { ChangePannel(4); }
    void Image_Button5Click() { ChangePannel(5); }
    void Image_Button6Click() { ChangePannel(6); }
    void Image_Button7Click() { ChangePannel(7); }
    void Image_Button8Click() { ChangePannel(8); }
    void Label_SaveClick();
    void Label_DefaultSettingsClick();
    void Label_CloseClick();
    void Label_XClick();
    void Close1Click();
    void Print1Click();
    void Label_WizardClick();
    void Label_PrintCoverClick();
    void Settings1Click();
    void Label_ImportClick();
    void Label_DisposeClick();
    void Label_ViewImageClick();
    void ChangeHeighttoWidth1Click();
    void Timer1Timer();
    void Label_XMouseEnter();
    void Label_XMouseLeave();
    void Image_BackGroundMainMouseDown(Qt::MouseButton button, QPoint pos);
    void Image_BackGroundMainMouseMove(QPoint pos);
    void Image_BackGroundMainMouseUp(Qt::MouseButton button, QPoint pos);

    // Applies a tip interval: an equal value changes nothing, a different
    // positive one restarts the period, 0 or less stops the ticks.
    void setTipInterval(std::int32_t milliseconds);
    std::int32_t tipInterval() const { return m_tipInterval; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectHandlers();
    std::array<std::pair<QListWidget*, const char*>, 4> favouritesFiles() const;
    void createMenus();
    struct WindowPictures
    {
        jf::Picture background;
        jf::Picture panel;
        jf::Picture placeholder;
    };
    static WindowPictures decodeWindowPictures();
    void loadWindowPictures(const WindowPictures& pictures);
    // Sets a box's text; an equal text changes nothing and raises no change.
    // A different text runs the box's change handling at once; its failure
    // is this call's failure.
    void setEditText(QLineEdit* edit, const QString& text);
    void editChanged(QLineEdit* edit);
    static void digitFilter(QChar& key);

    std::int32_t m_tipInterval = 6000;
    bool m_settingText = false;
    std::exception_ptr m_changeFailure;
};
