#pragma once

// Shared by the fuzz targets: what a target may throw, and the application
// object the picture targets need for Qt's image plug-ins and SVG drawing.
#include <QGuiApplication>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace jf::fuzz {

// Stops the run when a rule the program relies on does not hold; libFuzzer
// keeps the input as a crash.
inline void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "broken rule: %s\n", what);
        std::abort();
    }
}

inline void makeGuiApplication()
{
    static int argc = 1;
    static char name[] = "jf-fuzz";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    Q_UNUSED(app);
}

} // namespace jf::fuzz
