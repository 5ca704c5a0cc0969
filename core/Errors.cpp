#include "Errors.h"

#include <cerrno>
#include <cstring>

namespace jf {

Error::Error(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

InOutError::InOutError(int osError) : Error(messageFor(osError)), m_osError(osError) {}

InOutError::InOutError(int osError, QString message) : Error(std::move(message)), m_osError(osError)
{
}

QString InOutError::messageFor(int osError)
{
    switch (osError) {
    case ENOENT:
        return QStringLiteral("File not found");
    case ENOTDIR:
        return QStringLiteral("Invalid filename");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Too many open files");
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("File access denied");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("Disk full");
    default:
        return QStringLiteral("I/O error %1").arg(osError);
    }
}

ListIndexError::ListIndexError(qsizetype index)
    : Error(QStringLiteral("List index out of bounds (%1)").arg(index))
{
}

QString errorReportText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

QString cannotOpenFileMessage(const QString& path, int osError)
{
    return QStringLiteral("Cannot open file \"%1\". %2").arg(path, osErrorDescription(osError));
}

QString cannotCreateFileMessage(const QString& path, int osError)
{
    return QStringLiteral("Cannot create file \"%1\". %2").arg(path, osErrorDescription(osError));
}

QString keptUnreadMessage(const QString& path)
{
    return QStringLiteral("Cannot create file \"%1\". It could not be read whole when the "
                          "program started, so it is kept as it is")
        .arg(path);
}

QString osErrorDescription(int osError)
{
    if (osError == notRegularFileError)
        return QStringLiteral("Not a regular file");
    if (osError == foreignLinkError)
        return QStringLiteral("The file is a symbolic link, and the link or the file it leads "
                              "to belongs to another user; it is not written through");
    if (osError == changedBehindError)
        return QStringLiteral("Another program changed it after this program read it, so it is "
                              "kept as it is and nothing was written to it");
    QString text = QString::fromLocal8Bit(std::strerror(osError));
    while (!text.isEmpty() && (text.back() == QLatin1Char(' ') || text.back() == QLatin1Char('.')))
        text.chop(1);
    return text;
}

} // namespace jf
