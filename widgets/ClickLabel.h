#pragma once

#include <QLabel>

class QPainter;

namespace jf {

// A text label with a transparent background that works as a button: it
// reports clicks, double clicks and the pointer entering and leaving it. Its
// text is plain text, whatever characters it holds, and a long text is cut
// before it is laid out (see setText).
//
// Once something listens to its clicks (or makeButton is called) it is a
// button for the keyboard and for assistive technology as well: the pointing
// hand shows over it, Tab stops at it (a click does not take the focus), it
// shows a focus mark while it has the focus, Space and Return press it as a
// click does, and screen readers see a push button named by its caption with
// a "Press" action (Accessibility.h). A label nothing listens to stays a
// plain label for them.
class ClickLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ClickLabel(QWidget* parent = nullptr);

    // Shows as much of `text` as can ever fit on a window: texts from data
    // files may be megabytes long, and laying them out whole would stall.
    void setText(const QString& text);

    // Makes the label a button (see above); the first time only, it also
    // becomes a stop of the Tab order. Done by the first connection to
    // clicked() or doubleClicked().
    void makeButton();
    bool isButton() const { return m_button; }

    // A checkable caption is one choice of several (ChoiceColumn); the
    // checked one is the choice made. Assistive technology sees a radio
    // button.
    void setCheckable(bool checkable) { m_checkable = checkable; }
    bool isCheckable() const { return m_checkable; }
    void setChecked(bool checked);
    bool isChecked() const { return m_checked; }

    // Presses the label as a click does.
    void click() { emit clicked(); }

signals:
    void clicked();
    void doubleClicked();
    void mouseEntered();
    void mouseLeft();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void connectNotify(const QMetaMethod& signal) override;

private:
    bool m_pressed = false;
    bool m_button = false;
    bool m_checkable = false;
    bool m_checked = false;
};

// Tab visits `controls` in this order, which must take the focus by Tab when
// it is set (Qt passes over a control that does not); a caption does once
// it is a button.
void setTabOrder(const QList<QWidget*>& controls);

// The focus mark's dotted outline, black dots on white, just inside `rect`.
void paintFocusOutline(QPainter& painter, const QRect& rect);

} // namespace jf
