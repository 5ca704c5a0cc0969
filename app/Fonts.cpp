#include "Fonts.h"

#include <QFileInfo>
#include <QFontDatabase>

#include <fontconfig/fontconfig.h>

#include <future>

namespace jf {

namespace {

// Each runs on a thread of its own, the installation after the reading of
// the configuration. Only the main thread touches these futures.
std::future<void>& fontConfiguration()
{
    static std::future<void> reading;
    return reading;
}

std::future<void>& windowFontInstallation()
{
    static std::future<void> installing;
    return installing;
}

} // namespace

void installWindowFonts()
{
    if (!QFontDatabase::families().contains(QStringLiteral("Tahoma"))) {
        for (const char* file :
             {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}) {
            const QString path = QString::fromLatin1(file);
            if (QFileInfo::exists(path))
                QFontDatabase::addApplicationFont(path);
        }
    }
}

void startReadingFontConfiguration()
{
    // fontconfig loads its configuration once per process, safely from any
    // thread; Qt's own font list then finds it ready.
    if (!fontConfiguration().valid())
        fontConfiguration() = std::async(std::launch::async, [] { FcInit(); });
}

void startInstallingWindowFonts()
{
    if (windowFontInstallation().valid())
        return;
    // Qt's font database is safe to use from any thread once the
    // application object exists.
    std::shared_future<void> configuration =
        fontConfiguration().valid() ? fontConfiguration().share() : std::shared_future<void>();
    windowFontInstallation() = std::async(std::launch::async, [configuration] {
        if (configuration.valid())
            configuration.wait();
        installWindowFonts();
    });
}

void waitForWindowFonts()
{
    if (windowFontInstallation().valid())
        windowFontInstallation().get();
    if (fontConfiguration().valid())
        fontConfiguration().get();
}

} // namespace jf
