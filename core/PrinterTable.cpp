#include "PrinterTable.h"

#include "DataFileFormats.h"
#include "Errors.h"
#include "SafeFileIO.h"
#include "TextCodec.h"

#include <algorithm>
#include <cerrno>

namespace jf {

QList<int> PrinterTableFile::read(const QString& path,
                                  const std::function<bool(const QStringList&)>& take)
{
    m_keptLines.clear();
    m_notReadWhole = false;
    QList<int> damaged;
    QByteArray content;
    try {
        content = readSettingsFileBytes(path, FileUse::State, FailureText::NamingTheFile);
    } catch (const InOutError& e) {
        if (e.osError() == ENOENT || e.osError() == ENOTDIR)
            return damaged; // nothing kept yet (or no Data folder at all)
        m_notReadWhole = true;
        throw;
    }
    const QList<QByteArray> lines = content.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray bytes = lines[i];
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        if (bytes.isEmpty())
            continue;
        const bool control = std::any_of(bytes.cbegin(), bytes.cend(), [](char c) {
            return (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == '\x7f';
        });
        const QString line = decodeLocal8Bit(bytes);
        if (control || !take(line.split(QLatin1Char('\t')))) {
            damaged << int(i + 1);
            m_keptLines << line;
        }
    }
    return damaged;
}

void PrinterTableFile::write(const QString& path, const QStringList& lines) const
{
    // A file that could not be read whole would lose what was not read.
    if (m_notReadWhole)
        throw InOutError(EFBIG, keptUnreadMessage(path));
    if (lines.isEmpty() && m_keptLines.isEmpty()) {
        // No printer left: no file either.
        if (const int err = removeFile(path))
            throw InOutError(
                err,
                QStringLiteral("Cannot delete file \"%1\". %2").arg(path, osErrorDescription(err)));
        return;
    }
    writeSettingsFile(path, lines + m_keptLines, FailureText::NamingTheFile);
}

void reportDamagedLines(const QString& path, const QList<int>& damaged)
{
    if (damaged.isEmpty())
        return;
    QStringList numbers;
    for (int line : damaged)
        numbers << QString::number(line);
    throw Error(QStringLiteral("Damaged lines of \"%1\" were ignored: line %2")
                    .arg(path, numbers.join(QStringLiteral(", "))));
}

} // namespace jf
