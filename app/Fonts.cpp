#include "Fonts.h"

#include <QFontDatabase>
#include <QStringList>

#include <fontconfig/fontconfig.h>

#include <future>
#include <unistd.h>

namespace jf {

namespace {

// Started once each; only the main thread touches these futures.
std::shared_future<void>& fontConfiguration()
{
    static std::shared_future<void> loading;
    return loading;
}

std::shared_future<void>& fontList()
{
    static std::shared_future<void> listing;
    return listing;
}

bool fontconfigKnowsFamily(const char* family)
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    const bool known = fonts && fonts->nfont > 0;
    if (fonts)
        FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return known;
}

void loadFontConfiguration()
{
    // fontconfig loads its configuration once per process; Qt later finds it
    // ready.
    if (!FcInit() || fontconfigKnowsFamily("Tahoma"))
        return;
    for (const char* file :
         {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}) {
        if (::access(file, R_OK) == 0)
            FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(file));
    }
}

} // namespace

void startLoadingFonts()
{
    if (!fontConfiguration().valid())
        fontConfiguration() = std::async(std::launch::async, &loadFontConfiguration).share();
}

void startListingFonts()
{
    if (fontList().valid())
        return;
    startLoadingFonts();
    // Qt's font database may be used from any thread once the application
    // object exists.
    fontList() = std::async(std::launch::async, [configuration = fontConfiguration()] {
                     configuration.wait();
                     QFontDatabase::families();
                 }).share();
}

void waitForFontConfiguration()
{
    if (fontConfiguration().valid())
        fontConfiguration().get();
}

void waitForFontList()
{
    if (fontList().valid())
        fontList().get();
}

} // namespace jf
