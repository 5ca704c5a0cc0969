#pragma once

// The text formats of the Data folder's files: settings files read line by
// line (LF or CR LF, Ctrl+Z ends the file), list files split at any line
// break, every line written back with CR LF, the size ceilings, and the
// messages their failures carry. The bytes are read and replaced through
// SafeFileIO.h.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace jf {

// Largest settings file (the .ins files and the tips) and list file read.
constexpr qint64 maxSettingsFileBytes = 1024 * 1024;
constexpr qint64 maxListFileBytes = 64 * 1024 * 1024;
// Most entries a list file may hold.
constexpr qsizetype maxListEntries = 100000;

// Why a file is read. What is read as the program's state is noted
// (noteFileContent in SafeFileIO.h): the file is not replaced once another
// program has changed it. A look at the file as it stands right now, to keep
// lines the program does not hold, notes nothing.
enum class FileUse
{
    State,
    Look
};

// How the failures of a settings file are told. The sizes, names, settings
// and tips files keep the short texts they have always had ("File access
// denied", "Disk full"); the files added since name the file in every
// message ("Cannot open file "%s". %s", "Cannot create file "%s". %s").
enum class FailureText
{
    Short,
    NamingTheFile
};

// Reads a settings file whole, as SettingsFileReader does, Ctrl+Z bytes
// included. Throws InOutError; a missing file's message names it:
// "File not found: "%s"". A file read as the program's state that is
// missing (its folder too) is noted as missing.
QByteArray readSettingsFileBytes(const QString& path, FileUse use = FileUse::State,
                                 FailureText text = FailureText::Short);

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
    explicit SettingsFileReader(const QString& path, FileUse use = FileUse::State,
                                FailureText text = FailureText::Short);

    bool atEnd() const { return m_pos >= m_content.size(); }
    QString readLine();

private:
    QByteArray m_content;
    qsizetype m_pos = 0;
};

// Replaces a settings file with the given lines, each followed by CR LF.
// Throws InOutError; on failure the old file is left whole. A file another
// program changed since it was read is not replaced: InOutError "Cannot
// create file "%s". Another program changed it ...". A line that holds
// a line break (see LineBreaks.h) is refused and nothing is written.
void writeSettingsFile(const QString& path, const QStringList& lines,
                       FailureText text = FailureText::Short);

// Reads a list file whole and splits it into entries at CR LF, LF and lone
// CR; a NUL byte ends the content. *complete, when given, tells whether the
// entries hold the whole file: false when bytes follow a NUL (a UTF-16 or
// damaged file), which writing the entries back would lose. Throws
// FileStreamError "Cannot open file "%s". %s", also for a file that is not a
// regular file; FileTooLargeError for one over maxListFileBytes or holding
// more than maxListEntries entries. What was read (or that the file is
// missing) is noted as the program's state.
QStringList readListFile(const QString& path, bool* complete = nullptr);

// Splits list file content into entries as readListFile does, stopping once
// it holds more than maxEntries (when not negative).
QStringList splitListContent(QByteArrayView content, qsizetype maxEntries = -1);

// Replaces a list file with its entries, each followed by CR LF. Throws
// FileStreamError "Cannot create file "%s". %s"; the old file stays whole,
// also when another program changed it since it was read.
// An entry that holds a line break is refused and nothing is written.
void writeListFile(const QString& path, const QStringList& entries);

// Throws InOutError "Cannot create file "%s". Another program changed it
// ..." when the settings file at `path` no longer holds what the program
// read or last wrote (checkUnchanged in SafeFileIO.h), as writeSettingsFile
// would refuse it.
void refuseChangedSettingsFile(const QString& path);

// Replaces a file with a text written unchanged, in one piece (the tips
// file). Errors as writeListFile.
void writeWholeTextFile(const QString& path, const QString& text);
void writeWholeFile(const QString& path, const QByteArray& content);

} // namespace jf
