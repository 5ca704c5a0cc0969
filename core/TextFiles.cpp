#include "TextFiles.h"

#include "Errors.h"
#include "TextCodec.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace jf {

namespace {

struct WriteFault
{
    int errnoValue = 0;
    qint64 afterBytes = 0;
} g_writeFault;

// A missing file whose folder is missing too is an invalid name, not a
// missing file.
int refineNotFound(const QByteArray& native, int err)
{
    if (err != ENOENT)
        return err;
    QByteArray dir = native;
    const qsizetype slash = dir.lastIndexOf('/');
    dir = slash <= 0 ? QByteArray(slash == 0 ? "/" : ".") : dir.left(slash);
    struct stat st
    {
    };
    if (::stat(dir.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return ENOTDIR;
    return err;
}

bool writeAll(int fd, const QByteArray& content, int& err)
{
    const char* p = content.constData();
    qint64 left = content.size();
    qint64 written = 0;
    while (left > 0) {
        qint64 chunk = left;
        if (g_writeFault.errnoValue != 0) {
            if (written >= g_writeFault.afterBytes) {
                err = g_writeFault.errnoValue;
                return false;
            }
            chunk = std::min(chunk, g_writeFault.afterBytes - written);
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
    if (g_writeFault.errnoValue != 0 && written >= g_writeFault.afterBytes && content.isEmpty()) {
        err = g_writeFault.errnoValue;
        return false;
    }
    return true;
}

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
    throw FileStreamError(
        QStringLiteral("Cannot create file \"%1\". %2").arg(path, osErrorDescription(err)));
}

} // namespace

QByteArray nativePath(const QString& path)
{
    return encodeLocal8Bit(path);
}

int readFileBytes(const QString& path, QByteArray& content, qint64 maxBytes)
{
    content.clear();
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct Closer
    {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    // Sized from the file's length, growing for files that report none.
    struct stat st
    {
    };
    qint64 expected = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? qint64(st.st_size) : 0;
    if (maxBytes >= 0 && expected > maxBytes)
        return EFBIG;
    content.resize(qsizetype(std::max<qint64>(expected + 1, 64 * 1024)));
    qsizetype used = 0;
    for (;;) {
        if (used == content.size()) {
            if (maxBytes >= 0 && used > maxBytes)
                return EFBIG;
            content.resize(content.size() * 2);
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
    if (maxBytes >= 0 && used > maxBytes) {
        content.clear();
        return EFBIG;
    }
    return 0;
}

void setWriteFaultForTesting(int errnoValue, qint64 afterBytes)
{
    g_writeFault = {errnoValue, afterBytes};
}

SettingsFileReader::SettingsFileReader(const QString& path)
{
    if (const int err = readFileBytes(path, m_content))
        throw InOutError(refineNotFound(nativePath(path), err));
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

int replaceFileContent(const QString& path, const QByteArray& content)
{
    QByteArray target = nativePath(path);

    // Replace what a symbolic link points to, not the link itself.
    struct stat lst
    {
    };
    if (::lstat(target.constData(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(target.constData(), resolved))
            target = resolved;
    }

    struct stat old
    {
    };
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (exists) {
        if (S_ISDIR(old.st_mode))
            return EISDIR;
        // An existing file that may not be written is not replaced.
        const int probe = ::open(target.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (probe < 0)
            return errno;
        ::close(probe);
    }

    QByteArray temp = target + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;

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
    if (::close(fd) != 0 && ok) {
        err = errno;
        ok = false;
    }
    if (ok && ::rename(temp.constData(), target.constData()) != 0) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(temp.constData());
        return err;
    }
    return 0;
}

void writeSettingsFile(const QString& path, const QStringList& lines)
{
    if (const int err = replaceFileContent(path, joinLines(lines)))
        throw InOutError(refineNotFound(nativePath(path), err));
}

QStringList splitListContent(QByteArrayView content)
{
    const qsizetype nul = content.indexOf('\0');
    if (nul >= 0)
        content = content.first(nul);
    QStringList entries;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < content.size()) {
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
    if (start < content.size())
        entries << decodeLocal8Bit(content.sliced(start));
    return entries;
}

QStringList readListFile(const QString& path, bool* complete)
{
    QByteArray content;
    if (const int err = readFileBytes(path, content))
        throw FileStreamError(cannotOpenFileMessage(path, err));
    if (complete) {
        const qsizetype nul = content.indexOf('\0');
        *complete = nul < 0 || nul + 1 == content.size();
    }
    return splitListContent(content);
}

void writeListFile(const QString& path, const QStringList& entries)
{
    if (const int err = replaceFileContent(path, joinLines(entries)))
        throwCreateError(path, err);
}

void writeWholeTextFile(const QString& path, const QString& text)
{
    if (const int err = replaceFileContent(path, encodeLocal8Bit(text)))
        throwCreateError(path, err);
}

} // namespace jf
