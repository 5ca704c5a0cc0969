#pragma once

// Whole files read and replaced safely, as bytes: only regular files, never
// more than a ceiling, and a replacement that leaves either the old or the
// new content, never a mix. Every function reports failure as an errno
// value (or notRegularFileError, foreignLinkError, changedBehindError from
// Errors.h); the data
// files' formats and messages are in DataFileFormats.h.

#include <QByteArray>
#include <QString>

namespace jf {

// Reads a whole regular file. Returns 0, or the errno of the failure: EISDIR
// for a folder, notRegularFileError for a pipe, device or socket (told without
// waiting for a writer), EFBIG when it holds more than maxBytes (a negative
// limit is no limit).
int readFileBytes(const QString& path, QByteArray& content, qint64 maxBytes = -1);

// Reads an open descriptor to its end, as readFileBytes does. No more than
// maxBytes + 1 bytes are read or held: one byte over the limit gives EFBIG.
// sizeHint is the expected length, if known.
int readAllFrom(int fd, QByteArray& content, qint64 maxBytes = -1, qint64 sizeHint = 0);

// The largest old content a rewrite in place (below) keeps for putting back;
// a larger file is rewritten without that safety.
constexpr qint64 maxRestorableBytes = 64 * 1024 * 1024;

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
// content put back if that fails. A file that another program changed since
// the program read it is not replaced (see noteFileContent). Returns 0 or the
// errno of the failure.
int replaceFileContent(const QString& path, const QByteArray& content);

// The part of a temporary file's name that follows the target's name.
constexpr char tempFileMarker[] = ".jf-saving.";

// Whether anything has the name `path`: a file, a folder, or a symbolic link
// (also one that leads nowhere).
bool nameExists(const QString& path);

// Removes a data file, unless another program changed it since the program
// read it (changedBehindError, the file kept). One that is gone already is
// no failure. The file is then noted as missing. Returns 0 or the errno of
// the failure.
int removeFile(const QString& path);

// ENOTDIR in place of ENOENT when the folder of `path` is missing too (an
// invalid name rather than a missing file); any other error as it is.
int refineNotFound(const QString& path, int err);

// Test seam: makes the next writes fail with the given errno after the given
// number of bytes of the new content were written. errnoValue 0 clears it.
void setWriteFaultForTesting(int errnoValue, qint64 afterBytes = 0);

// The native byte form of a path.
QByteArray nativePath(const QString& path);

// What the program knows of its data files: for each file read as the
// program's state (or found missing then), what it held, and again after every
// replacement made here. replaceFileContent refuses to replace a file that no
// longer holds what was noted of it: another program changed it meanwhile,
// and writing would silently drop that change. The refusal is
// changedBehindError, and the file is left as it is. A file nothing was noted
// of, or one that is gone by now, is written as before: nothing of another
// program's is lost by that.
void noteFileContent(const QString& path, QByteArrayView content);
void noteFileMissing(const QString& path);

// 0 when `path` still holds what was noted of it (or nothing was noted, or it
// is gone, or it cannot be read now: the write then meets that failure
// itself); changedBehindError when another program changed it.
int checkUnchanged(const QString& path);

// Test seam: forgets everything noted, as a fresh start of the program would.
void forgetNotedFilesForTesting();

} // namespace jf
