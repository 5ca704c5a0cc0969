#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>

class QWidget;

namespace jf {

// Moves a borderless window while the user drags one of its controls (its
// background picture): a press there starts the drag, every move while it
// lasts moves the window by what the pointer moved, the release ends it.
// Nothing happens while the window is disabled. Where the window system does
// not let programs place their windows (Wayland), the press hands the drag to
// the window system instead. Owned by the window it moves.
class WindowDrag : public QObject
{
    Q_OBJECT

public:
    // Drags `window` by `handle`, a control of it.
    WindowDrag(QWidget* window, QWidget* handle);

    bool isActive() const { return m_active; }

    // After every move of the window, `companion`, when visible, is placed at
    // the window's position plus `offset` and given the keyboard focus.
    void addCompanion(QWidget* companion, const QPoint& offset);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void moveWindow(const QPoint& delta);

    struct Companion
    {
        QPointer<QWidget> window;
        QPoint offset;
    };

    QWidget* m_window;
    QWidget* m_handle;
    QList<Companion> m_companions;
    bool m_active = false;
    QPoint m_origin; // where the press was, in the handle's coordinates
};

} // namespace jf
