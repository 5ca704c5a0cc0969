#pragma once

#include <QColor>

namespace jf {

// The classic desktop scroll-bar grey, the background of the help text and
// the add-program dialog whatever the desktop's own colour scheme.
inline QColor scrollBarColour()
{
    return QColor(0xC8, 0xC8, 0xC8);
}

} // namespace jf
