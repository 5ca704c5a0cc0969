#pragma once

#include <QColor>
#include <QFont>

namespace jf {

// The program's own look, the same whatever the desktop's scheme.

// The font of every window: Tahoma at 11 pixels.
inline QFont windowFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    return font;
}

// The classic desktop scroll-bar grey, the background of the favourites
// lists, the help text and the small tool windows.
inline QColor scrollBarColour()
{
    return QColor(0xC8, 0xC8, 0xC8);
}

} // namespace jf
