#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace jf {

// Every failure the user can meet travels as one of these exceptions to the
// single error report at the event boundary (see app/ErrorReport). The message
// is exactly the text the user is shown, before the report adds its full stop.
class Error : public std::exception
{
public:
    explicit Error(QString message);
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A settings file that cannot be opened, read, created or written; the message
// is chosen from the operating system's error code.
class InOutError : public Error
{
public:
    explicit InOutError(int osError);
    // A failure whose message names the file, for causes the short texts
    // below do not describe.
    InOutError(int osError, QString message);
    int osError() const noexcept { return m_osError; }

    // "File not found", "Invalid filename", ... or "I/O error %d".
    static QString messageFor(int osError);

private:
    int m_osError;
};

// A text that does not convert to a number.
class ConvertError : public Error
{
public:
    using Error::Error;
};

// A list file or the tips file that cannot be opened or created.
class FileStreamError : public Error
{
public:
    using Error::Error;
};

// A file over one of the program's ceilings (its size, or the entries a list
// holds): it is not read, and it is never written over.
class FileTooLargeError : public FileStreamError
{
public:
    using FileStreamError::FileStreamError;
};

// An index outside a list: "List index out of bounds (%d)".
class ListIndexError : public Error
{
public:
    explicit ListIndexError(qsizetype index);
};

// Division by zero and invalid floating point operations.
class MathError : public Error
{
public:
    using Error::Error;
};

// A picture file that cannot be read as the picture its extension names.
class PictureError : public Error
{
public:
    using Error::Error;
};

// Printer selection and print job failures.
class PrinterError : public Error
{
public:
    using Error::Error;
};

// The text the error report shows for a failure: its message with a full
// stop appended when the last character sorts after ".".
QString errorReportText(const QString& message);

// "Cannot open file "%s". %s": a file that could not be opened or read, with
// the system's description of the error.
QString cannotOpenFileMessage(const QString& path, int osError);

// "Cannot create file "%s". %s": a file that could not be written, with the
// system's description of the error.
QString cannotCreateFileMessage(const QString& path, int osError);

// "Cannot create file "%s". It could not be read whole when the program
// started, so it is kept as it is": a data file writing back would cut short.
QString keptUnreadMessage(const QString& path);

// The system's description of an errno value, without trailing blanks or
// full stops ("No such file or directory"); "Not a regular file" for
// notRegularFileError, and a sentence of its own for foreignLinkError.
QString osErrorDescription(int osError);

// Not an errno value: the file is a pipe, a device or a socket, which the
// program neither reads nor replaces.
constexpr int notRegularFileError = -1;

// Not an errno value: the file is a symbolic link that the program does not
// follow for writing, because the link or what it leads to belongs to
// another user.
constexpr int foreignLinkError = -2;

// Not an errno value: another program changed the file since this program
// read or last wrote it, so it is not replaced.
constexpr int changedBehindError = -3;

} // namespace jf
