#pragma once

#include <QString>
#include <cstdint>

namespace jf {

// Values that belong to the whole application rather than to one window.
struct AppGlobals
{
    std::uint8_t borderWidth = 0; // low 8 bits of DefaultSettings.ins line 1
    QString borderColour;         // DefaultSettings.ins line 2, as read
    QString currentImagePath;     // last picture loaded into the preview
    std::int8_t tipIndex = -1;    // index of the tip shown last
    bool dragActive = false;      // a drag of the main window is under way
    std::int16_t dragOriginX = 0; // where that drag began, window coordinates
    std::int16_t dragOriginY = 0;
};

AppGlobals& globals();

// Back to the values at program start (used by tests).
void resetGlobals();

} // namespace jf
