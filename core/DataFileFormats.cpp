#include "DataFileFormats.h"

#include "Errors.h"
#include "LineBreaks.h"
#include "SafeFileIO.h"
#include "TextCodec.h"

#include <cerrno>

namespace jf {

namespace {

QByteArray joinLines(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines) {
        out += encodeLocal8Bit(line);
        out += "\r\n";
    }
    return out;
}

[[noreturn]] void throwCreateError(const QString& path, int err)
{
    throw FileStreamError(cannotCreateFileMessage(path, err));
}

// "Cannot open file "%s". %s", with the limit for a file that is too large.
QString openFileMessage(const QString& path, int err, qint64 maxBytes)
{
    if (err == EFBIG)
        return QStringLiteral("Cannot open file \"%1\". File too large (over %2 MB)")
            .arg(path)
            .arg(maxBytes / (1024 * 1024));
    return cannotOpenFileMessage(path, err);
}

// Failures the short settings file messages do not describe; their messages
// name the file.
bool needsNamedMessage(int err)
{
    return err == EFBIG || err == EISDIR || err == notRegularFileError || err == foreignLinkError ||
           err == changedBehindError;
}

} // namespace

QByteArray readSettingsFileBytes(const QString& path, FileUse use, FailureText text)
{
    QByteArray content;
    const int err = readFileBytes(path, content, maxSettingsFileBytes);
    if (err == 0) {
        if (use == FileUse::State)
            noteFileContent(path, content);
        return content;
    }
    if (err == ENOENT && use == FileUse::State)
        noteFileMissing(path);
    const int refined = refineNotFound(path, err);
    if (refined == ENOENT)
        throw InOutError(err, QStringLiteral("File not found: \"%1\"").arg(path));
    if (needsNamedMessage(err) || text == FailureText::NamingTheFile)
        throw InOutError(refined, openFileMessage(path, err, maxSettingsFileBytes));
    throw InOutError(refined);
}

SettingsFileReader::SettingsFileReader(const QString& path, FileUse use, FailureText text)
    : m_content(readSettingsFileBytes(path, use, text))
{
    const qsizetype eof = m_content.indexOf('\x1a');
    if (eof >= 0)
        m_content.truncate(eof);
}

QString SettingsFileReader::readLine()
{
    QByteArray line;
    while (m_pos < m_content.size()) {
        const char c = m_content[m_pos++];
        if (c == '\n')
            break;
        if (c == '\r') {
            if (m_pos < m_content.size() && m_content[m_pos] == '\n') {
                ++m_pos;
                break;
            }
            continue; // a lone CR is dropped
        }
        line += c;
    }
    return decodeLocal8Bit(line);
}

void writeSettingsFile(const QString& path, const QStringList& lines, FailureText text)
{
    refuseLineBreaks(path, lines);
    if (const int err = replaceFileContent(path, joinLines(lines))) {
        if (needsNamedMessage(err) || text == FailureText::NamingTheFile)
            throw InOutError(err, cannotCreateFileMessage(path, err));
        throw InOutError(refineNotFound(path, err));
    }
}

QStringList splitListContent(QByteArrayView content, qsizetype maxEntries)
{
    const qsizetype nul = content.indexOf('\0');
    if (nul >= 0)
        content = content.first(nul);
    QStringList entries;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < content.size() && (maxEntries < 0 || entries.size() <= maxEntries)) {
        const char c = content[i];
        if (c == '\r' || c == '\n') {
            entries << decodeLocal8Bit(content.sliced(start, i - start));
            if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
                ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < content.size() && (maxEntries < 0 || entries.size() <= maxEntries))
        entries << decodeLocal8Bit(content.sliced(start));
    return entries;
}

QStringList readListFile(const QString& path, bool* complete)
{
    QByteArray content;
    if (const int err = readFileBytes(path, content, maxListFileBytes)) {
        if (err == ENOENT)
            noteFileMissing(path);
        if (err == EFBIG)
            throw FileTooLargeError(openFileMessage(path, err, maxListFileBytes));
        throw FileStreamError(openFileMessage(path, err, maxListFileBytes));
    }
    noteFileContent(path, content);
    if (complete) {
        const qsizetype nul = content.indexOf('\0');
        *complete = nul < 0 || nul == content.size() - 1;
    }
    QStringList entries = splitListContent(content, maxListEntries);
    if (entries.size() > maxListEntries)
        throw FileTooLargeError(QStringLiteral("Cannot open file \"%1\". Too many lines (over %2)")
                                    .arg(path)
                                    .arg(maxListEntries));
    return entries;
}

void refuseChangedSettingsFile(const QString& path)
{
    if (const int err = checkUnchanged(path))
        throw InOutError(err, cannotCreateFileMessage(path, err));
}

void writeListFile(const QString& path, const QStringList& entries)
{
    refuseLineBreaks(path, entries);
    if (const int err = replaceFileContent(path, joinLines(entries)))
        throwCreateError(path, err);
}

void writeWholeTextFile(const QString& path, const QString& text)
{
    writeWholeFile(path, encodeLocal8Bit(text));
}

void writeWholeFile(const QString& path, const QByteArray& content)
{
    if (const int err = replaceFileContent(path, content))
        throwCreateError(path, err);
}

} // namespace jf
