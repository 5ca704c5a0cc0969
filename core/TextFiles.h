#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace jf {

// Reads a whole file. Returns 0, or the errno of the failure; EFBIG when it
// holds more than maxBytes (a negative limit is no limit).
int readFileBytes(const QString& path, QByteArray& content, qint64 maxBytes = -1);

// Reads a settings file line by line. The whole file is read when the reader
// is made; a failure to open or read it throws InOutError.
//  - A line ends at LF or CR LF; a CR not followed by LF is dropped.
//  - A Ctrl+Z byte ends the file.
//  - Reading past the end yields empty lines.
class SettingsFileReader
{
public:
    explicit SettingsFileReader(const QString& path);

    bool atEnd() const { return m_pos >= m_content.size(); }
    QString readLine();

private:
    QByteArray m_content;
    qsizetype m_pos = 0;
};

// Replaces a settings file with the given lines, each followed by CR LF.
// Throws InOutError; on failure the old file is left whole.
void writeSettingsFile(const QString& path, const QStringList& lines);

// Reads a list file whole and splits it into entries at CR LF, LF and lone
// CR; a NUL byte ends the content. Throws FileStreamError
// "Cannot open file "%s". %s". `complete` (when given) tells whether the
// content went on after a NUL byte, which was then not read.
QStringList readListFile(const QString& path, bool* complete = nullptr);

// Splits list file content into entries as readListFile does.
QStringList splitListContent(QByteArrayView content);

// Replaces a list file with its entries, each followed by CR LF. Throws
// FileStreamError "Cannot create file "%s". %s"; the old file stays whole.
void writeListFile(const QString& path, const QStringList& entries);

// Replaces a file with a text written unchanged, in one piece (the tips
// file). Errors as writeListFile.
void writeWholeTextFile(const QString& path, const QString& text);

// The low-level replacement used by all writers: writes to a temporary file
// beside the target and renames it over the target, so a failure leaves the
// old content whole. An existing file that may not be written is not
// replaced. Returns 0 or the errno of the failure.
int replaceFileContent(const QString& path, const QByteArray& content);

// Test seam: makes the next writes fail with the given errno after the given
// number of bytes of the temporary file were written. errnoValue 0 clears it.
void setWriteFaultForTesting(int errnoValue, qint64 afterBytes = 0);

// The native byte form of a path.
QByteArray nativePath(const QString& path);

} // namespace jf
