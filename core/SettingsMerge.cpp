#include "SettingsMerge.h"

#include "DataFileFormats.h"
#include "Errors.h"

#include <cerrno>

namespace jf {

QStringList mergeWithFile(const QString& path, const QStringList& edited, const QStringList& shown,
                          bool onePiece)
{
    const auto kept = [&path](int osError) {
        return InOutError(osError, QStringLiteral("Cannot create file \"%1\". It could not be "
                                                  "read when this window opened, so it is kept "
                                                  "as it is")
                                       .arg(path));
    };
    QStringList onDisk;
    try {
        SettingsFileReader reader(path);
        for (qsizetype i = 0; i < edited.size(); ++i)
            onDisk << reader.readLine();
    } catch (const InOutError& e) {
        if (e.osError() != ENOENT)
            throw kept(e.osError());
    }
    if (onePiece && !onDisk.isEmpty())
        throw kept(EIO);
    QStringList lines = edited;
    for (qsizetype i = 0; i < onDisk.size(); ++i) {
        if (lines[i] == shown.value(i))
            lines[i] = onDisk[i];
    }
    return lines;
}

} // namespace jf
