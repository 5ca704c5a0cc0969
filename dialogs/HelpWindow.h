#pragma once

#include "Picture.h"
#include "ui_HelpWindow.h"

#include <QPoint>
#include <QWidget>

namespace jf {

// The help window: the help-and-about text over the main window's panel. It
// is made once and only hidden when closed, so the text keeps whatever the
// user scrolled to or typed until the program ends; nothing of it is saved.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);
    ~HelpWindow() override;

    // Shows the window with its top-left corner at `topLeft` and `panel` as
    // its background, with `mainWindow` disabled until the window closes.
    void open(QWidget* mainWindow, const QPoint& topLeft, const jf::Picture& panel);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Ui::HelpWindow m_ui;
    QWidget* m_mainWindow = nullptr; // the window disabled while this one is open
};

} // namespace jf
