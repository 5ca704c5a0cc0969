#include "ClickLabel.h"

#include "Accessibility.h"
#include "DisplayText.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>

namespace jf {

namespace {

// The focus mark: the caption lit up a little inside a dotted outline of
// black dots on white, which shows on the window's off-white face, the
// beige panel, the kind tabs and the grey tool windows alike.
void paintFocusLight(QPainter& painter, const QRect& rect)
{
    painter.fillRect(rect, QColor(255, 255, 255, 110));
}

} // namespace

void paintFocusOutline(QPainter& painter, const QRect& rect)
{
    const QRectF outline = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(outline);
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawRect(outline);
}

ClickLabel::ClickLabel(QWidget* parent) : QLabel(parent)
{
    installAccessibility();
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setTextFormat(Qt::PlainText);
}

void ClickLabel::setText(const QString& text)
{
    QLabel::setText(jf::shownText(text));
}

void ClickLabel::makeButton()
{
    if (m_button)
        return;
    m_button = true;
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

void ClickLabel::setChecked(bool checked)
{
    if (m_checked == checked)
        return;
    m_checked = checked;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void ClickLabel::connectNotify(const QMetaMethod& signal)
{
    QLabel::connectNotify(signal);
    if (signal == QMetaMethod::fromSignal(&ClickLabel::clicked) ||
        signal == QMetaMethod::fromSignal(&ClickLabel::doubleClicked))
        makeButton();
}

void ClickLabel::paintEvent(QPaintEvent* event)
{
    const bool focusMark = hasFocus();
    if (focusMark) {
        QPainter painter(this);
        paintFocusLight(painter, rect());
    }
    QLabel::paintEvent(event);
    if (focusMark) {
        QPainter painter(this);
        paintFocusOutline(painter, rect());
    }
}

void ClickLabel::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const bool pressKey = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    if (m_button && pressKey && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // Held down, the key presses once.
        if (!event->isAutoRepeat())
            emit clicked();
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

void ClickLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_pressed) {
        m_pressed = false;
        event->accept();
        if (rect().contains(event->position().toPoint()))
            emit clicked();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        // A double click is a second click as well.
        m_pressed = true;
        emit doubleClicked();
        event->accept();
        return;
    }
    QLabel::mouseDoubleClickEvent(event);
}

void setTabOrder(const QList<QWidget*>& controls)
{
    for (qsizetype i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls[i - 1], controls[i]);
}

void ClickLabel::enterEvent(QEnterEvent* event)
{
    QLabel::enterEvent(event);
    emit mouseEntered();
}

void ClickLabel::leaveEvent(QEvent* event)
{
    QLabel::leaveEvent(event);
    emit mouseLeft();
}

} // namespace jf
