#include "DataFolder.h"

#include "NumberConvert.h"
#include "TextCodec.h"
#include "TextFiles.h"

#include <QByteArray>
#include <cerrno>
#include <unistd.h>

namespace jf {

QString currentBaseDir()
{
    QByteArray buffer(4096, '\0');
    while (::getcwd(buffer.data(), size_t(buffer.size())) == nullptr) {
        if (errno != ERANGE)
            return QStringLiteral("./");
        buffer.resize(buffer.size() * 2);
    }
    return decodeLocal8Bit(QByteArrayView(buffer.constData())) + QLatin1Char('/');
}

QString dataPath(const QString& baseDir, const char* name)
{
    return baseDir + QStringLiteral("Data/") + QLatin1String(name);
}

void readSizesFile(const QString& path, CoverSizes& sizes)
{
    SettingsFileReader reader(path);
    for (int n = 1; n <= coverKindCount; ++n) {
        sizes.widths[n] = strToInt(reader.readLine());
        sizes.heights[n] = strToInt(reader.readLine());
    }
}

void writeSizesFile(const QString& path, const CoverSizes& sizes)
{
    QStringList lines;
    for (int n = 1; n <= coverKindCount; ++n)
        lines << intToStr(sizes.widths[n]) << intToStr(sizes.heights[n]);
    writeSettingsFile(path, lines);
}

QStringList readNamesFile(const QString& path)
{
    SettingsFileReader reader(path);
    QStringList names;
    for (int n = 1; n <= coverKindCount; ++n)
        names << reader.readLine();
    return names;
}

void readAdvancedSettingsFile(const QString& path, const AdvancedSettingsSink& sink)
{
    SettingsFileReader reader(path);
    const std::int32_t width = strToInt(reader.readLine());
    sink.borderWidth(static_cast<std::uint8_t>(std::uint32_t(width) & 0xFFu));
    sink.borderColour(reader.readLine());
    sink.tipInterval(strToInt(reader.readLine()));
}

void readTipsFile(const QString& path, const std::function<void(const QString&)>& append)
{
    SettingsFileReader reader(path);
    while (!reader.atEnd())
        append(reader.readLine());
}

QStringList defaultCoverNames()
{
    return {QStringLiteral("DVD"),        QStringLiteral("Slim DVD"), QStringLiteral("Large DVD"),
            QStringLiteral("DVD Inside"), QStringLiteral("CD Front"), QStringLiteral("CD Inside"),
            QStringLiteral("CD Back"),    QStringLiteral("CD Disk")};
}

CoverSizes defaultCoverSizes()
{
    CoverSizes s;
    const int w[] = {270, 265, 280, 130, 121, 120, 151, 117};
    const int h[] = {184, 184, 184, 184, 121, 120, 118, 117};
    for (int n = 1; n <= coverKindCount; ++n) {
        s.widths[n] = w[n - 1];
        s.heights[n] = h[n - 1];
    }
    return s;
}

} // namespace jf
