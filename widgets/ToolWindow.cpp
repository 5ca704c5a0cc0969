#include "ToolWindow.h"

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

void closeToolWindow(QWidget* tool, QWidget* mainWindow)
{
    tool->hide();
    mainWindow->setEnabled(true);
}

} // namespace jf
