#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

// Moves a borderless window while the user drags one of its controls (its
// background picture): a press there starts the drag, every move while it
// lasts moves the window by what the pointer moved, the release ends it.
// Owned by the window it moves.
class WindowDrag : public QObject
{
    Q_OBJECT

public:
    // Drags `window` by `handle`, a control of it.
    WindowDrag(QWidget* window, QWidget* handle);

    bool isActive() const { return m_active; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    QWidget* m_handle;
    bool m_active = false;
    QPoint m_origin; // where the press was, in the handle's coordinates
};
