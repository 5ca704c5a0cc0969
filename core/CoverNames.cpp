#include "CoverNames.h"

#include "CoverSizes.h"
#include "DataFileFormats.h"

namespace jf {

QStringList defaultCoverNames()
{
    return {QStringLiteral("DVD"),        QStringLiteral("Slim DVD"), QStringLiteral("Large DVD"),
            QStringLiteral("DVD Inside"), QStringLiteral("CD Front"), QStringLiteral("CD Inside"),
            QStringLiteral("CD Back"),    QStringLiteral("CD Disk")};
}

QStringList readCoverNames(const QString& path)
{
    SettingsFileReader reader(path);
    QStringList names;
    for (int kind = 1; kind <= coverKindCount; ++kind)
        names << reader.readLine();
    return names;
}

void writeCoverNames(const QString& path, const QStringList& names)
{
    QStringList lines;
    for (int kind = 1; kind <= coverKindCount; ++kind)
        lines << names.value(kind - 1);
    writeSettingsFile(path, lines);
}

} // namespace jf
