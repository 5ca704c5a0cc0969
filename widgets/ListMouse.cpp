#include "ListMouse.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QMouseEvent>

namespace jf {

ListMouse::ListMouse(QAbstractItemView* view)
    : QObject(view), m_view(view), m_viewport(view->viewport())
{
    m_viewport->installEventFilter(this);
}

bool ListMouse::eventFilter(QObject* watched, QEvent* event)
{
    // The view is not touched for other events: the viewport still gets some
    // while the view is being destroyed.
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return false;
    if (watched != m_viewport)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    // The right button selects nothing; the context menu comes all the same.
    if (mouse->button() == Qt::RightButton)
        return true;
    if (mouse->button() != Qt::LeftButton)
        return false;

    const QModelIndex index = m_view->indexAt(mouse->position().toPoint());
    const bool highlighted =
        index.isValid() && m_view->selectionModel() && m_view->selectionModel()->isSelected(index);
    if (type == QEvent::MouseButtonPress) {
        m_highlightedAtPress = highlighted ? index.row() : -1;
    } else if (type == QEvent::MouseButtonDblClick) {
        m_highlightedAtPress = -1; // the first click of the two has chosen it
    } else if (highlighted && index.row() == m_highlightedAtPress) {
        m_highlightedAtPress = -1;
        emit highlightedEntryClicked();
    }
    return false;
}

} // namespace jf
