#include "Fonts.h"

#include <QFontDatabase>
#include <QHash>

#include <fontconfig/fontconfig.h>

#include <future>
#include <unistd.h>

namespace jf {

namespace {

// Families asked for by name, and the installed family fontconfig draws for
// each.
using InstalledFamilies = QHash<QString, QString>;

// Started once each; only the main thread touches these futures.
std::shared_future<InstalledFamilies>& fontConfiguration()
{
    static std::shared_future<InstalledFamilies> loading;
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

// The family of the font fontconfig picks for `family`, as Qt's search for
// fallbacks would find it.
QString matchedFamily(const QByteArray& family)
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.constData()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* name = nullptr;
    QString found = QString::fromUtf8(family);
    if (match && FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch)
        found = QString::fromUtf8(reinterpret_cast<const char*>(name));
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return found;
}

InstalledFamilies loadFontConfiguration(const QStringList& families)
{
    // fontconfig loads its configuration once per process; Qt later finds it
    // ready.
    if (!FcInit())
        return {};
    if (!fontconfigKnowsFamily("Tahoma")) {
        for (const char* file :
             {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}) {
            if (::access(file, R_OK) == 0)
                FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(file));
        }
    }
    InstalledFamilies installed;
    for (const QString& family : families) {
        const QByteArray name = family.toUtf8();
        if (!fontconfigKnowsFamily(name.constData()))
            installed.insert(family, matchedFamily(name));
    }
    return installed;
}

} // namespace

void startLoadingFonts(const QStringList& families)
{
    if (!fontConfiguration().valid())
        fontConfiguration() =
            std::async(std::launch::async, &loadFontConfiguration, families).share();
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

QString installedFamily(const QString& family)
{
    if (!fontConfiguration().valid())
        return family;
    return fontConfiguration().get().value(family, family);
}

} // namespace jf
