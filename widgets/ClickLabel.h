#pragma once

#include <QLabel>

namespace jf {

// A text label with a transparent background that works as a button: it
// reports clicks, double clicks and the pointer entering and leaving it. Its
// text is plain text, whatever characters it holds, and a long text is cut
// before it is laid out (see setText). The pointing hand shows only once
// something listens to its clicks.
class ClickLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ClickLabel(QWidget* parent = nullptr);

    // Shows as much of `text` as can ever fit on a window: texts from data
    // files may be megabytes long, and laying them out whole would stall.
    void setText(const QString& text);

signals:
    void clicked();
    void doubleClicked();
    void mouseEntered();
    void mouseLeft();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void connectNotify(const QMetaMethod& signal) override;

private:
    bool m_pressed = false;
};

} // namespace jf
