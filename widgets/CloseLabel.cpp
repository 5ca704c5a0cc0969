#include "CloseLabel.h"

namespace jf {

CloseLabel::CloseLabel(QWidget* parent) : ClickLabel(parent)
{
    connect(this, &ClickLabel::clicked, this, [this] { window()->close(); });
    // The keyboard closes a window with Escape (ToolWindow.h) or the window's
    // own shortcut, so Tab passes the mark by; screen readers find it as a
    // button named for what it does.
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(QStringLiteral("Close"));
}

void CloseLabel::setColour(const QColor& colour)
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, colour);
    setPalette(palette);
}

void CloseLabel::enterEvent(QEnterEvent* event)
{
    ClickLabel::enterEvent(event);
    if (m_hoverColour.isValid())
        setColour(m_hoverColour);
}

void CloseLabel::leaveEvent(QEvent* event)
{
    ClickLabel::leaveEvent(event);
    if (m_hoverColour.isValid())
        setColour(Qt::black);
}

} // namespace jf
