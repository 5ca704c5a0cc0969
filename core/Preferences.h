#pragma once

#include <QStringList>
#include <cstdint>
#include <optional>

namespace jf {

// DefaultSettings.ins: the cutting border around a printed cover and the
// period of the tips line.
struct Preferences
{
    // Line 1: border width in pixels, the low 8 bits of the integer
    // ("256" gives 0, "-1" gives 255).
    std::uint8_t borderWidth = 0;
    // Line 2: border colour name, free text kept exactly as read; printing
    // knows the names of namedBorderColour.
    QString borderColour;
    // Line 3: tip interval in milliseconds; 0 or less stops the tips.
    std::int32_t tipInterval = 6000;

    // Reads the three lines; each value is taken as soon as it has been read
    // and converted, so a failure leaves the values before it in place.
    void read(const QString& path);
    // Writes the three lines, each followed by CR LF.
    void write(const QString& path) const;
};

// A colour as 0xAARRGGBB, the form of Qt's QRgb; the border colours are
// opaque.
using Rgb = std::uint32_t;

// The colour of a border colour name: "Black", "Red", "Blue", "Green",
// "Yellow" or "Gray", compared exactly in that order; nothing for any other
// name.
std::optional<Rgb> namedBorderColour(const QString& name);

// The border's colour before any name is given: gray.
constexpr Rgb firstBorderColour = 0xff808080;

// The border's colour after `name` is given to a border of colour
// `current`: the named colour, or `current` for a name that is none of
// them (an unknown name keeps the colour the border had).
Rgb borderColourAfter(const QString& name, Rgb current);

// DefaultSettings.ins as text, the way the settings window edits it: the three
// lines unconverted, missing lines empty. Throws InOutError.
QStringList readPreferenceLines(const QString& path);

// Writes the three lines as they are, each followed by CR LF. Throws
// InOutError; the old file then stays whole.
void writePreferenceLines(const QString& path, const QStringList& lines);

} // namespace jf
