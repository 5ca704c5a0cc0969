#pragma once

namespace jf {

// Makes the Tahoma-like face that Debian ships with Wine's fonts known to the
// program (fontconfig does not index that folder), so the window font looks
// as designed. Does nothing where the files are missing.
void installWindowFonts();

// The same, done beside the start-up instead of in its way. Reading the
// system's font configuration and listing its fonts is the costliest part of
// a start; nothing the main window builds before it measures its first text
// needs it.
//
//   startReadingFontConfiguration()  before the QApplication exists: lets
//                                    fontconfig read its configuration while
//                                    the display connection is made
//   startInstallingWindowFonts()     once it exists: Qt's font list and the
//                                    window fonts follow on the same thread
//   waitForWindowFonts()             before the first text is measured, and
//                                    in any case before the QApplication
//                                    goes; returns at once when nothing was
//                                    started
void startReadingFontConfiguration();
void startInstallingWindowFonts();
void waitForWindowFonts();

} // namespace jf
