#pragma once

#include "WindowPictures.h"

#include <functional>
#include <future>
#include <memory>

class QApplication;

namespace jf {

class AppController;
class MainWindow;
class OneProgram;
class StartArguments;

// The program's name and version, as the command line and the desktop see
// them: the name is the class part of the windows' X11 WM_CLASS, which
// matches the desktop entry's StartupWMClass.
void nameApplication();

// Names the application to the desktop (the title captions every message
// box and is the windows' title) and starts filling Qt's font list beside
// the rest of the start (Fonts.h). Runs once the application object exists,
// before any window.
void prepareApplication();

// Gives every window, those open and those to come, the program's icon at
// the sizes given (WindowPictures::icon).
void setProgramIcon(const QList<QImage>& sizes);

// Runs `work` (through guarded()) once `window` has painted its first frame,
// so what the first frame does not need does not hold it back; at the latest
// a second after this call, for a window that starts minimised and paints
// nothing.
void afterFirstFrame(MainWindow& window, std::function<void()> work);

// What the start leaves until `window`'s first frame (afterFirstFrame):
// later starts on the same Data folder are answered through `one`, and the
// windows get their icon.
void finishStartAfterFirstFrame(MainWindow& window, OneProgram& one);

// The start of the program on a display: the application object (on the
// display platform the arguments choose), prepared as above, and what the
// first window needs but the start need not wait for, made ready on threads
// of their own beside it: the fonts (Fonts.h) and the window pictures. Lives
// as long as the program runs; when it goes, those threads have ended.
class Application
{
public:
    // Takes Qt's own options (-platform, -style, ...) out of `start`, which
    // outlives this object. Without a display the program ends here (see
    // DisplayWatch).
    explicit Application(StartArguments& start);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The program's state and windows. The window pictures start decoding on
    // a thread of their own, the controller is made as soon as the window
    // font is known, and the main window gets its pictures once they are
    // decoded and Qt's font list is filled. Called once.
    std::unique_ptr<AppController> makeController();

private:
    std::unique_ptr<QApplication> m_application;
    std::future<WindowPictures> m_pictures;
};

} // namespace jf
