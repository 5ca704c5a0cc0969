#include "WindowDrag.h"

#include <QMouseEvent>
#include <QWidget>

WindowDrag::WindowDrag(QWidget* window, QWidget* handle)
    : QObject(window), m_window(window), m_handle(handle)
{
    handle->installEventFilter(this);
}

bool WindowDrag::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_handle)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        m_origin = static_cast<QMouseEvent*>(event)->position().toPoint();
        m_active = true;
        break;
    case QEvent::MouseMove:
        if (m_active) {
            const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
            m_window->move(m_window->pos() + at - m_origin);
        }
        break;
    case QEvent::MouseButtonRelease:
        m_active = false;
        break;
    default:
        break;
    }
    return false;
}
