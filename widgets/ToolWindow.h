#pragma once

#include <Qt>

class QPoint;
class QWidget;

namespace jf {

// The window flags of a tool window: a borderless dialog. Window managers
// keep a transient above its parent only when it is a dialog.
inline constexpr Qt::WindowFlags toolWindowFlags = Qt::Dialog | Qt::FramelessWindowHint;

// Shows a tool window (settings, help, add-program) above the main window,
// which is disabled while the tool window is open: the tool window is kept
// above it by the window manager as its transient, yet stays usable itself.
// The tool window calls closeToolWindow from its own close handling.
void showToolWindow(QWidget* tool, QWidget* mainWindow, const QPoint& topLeft);

// Escape closes the tool window as its "X" does (a menu or list open in it
// takes Escape first). The tool window calls it once, when it is made.
void closeOnEscape(QWidget* tool);

// The look of the small tool windows: the window font (Tahoma, 11 pixels)
// and the scroll-bar grey as background.
void applyToolWindowLook(QWidget* tool);

// Hides the tool window and enables the main window again; the control of
// the main window that had the focus when the tool window opened has it
// again.
void closeToolWindow(QWidget* tool, QWidget* mainWindow);

} // namespace jf
