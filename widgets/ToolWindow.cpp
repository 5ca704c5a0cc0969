#include "ToolWindow.h"

#include "WindowLook.h"

#include <QAction>
#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <QWindow>

namespace jf {

namespace {

// The tool window's note of the main window's control that had the focus:
// disabling the main window takes the focus from it.
constexpr char focusReturnProperty[] = "jfFocusReturn";

} // namespace

void showToolWindow(QWidget* tool, QWidget* mainWindow, const QPoint& topLeft)
{
    if (!tool->isVisible())
        tool->setProperty(focusReturnProperty,
                          QVariant::fromValue(QPointer<QWidget>(mainWindow->focusWidget())));
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

void closeOnEscape(QWidget* tool)
{
    auto* action = new QAction(tool);
    action->setObjectName(QStringLiteral("escapeAction"));
    action->setShortcut(QKeySequence(Qt::Key_Escape));
    QObject::connect(action, &QAction::triggered, tool, &QWidget::close);
    tool->addAction(action);
}

void closeToolWindow(QWidget* tool, QWidget* mainWindow)
{
    const bool wasActive = tool->isActiveWindow();
    tool->hide();
    mainWindow->setEnabled(true);
    const auto focus = tool->property(focusReturnProperty).value<QPointer<QWidget>>();
    tool->setProperty(focusReturnProperty, QVariant());
    if (focus && focus->window() == mainWindow && focus->isEnabled())
        focus->setFocus(Qt::OtherFocusReason);
    if (wasActive)
        mainWindow->activateWindow();
}

} // namespace jf
