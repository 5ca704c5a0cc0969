#include "ToolWindow.h"

#include "WindowLook.h"

#include <QWidget>
#include <QWindow>

namespace jf {

void showToolWindow(QWidget* tool, QWidget* mainWindow, const QPoint& topLeft)
{
    mainWindow->setEnabled(false);
    tool->move(topLeft);
    tool->winId(); // makes the native window, so it can be made a transient
    if (QWindow* handle = tool->windowHandle())
        handle->setTransientParent(mainWindow->windowHandle());
    tool->show();
    tool->raise();
    tool->activateWindow();
}

void applyToolWindowLook(QWidget* tool)
{
    tool->setFont(jf::windowFont());
    QPalette palette = tool->palette();
    palette.setColor(QPalette::Window, scrollBarColour());
    tool->setPalette(palette);
    tool->setAutoFillBackground(true);
}

void closeToolWindow(QWidget* tool, QWidget* mainWindow)
{
    tool->hide();
    mainWindow->setEnabled(true);
}

} // namespace jf
