#pragma once

namespace jf {

// Makes the Tahoma-like face that Debian ships with Wine's fonts known to the
// program (fontconfig does not index that folder), so the window font looks
// as designed. Does nothing where the files are missing.
void installWindowFonts();

} // namespace jf
