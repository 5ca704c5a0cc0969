#include "ChoiceColumn.h"

#include "Accessibility.h"
#include "ClickLabel.h"

#include <QChildEvent>
#include <QKeyEvent>
#include <QRegion>

#include <algorithm>

namespace jf {

ChoiceColumn::ChoiceColumn(QWidget* parent) : QWidget(parent)
{
    installAccessibility();
}

void ChoiceColumn::setCaptions(const QList<ClickLabel*>& captions)
{
    m_captions = captions;
    for (ClickLabel* caption : m_captions) {
        caption->makeButton();
        caption->setCheckable(true);
    }
    setChosen(-1);
}

void ChoiceColumn::setChosen(int index)
{
    const int chosen = index >= 0 && index < m_captions.size() ? index : -1;
    const int stop = std::max(chosen, 0);
    bool hadFocus = false;
    for (ClickLabel* caption : m_captions)
        hadFocus = hadFocus || caption->hasFocus();
    for (int i = 0; i < m_captions.size(); ++i) {
        ClickLabel* caption = m_captions[i];
        caption->setFocusPolicy(i == stop ? Qt::TabFocus : Qt::NoFocus);
        caption->setChecked(i == chosen);
    }
    if (hadFocus && stop < m_captions.size())
        m_captions[stop]->setFocus(Qt::OtherFocusReason);
}

void ChoiceColumn::keyPressEvent(QKeyEvent* event)
{
    const int step = event->key() == Qt::Key_Up ? -1 : event->key() == Qt::Key_Down ? 1 : 0;
    const auto from = int(m_captions.indexOf(qobject_cast<ClickLabel*>(focusWidget())));
    if (step == 0 || from < 0 || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    const int to = from + step;
    if (to >= 0 && to < m_captions.size())
        m_captions[to]->click();
}

void ChoiceColumn::childEvent(QChildEvent* event)
{
    QWidget::childEvent(event);
    if (event->added() && event->child()->isWidgetType())
        event->child()->installEventFilter(this);
    // Moves, resizes, showing and hiding come through the event filter.
    if (event->added() || event->removed())
        fitChildren();
}

bool ChoiceColumn::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        if (watched->parent() == this)
            fitChildren();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void ChoiceColumn::fitChildren()
{
    QList<QRect> shown;
    for (QObject* child : children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && !widget->isHidden())
            shown.append(widget->geometry());
    }
    // When the window is shown every child reports its place and its showing
    // again; only a change is fitted.
    if (shown == m_fittedPlaces && size() == m_fittedSize)
        return;
    QRegion taken;
    for (const QRect& place : std::as_const(shown))
        taken += place;
    const QRect bounds = taken.boundingRect();
    if (bounds.right() >= width() || bounds.bottom() >= height())
        resize(std::max(width(), bounds.right() + 1), std::max(height(), bounds.bottom() + 1));
    // Without any child the column would take the mouse everywhere.
    setMask(taken.isEmpty() ? QRegion(0, 0, 1, 1) : taken);
    m_fittedPlaces = shown;
    m_fittedSize = size();
}

} // namespace jf
