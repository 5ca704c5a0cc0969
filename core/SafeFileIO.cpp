#include "SafeFileIO.h"

#include "Errors.h"
#include "TextCodec.h"

#include <QCryptographicHash>
#include <QHash>
#include <QMutex>
#include <QScopeGuard>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <limits>

namespace jf {

namespace {

struct WriteFault
{
    int errnoValue = 0;
    qint64 afterBytes = 0;
} g_writeFault;

// Writes all of content. Putting old content back ignores the test fault.
bool writeAll(int fd, const QByteArray& content, int& err, bool faultable = true)
{
    const WriteFault fault = faultable ? g_writeFault : WriteFault{};
    const char* p = content.constData();
    qint64 left = content.size();
    qint64 written = 0;
    while (left > 0) {
        qint64 chunk = left;
        if (fault.errnoValue != 0) {
            if (written >= fault.afterBytes) {
                err = fault.errnoValue;
                return false;
            }
            chunk = std::min(chunk, fault.afterBytes - written);
        }
        const ssize_t put = ::write(fd, p, size_t(chunk));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        p += put;
        left -= put;
        written += put;
    }
    if (fault.errnoValue != 0 && written >= fault.afterBytes && content.isEmpty()) {
        err = fault.errnoValue;
        return false;
    }
    return true;
}

bool isTempNameOf(QByteArrayView name, QByteArrayView prefix)
{
    if (name.size() != prefix.size() + 6 || !name.startsWith(prefix))
        return false;
    for (const char c : name.sliced(prefix.size())) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return false;
    }
    return true;
}

// Removes the temporary files a killed save of target left behind. A save in
// progress holds a lock on its temporary file, so a file that cannot be
// locked at once is left alone; so is anything not named exactly as the
// writer names its files.
void removeLeftoverTempFiles(const QByteArray& target)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray dir =
        slash < 0 ? QByteArray(".") : (slash == 0 ? QByteArray("/") : target.left(slash));
    const QByteArray prefix = target.mid(slash + 1) + tempFileMarker;
    DIR* d = ::opendir(dir.constData());
    if (!d)
        return;
    const int dfd = ::dirfd(d);
    while (const dirent* entry = ::readdir(d)) {
        if (!isTempNameOf(QByteArrayView(entry->d_name), prefix))
            continue;
        const int fd =
            ::openat(dfd, entry->d_name, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            continue;
        const auto closer = qScopeGuard([fd] { ::close(fd); });
        struct stat locked
        {
        };
        struct stat named
        {
        };
        // The name must still be the file that was locked: a save that just
        // finished has renamed it away.
        if (::fstat(fd, &locked) == 0 && S_ISREG(locked.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(dfd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == locked.st_dev && named.st_ino == locked.st_ino)
            ::unlinkat(dfd, entry->d_name, 0);
    }
    ::closedir(d);
}

// Makes the temporary file for target and locks it, so that no other
// instance's clean-up takes it. Returns the descriptor, or -1 with errno set.
int createLockedTempFile(const QByteArray& target, QByteArray& temp)
{
    for (int attempt = 0;; ++attempt) {
        temp = target + tempFileMarker + "XXXXXX";
        const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
        if (fd < 0)
            return -1;
        // Between its making and its locking another instance may have
        // removed it; then it has no name any more and another is made.
        struct stat st
        {
        };
        if (::flock(fd, LOCK_EX) != 0 || ::fstat(fd, &st) != 0 || st.st_nlink > 0 || attempt >= 3)
            return fd;
        ::close(fd);
    }
}

// Rewrites an existing regular file where it is, for a folder in which no
// temporary file can be made. The old content is read first and put back
// when the new one cannot be written whole.
int rewriteInPlace(const QByteArray& target, const QByteArray& content)
{
    bool canRestore = true;
    int fd = ::open(target.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0 && (errno == EACCES || errno == EPERM)) {
        canRestore = false; // writable but not readable
        fd = ::open(target.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    }
    if (fd < 0)
        return errno;
    auto closer = qScopeGuard([fd] { ::close(fd); });
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return notRegularFileError;
    QByteArray old;
    if (canRestore && readAllFrom(fd, old, maxRestorableBytes, st.st_size) != 0)
        canRestore = false;

    int err = 0;
    bool ok = ::lseek(fd, 0, SEEK_SET) == 0;
    if (!ok)
        err = errno;
    ok = ok && writeAll(fd, content, err);
    if (ok && ::ftruncate(fd, off_t(content.size())) != 0) {
        err = errno;
        ok = false;
    }
    if (ok && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
        err = errno;
        ok = false;
    }
    if (!ok && canRestore) {
        // The old content fits in the room it had.
        int ignored = 0;
        if (::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, old, ignored, false) &&
            ::ftruncate(fd, off_t(old.size())) == 0)
            ::fsync(fd);
    }
    closer.dismiss();
    if (::close(fd) != 0 && ok) {
        err = errno;
        ok = false;
    }
    return ok ? 0 : err;
}

// Follows a symbolic link at target to the file it leads to, replacing
// target with that file's path, only when every link on the way and the file
// itself belong to the user running the program (root's own files when root
// runs it): otherwise foreignLinkError, and nothing is written. Anyone who may
// write the Data folder could otherwise point a data file at any file this
// user may write. A link that leads nowhere is replaced as itself.
int followOwnLinks(QByteArray& target)
{
    const uid_t self = ::geteuid();
    QByteArray current = target;
    for (int hops = 0;; ++hops) {
        struct stat st
        {
        };
        if (::lstat(current.constData(), &st) != 0)
            break; // missing: a link that leads nowhere, or no file yet
        if (!S_ISLNK(st.st_mode)) {
            if (hops > 0 && st.st_uid != self)
                return foreignLinkError;
            target = current;
            return 0;
        }
        if (st.st_uid != self)
            return foreignLinkError;
        if (hops >= 40)
            return ELOOP;
        QByteArray link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(current.constData(), link.data(), size_t(link.size()));
        if (n < 0)
            return errno;
        link.truncate(n);
        if (!link.startsWith('/')) {
            const qsizetype slash = current.lastIndexOf('/');
            if (slash >= 0)
                link.prepend(current.left(slash + 1));
        }
        current = link;
    }
    return 0;
}

// What was noted of a file: its size and a digest of its content, or nothing
// for a file found missing.
struct NotedContent
{
    qint64 size = 0;
    QByteArray digest;
};

struct NotedFiles
{
    QMutex mutex;
    QHash<QString, std::optional<NotedContent>> files;
};

NotedFiles& notedFiles()
{
    static NotedFiles noted;
    return noted;
}

// The replacement itself (replaceFileContent without its checks).
int replaceUnchecked(const QString& path, const QByteArray& content);

QByteArray digestOf(QByteArrayView content)
{
    return QCryptographicHash::hash(content, QCryptographicHash::Sha1);
}

} // namespace

void noteFileContent(const QString& path, QByteArrayView content)
{
    NotedContent noted{content.size(), digestOf(content)};
    NotedFiles& all = notedFiles();
    const QMutexLocker lock(&all.mutex);
    all.files.insert(path, std::move(noted));
}

void noteFileMissing(const QString& path)
{
    NotedFiles& all = notedFiles();
    const QMutexLocker lock(&all.mutex);
    all.files.insert(path, std::nullopt);
}

void forgetNotedFilesForTesting()
{
    NotedFiles& all = notedFiles();
    const QMutexLocker lock(&all.mutex);
    all.files.clear();
}

int checkUnchanged(const QString& path)
{
    std::optional<NotedContent> noted;
    {
        NotedFiles& all = notedFiles();
        const QMutexLocker lock(&all.mutex);
        const auto found = all.files.constFind(path);
        if (found == all.files.cend())
            return 0;
        noted = *found;
    }
    struct stat st
    {
    };
    if (::stat(nativePath(path).constData(), &st) != 0)
        return 0; // gone (or not reachable): nothing of anyone's to lose here
    if (!noted)
        return changedBehindError; // made by another program since it was found missing
    if (!S_ISREG(st.st_mode))
        return 0; // the replacement refuses it for what it is
    if (qint64(st.st_size) != noted->size)
        return changedBehindError;
    QByteArray content;
    if (readFileBytes(path, content, noted->size) != 0)
        return 0;
    return digestOf(content) == noted->digest ? 0 : changedBehindError;
}

QByteArray nativePath(const QString& path)
{
    return encodeLocal8Bit(path);
}

int readFileBytes(const QString& path, QByteArray& content, qint64 maxBytes)
{
    content.clear();
    // Opened without waiting: opening a named pipe would wait for a writer.
    const int fd =
        ::open(nativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return errno;
    const auto closer = qScopeGuard([fd] { ::close(fd); });

    // Only regular files are read: a device may never end, a pipe may never
    // deliver.
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if (!S_ISREG(st.st_mode))
        return notRegularFileError;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return errno;
    if (maxBytes >= 0 && st.st_size > maxBytes)
        return EFBIG;
    return readAllFrom(fd, content, maxBytes, qint64(st.st_size));
}

int readAllFrom(int fd, QByteArray& content, qint64 maxBytes, qint64 sizeHint)
{
    content.clear();
    // Reading one byte past the limit is enough to know the content is over
    // it; the buffer never grows beyond that.
    const qint64 cap = maxBytes >= 0 ? maxBytes + 1 : std::numeric_limits<qsizetype>::max();
    // Sized from the expected length, growing for files that report none.
    content.resize(qsizetype(std::min(std::max<qint64>(sizeHint + 1, 64 * 1024), cap)));
    qsizetype used = 0;
    for (;;) {
        if (used == content.size()) {
            if (used >= cap) {
                content.clear();
                return EFBIG;
            }
            content.resize(qsizetype(std::min(qint64(content.size()) * 2, cap)));
        }
        const ssize_t got = ::read(fd, content.data() + used, size_t(content.size() - used));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            content.clear();
            return err;
        }
        if (got == 0)
            break;
        used += got;
    }
    content.truncate(used);
    return 0;
}

void setWriteFaultForTesting(int errnoValue, qint64 afterBytes)
{
    g_writeFault = {errnoValue, afterBytes};
}

int replaceFileContent(const QString& path, const QByteArray& content)
{
    if (const int err = checkUnchanged(path))
        return err;
    const int err = replaceUnchecked(path, content);
    if (err == 0)
        noteFileContent(path, content);
    return err;
}

namespace {

int replaceUnchecked(const QString& path, const QByteArray& content)
{
    QByteArray target = nativePath(path);
    if (const int err = followOwnLinks(target))
        return err;

    struct stat old
    {
    };
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (exists) {
        if (S_ISDIR(old.st_mode))
            return EISDIR;
        // A pipe or a device (a data file linked to /dev/zero) is not
        // replaced by a regular file.
        if (!S_ISREG(old.st_mode))
            return notRegularFileError;
        // An existing file that may not be written is not replaced.
        const int probe = ::open(target.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (probe < 0)
            return errno;
        ::close(probe);
    }

    removeLeftoverTempFiles(target);
    QByteArray temp;
    const int fd = createLockedTempFile(target, temp);
    if (fd < 0) {
        const int err = errno;
        if (exists && (err == EACCES || err == EPERM || err == EROFS))
            return rewriteInPlace(target, content);
        return err;
    }

    int err = 0;
    bool ok = writeAll(fd, content, err);
    if (ok && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
        err = errno;
        ok = false;
    }
    if (ok) {
        mode_t mode = 0;
        if (exists) {
            mode = old.st_mode & 07777;
            if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
                // Not the owner: the file becomes ours, which is what an
                // ordinary rewrite would have left too.
            }
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        ::fchmod(fd, mode);
    }
    // Renamed while still locked, so that no clean-up takes it first.
    if (ok && ::rename(temp.constData(), target.constData()) != 0) {
        err = errno;
        ok = false;
    }
    if (!ok)
        ::unlink(temp.constData());
    if (::close(fd) != 0 && ok) {
        err = errno;
        ok = false;
    }
    return ok ? 0 : err;
}

} // namespace

bool nameExists(const QString& path)
{
    struct stat st
    {
    };
    return ::lstat(nativePath(path).constData(), &st) == 0;
}

int removeFile(const QString& path)
{
    if (const int err = checkUnchanged(path))
        return err;
    if (::unlink(nativePath(path).constData()) != 0 && errno != ENOENT)
        return errno;
    noteFileMissing(path);
    return 0;
}

int refineNotFound(const QString& path, int err)
{
    if (err != ENOENT)
        return err;
    QByteArray dir = nativePath(path);
    const qsizetype slash = dir.lastIndexOf('/');
    dir = slash <= 0 ? QByteArray(slash == 0 ? "/" : ".") : dir.left(slash);
    struct stat st
    {
    };
    if (::stat(dir.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return ENOTDIR;
    return err;
}

} // namespace jf
