#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace jf {

// Largest settings file (the .ins files and the tips) and list file read.
constexpr qint64 maxSettingsFileBytes = 1024 * 1024;
constexpr qint64 maxListFileBytes = 64 * 1024 * 1024;
// Most entries a list file may hold.
constexpr qsizetype maxListEntries = 100000;

// Reads a whole regular file. Returns 0, or the errno of the failure: EISDIR
// for a folder, notRegularFileError for a pipe, device or socket (told without
// waiting for a writer), EFBIG when it holds more than maxBytes (a negative
// limit is no limit).
int readFileBytes(const QString& path, QByteArray& content, qint64 maxBytes = -1);

// Reads an open descriptor to its end, as readFileBytes does. No more than
// maxBytes + 1 bytes are read or held: one byte over the limit gives EFBIG.
// sizeHint is the expected length, if known.
int readAllFrom(int fd, QByteArray& content, qint64 maxBytes = -1, qint64 sizeHint = 0);

// Reads a settings file whole, as SettingsFileReader does, Ctrl+Z bytes
// included. Throws InOutError; a missing file's message names it:
// "File not found: "%s"".
QByteArray readSettingsFileBytes(const QString& path);

// Reads a settings file line by line. The whole file is read when the reader
// is made; a failure to open or read it throws InOutError. A folder, a
// pipe, a device or a file over maxSettingsFileBytes is refused with a
// message naming the file: "Cannot open file "%s". %s".
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
// Throws InOutError; on failure the old file is left whole. A line that holds
// a line break (see LineBreaks.h) is refused and nothing is written.
void writeSettingsFile(const QString& path, const QStringList& lines);

// Reads a list file whole and splits it into entries at CR LF, LF and lone
// CR; a NUL byte ends the content. *complete, when given, tells whether the
// entries hold the whole file: false when bytes follow a NUL (a UTF-16 or
// damaged file), which writing the entries back would lose. Throws
// FileStreamError "Cannot open file "%s". %s", also for a file that is not a
// regular file; FileTooLargeError for one over maxListFileBytes or holding
// more than maxListEntries entries.
QStringList readListFile(const QString& path, bool* complete = nullptr);

// Splits list file content into entries as readListFile does, stopping once
// it holds more than maxEntries (when not negative).
QStringList splitListContent(QByteArrayView content, qsizetype maxEntries = -1);

// Replaces a list file with its entries, each followed by CR LF. Throws
// FileStreamError "Cannot create file "%s". %s"; the old file stays whole.
// An entry that holds a line break is refused and nothing is written.
void writeListFile(const QString& path, const QStringList& entries);

// Replaces a file with a text written unchanged, in one piece (the tips
// file). Errors as writeListFile.
void writeWholeTextFile(const QString& path, const QString& text);
void writeWholeFile(const QString& path, const QByteArray& content);

// The low-level replacement used by all writers: writes to a temporary file
// beside the target, "<name>.jf-saving.XXXXXX", and renames it over the
// target, so a failure leaves the old content whole. Temporary files of the
// same target left by a save that was killed are removed first; one that
// another running save holds locked is left alone.
//
// Only a regular file is replaced: anything else
// gives EISDIR or notRegularFileError. A symbolic link is followed only when
// the link and the file it leads to belong to the user running the program;
// otherwise foreignLinkError. An existing file that may not be
// written is not replaced. When the folder does not allow a temporary file
// (EACCES, EPERM, EROFS), an existing file is rewritten in place, and its old
// content put back if that fails. Returns 0 or the errno of the failure.
int replaceFileContent(const QString& path, const QByteArray& content);

// The part of a temporary file's name that follows the target's name.
constexpr char tempFileMarker[] = ".jf-saving.";

// Test seam: makes the next writes fail with the given errno after the given
// number of bytes of the new content were written. errnoValue 0 clears it.
void setWriteFaultForTesting(int errnoValue, qint64 afterBytes = 0);

// The native byte form of a path.
QByteArray nativePath(const QString& path);

} // namespace jf
