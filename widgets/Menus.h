#pragma once

#include <QString>
#include <functional>
#include <initializer_list>

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

// A right click on `control` opens `menu` where it was clicked, instead of
// the menu of the window the control is on.
void openMenuOnRightClick(QWidget* control, QMenu* menu);

} // namespace jf
