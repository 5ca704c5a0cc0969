#pragma once

#include "Picture.h"

#include <QImage>
#include <QList>

namespace jf {

// The pictures the main window is drawn from, compiled into the program. Each
// is stored at the size of the control that shows it, and again at twice
// that for screens of two device pixels a pixel (a high-density screen, or
// QT_SCALE_FACTOR=2), so that neither is stretched when shown.
struct WindowPictures
{
    Picture background;  // the whole window
    Picture panel;       // behind the preview and the lists; the settings and help windows' too
    Picture buttonUp;    // a cover kind's tab
    Picture buttonDown;  // the selected kind's tab, open towards the panel
    Picture placeholder; // the preview before a picture is loaded and after "Dispose Image"
    QList<QImage> icon;  // the program's icon, at the sizes window managers ask for

    // Decodes the set for screens of `devicePixelRatio`: the doubled one
    // above 1. Runs on any thread.
    static WindowPictures decode(qreal devicePixelRatio);
    // The set for the screens the program has, decoded here and now.
    static WindowPictures decodeForScreens();
};

} // namespace jf
