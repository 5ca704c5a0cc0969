#include "RuntimeFolder.h"

#include <QFile>
#include <QString>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace jf {

namespace {

// Why `folder` is not private, for the warning.
QString whyNotPrivate(const QByteArray& folder)
{
    if (!folder.startsWith('/'))
        return QStringLiteral("it is not a full path");
    struct stat st
    {
    };
    if (::lstat(folder.constData(), &st) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("it is a link");
    if (!S_ISDIR(st.st_mode))
        return QStringLiteral("it is not a folder");
    if (st.st_uid != ::geteuid())
        return QStringLiteral("it belongs to another user");
    return QStringLiteral("it is open to other users");
}

// The user's cache folder, made when missing; empty without a home.
QByteArray cacheFolder()
{
    QByteArray cache = qgetenv("XDG_CACHE_HOME");
    if (!cache.startsWith('/')) {
        const QByteArray home = qgetenv("HOME");
        if (!home.startsWith('/'))
            return {};
        cache = home + "/.cache";
    }
    ::mkdir(cache.constData(), 0700);
    return cache;
}

// The private folder a start made earlier in `base` and named in the user's
// cache folder, or a new one made and named there. One start at a time
// reads and writes the name; a named folder that is not private (gone after
// a restart, and another user's since) is replaced. Empty when neither can
// be had.
QByteArray recordedFolder(const QByteArray& base)
{
    const QByteArray cache = cacheFolder();
    if (cache.isEmpty())
        return {};
    const QByteArray record = cache + "/jacketforge-runtime";
    const int fd = ::open(record.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return {};
    QByteArray folder;
    struct stat st
    {
    };
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX) == 0) {
        char kept[PATH_MAX];
        const ssize_t length = ::pread(fd, kept, sizeof kept, 0);
        if (length > 0)
            folder = QByteArray(kept, qsizetype(length));
        if (!isPrivateFolder(folder)) {
            QByteArray made = base + "/jacketforge-" + QByteArray::number(::geteuid()) + "-XXXXXX";
            folder = ::mkdtemp(made.data()) ? made : QByteArray();
            if (!folder.isEmpty() &&
                (::ftruncate(fd, 0) != 0 ||
                 ::pwrite(fd, folder.constData(), size_t(folder.size()), 0) != folder.size())) {
                ::rmdir(folder.constData());
                folder.clear();
            }
        }
    }
    ::close(fd);
    return folder;
}

} // namespace

bool isPrivateFolder(const QByteArray& folder)
{
    struct stat st
    {
    };
    return folder.startsWith('/') && ::lstat(folder.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

QByteArray privateRuntimeFolder()
{
    bool refused = false;
    const auto usable = [&refused](const QByteArray& folder) {
        if (isPrivateFolder(folder))
            return true;
        qWarning("The folder \"%s\" cannot hold the lock that keeps one program per Data folder "
                 "(%s).",
                 qPrintable(QFile::decodeName(folder)), qPrintable(whyNotPrivate(folder)));
        refused = true;
        return false;
    };
    const auto chosen = [&refused](const QByteArray& folder) {
        if (folder.isEmpty())
            qWarning("No private folder was found for the lock: a second program on the same "
                     "Data folder is not noticed.");
        else if (refused)
            qWarning("The lock is kept in \"%s\" instead.", qPrintable(QFile::decodeName(folder)));
        return folder;
    };
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && usable(runtime))
        return runtime;
    QByteArray base = qgetenv("TMPDIR");
    if (!base.startsWith('/'))
        base = "/tmp";
    const QByteArray own = base + "/jacketforge-" + QByteArray::number(::geteuid());
    ::mkdir(own.constData(), 0700);
    if (usable(own))
        return chosen(own);
    return chosen(recordedFolder(base));
}

} // namespace jf
