#pragma once

#include "MainWindow.h"
#include "PrintWindow.h"

// Program start, shared by main() and the start-up benchmark.
namespace jf {

// Names the application to the desktop (the title captions every message
// box) and makes the window fonts available. Runs before any window exists.
void prepareApplication();

// The program's windows, made hidden in their start-up order; each lives
// until the program ends. Making the main window loads the Data folder and
// reports any failure before the window is shown.
struct AppWindows
{
    AppWindows();

    MainWindow mainWindow;
    PrintWindow printWindow;
};

} // namespace jf
