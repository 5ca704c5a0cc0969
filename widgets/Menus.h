#pragma once

#include <QKeySequence>
#include <QList>
#include <QPoint>
#include <QString>
#include <functional>
#include <initializer_list>

class QAction;
class QActionGroup;
class QContextMenuEvent;
class QMenu;
class QWidget;

namespace jf {

// One entry of a popup menu: its object name, its text and what it does.
struct MenuEntry
{
    const char* objectName;
    const char* text;
    std::function<void()> run;
};

// A popup menu of `parent`, named `objectName`, with `entries` in order.
QMenu* makeMenu(QWidget* parent, const char* objectName, std::initializer_list<MenuEntry> entries);

// Checkable entries of which one is checked at a time, put into `menu`
// before `before`: each is named and does what its MenuEntry says when it
// is chosen.
QActionGroup* addChoices(QMenu* menu, QAction* before, std::initializer_list<MenuEntry> entries);

// A right click on `control` opens `menu` where it was clicked, instead of
// the menu of the window the control is on.
void openMenuOnRightClick(QWidget* control, QMenu* menu);

// Gives `action` the shortcut `keys`, which work while `window` is active
// (a menu shows the first beside the action's entry).
void addShortcuts(QWidget* window, QAction* action, const QList<QKeySequence>& keys);

// Shift+F10 in `window` asks the focused control for its menu, as the Menu
// key does (the window system sends that request itself): a control with a
// menu of its own (a list, an edit box) opens it, any other passes the
// request on to the window.
void openMenusFromKeyboard(QWidget* window);

// Where a menu asked for by `event` opens: where the right click was, or,
// asked for from the keyboard, just below the focused control.
QPoint menuPosition(const QContextMenuEvent* event);

} // namespace jf
