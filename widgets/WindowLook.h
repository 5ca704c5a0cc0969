#pragma once

#include "Fonts.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QWidget>

namespace jf {

// The program's own look, the same whatever the desktop's scheme.

// The font families the windows ask for, found as installed beside the
// start (Fonts.h).
inline QStringList windowFamilies()
{
    return {QStringLiteral("Tahoma"), QStringLiteral("Arial"), QStringLiteral("Arial Black")};
}

// The font of every window: Tahoma at 11 pixels.
inline QFont windowFont()
{
    QFont font(installedFamily(QStringLiteral("Tahoma")));
    font.setPixelSize(11);
    return font;
}

// Builds a window's controls (`build`, its form's setupUi) in the window
// font, so none lays out its text twice. Qt's default font is the window
// font meanwhile: a text box lays its text out once in the default font
// before it takes its window's, and Qt would load that font for this alone.
template <typename Build> void buildInWindowFont(QWidget& window, Build build)
{
    struct RestoreDefault
    {
        QFont font;
        ~RestoreDefault() { QGuiApplication::setFont(font); }
    } restore{QGuiApplication::font()};
    const QFont font = windowFont();
    window.setFont(font);
    QGuiApplication::setFont(font);
    build();
}

// The face of a caption, at a fixed pixel size whatever the screen's density.
inline QFont captionFont(int pixels, bool bold, bool italic = false,
                         const QString& family = QStringLiteral("Arial"))
{
    QFont font(installedFamily(family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

// The classic desktop scroll-bar grey, the background of the favourites
// lists, the help text and the small tool windows.
inline QColor scrollBarColour()
{
    return QColor(0xC8, 0xC8, 0xC8);
}

// A PNG picture built into the program (the window icon, the button
// pictures). Qt's PNG reader is named outright: left to guess the format,
// Qt loads every image plugin to ask whether it reads the file, which costs
// the start more than decoding the pictures.
inline QImage builtInPng(const QString& path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

} // namespace jf
