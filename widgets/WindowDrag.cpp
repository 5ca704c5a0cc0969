#include "WindowDrag.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace jf {

namespace {

// Wayland ignores a program's own placing of its top-level windows.
bool windowSystemPlacesWindows()
{
    return QGuiApplication::platformName() == QLatin1String("wayland");
}

} // namespace

WindowDrag::WindowDrag(QWidget* window, QWidget* handle)
    : QObject(window), m_window(window), m_handle(handle)
{
    handle->installEventFilter(this);
}

void WindowDrag::addCompanion(QWidget* companion, const QPoint& offset)
{
    m_companions.append({companion, offset});
}

bool WindowDrag::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_handle)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (!m_window->isEnabled())
            break; // a window open over it has the user's attention
        if (windowSystemPlacesWindows()) {
            QWindow* native = m_window->windowHandle();
            if (native && native->startSystemMove())
                break;
        }
        m_origin = static_cast<QMouseEvent*>(event)->position().toPoint();
        m_active = true;
        break;
    case QEvent::MouseMove:
        if (m_active && m_window->isEnabled())
            moveWindow(static_cast<QMouseEvent*>(event)->position().toPoint() - m_origin);
        break;
    case QEvent::MouseButtonRelease:
        m_active = false;
        break;
    default:
        break;
    }
    return false;
}

void WindowDrag::moveWindow(const QPoint& delta)
{
    m_window->move(m_window->pos() + delta);
    for (const Companion& companion : m_companions) {
        QWidget* carried = companion.window;
        if (!carried || !carried->isVisible())
            continue;
        carried->move(m_window->pos() + companion.offset);
        carried->raise();
        carried->activateWindow();
    }
}

} // namespace jf
