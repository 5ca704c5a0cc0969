#pragma once

#include <QString>
#include <QStringList>

namespace jf {

// The fonts the windows need, made ready beside the start-up instead of in
// its way: reading the system's font configuration and listing its fonts is
// the costliest part of a start, and nothing the program does before it
// builds its first control with text needs them.
//
// The window font is Tahoma. Where fontconfig does not know it, the face
// Debian ships with Wine's fonts (a folder fontconfig does not index) is
// added to fontconfig's own list before Qt first reads that list, so Qt
// finds it like any installed font. Nothing is added where the files are
// missing. (Qt empties that list of fontconfig's whenever a Qt application
// font is added or removed; the program does neither.)
//
//   startLoadingFonts(families) fontconfig reads its configuration, learns
//                               the window font and finds the installed
//                               family for each of `families`, on a thread of
//                               its own; best called before the QApplication
//                               exists, so it overlaps the display
//                               connection, and after the program's last
//                               change to the environment
//   startListingFonts()         once the QApplication exists: Qt's font list
//                               is filled on a second thread as soon as the
//                               first is done
//   waitForFontConfiguration()  before the first control with text is built
//                               (Qt must not read fontconfig before that
//                               thread is done)
//   waitForFontList()           before the QApplication goes
//
// The waits return at once when nothing was started.
void startLoadingFonts(const QStringList& families = {});
void startListingFonts();
void waitForFontConfiguration();
void waitForFontList();

// The family fontconfig draws for `family`: the family itself where it is
// installed, else the one the desktop puts in its place (Liberation Sans for
// Arial on Debian), the same Qt would find by searching fontconfig for
// fallbacks, a search that costs the start more than all the rest of
// building a font. Known for the families given to startLoadingFonts, once
// fontconfig is loaded; any other family comes back as it is.
QString installedFamily(const QString& family);

} // namespace jf
