#include "OneProgram.h"

#include "CommandLine.h"
#include "SafeFileIO.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QtEndian>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace jf {

namespace {

// How long a second start tries to reach the first: it may be starting.
constexpr int handOverMs = 8000;
// The most a hand-over may hold (a path).
constexpr quint32 maxMessageBytes = 64 * 1024;
// A hand-over that takes longer than this is dropped.
constexpr int slowClientMs = 5000;

// The Data folder as one name for every way of reaching it.
QByteArray resolvedDataFolder(const QString& baseDir)
{
    const QByteArray data = nativePath(baseDir + QStringLiteral("Data"));
    char resolved[PATH_MAX];
    if (::realpath(data.constData(), resolved))
        return QByteArray(resolved);
    // No Data folder (yet): its place, through the resolved working folder.
    if (::realpath(nativePath(baseDir).constData(), resolved))
        return QByteArray(resolved) + "/Data";
    return data;
}

// The user's runtime folder, or a private one in /tmp of the same kind:
// owned by the user and closed to everyone else. Empty when there is none.
QByteArray runtimeFolder()
{
    const uid_t self = ::geteuid();
    const auto isPrivate = [self](const QByteArray& folder) {
        struct stat st
        {
        };
        return ::lstat(folder.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == self &&
               (st.st_mode & 077) == 0;
    };
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && isPrivate(runtime))
        return runtime;
    const QByteArray own = "/tmp/jacketforge-" + QByteArray::number(self);
    ::mkdir(own.constData(), 0700);
    return isPrivate(own) ? own : QByteArray();
}

// Where the lock and the socket of a Data folder go, without their endings;
// empty when there is no runtime folder. A socket's path is short by law.
QByteArray placeFor(const QByteArray& dataFolder)
{
    const QByteArray folder = runtimeFolder();
    if (folder.isEmpty())
        return {};
    const QByteArray place =
        folder + "/jacketforge-" +
        QCryptographicHash::hash(dataFolder, QCryptographicHash::Sha256).toHex().left(32);
    return place.size() + 8 < qsizetype(sizeof(sockaddr_un::sun_path)) ? place : QByteArray();
}

// Sends the whole message on a connected socket and waits for the one byte
// that says it was taken.
bool sendAndWait(int fd, const QByteArray& message, const QDeadlineTimer& deadline)
{
    for (qsizetype sent = 0; sent < message.size();) {
        const ssize_t put =
            ::send(fd, message.constData() + sent, size_t(message.size() - sent), MSG_NOSIGNAL);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        sent += put;
    }
    for (;;) {
        pollfd ready{fd, POLLIN, 0};
        const int waited = ::poll(&ready, 1, int(std::max<qint64>(0, deadline.remainingTime())));
        if (waited < 0 && errno == EINTR)
            continue;
        if (waited <= 0)
            return false;
        char ack = 0;
        return ::recv(fd, &ack, 1, 0) == 1 && ack == '1';
    }
}

} // namespace

OneProgram::OneProgram(const QString& baseDir) : m_dataFolder(resolvedDataFolder(baseDir)) {}

OneProgram::~OneProgram()
{
    if (m_server)
        m_server->close(); // removes the socket while the lock is still held
    if (m_lock >= 0) {
        ::unlink((m_place + ".lock").constData());
        ::close(m_lock);
    }
}

QString OneProgram::socketPath(const QString& baseDir)
{
    const QByteArray place = placeFor(resolvedDataFolder(baseDir));
    return place.isEmpty() ? QString() : QFile::decodeName(place + ".socket");
}

int OneProgram::tryLock()
{
    const QByteArray lockPath = m_place + ".lock";
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int fd =
            ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            return errno;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            ::close(fd);
            return err;
        }
        // The program that held it removes the file as it ends: a lock on a
        // file that no longer has this name is no lock, and a new one is made.
        struct stat locked
        {
        };
        struct stat named
        {
        };
        if (::fstat(fd, &locked) == 0 && ::stat(lockPath.constData(), &named) == 0 &&
            locked.st_dev == named.st_dev && locked.st_ino == named.st_ino) {
            m_lock = fd;
            return 0;
        }
        ::close(fd);
    }
    return EWOULDBLOCK;
}

OneProgram::Start OneProgram::claim(const QString& picture)
{
    if (m_lock >= 0)
        return Start::First;
    m_place = placeFor(m_dataFolder);
    if (m_place.isEmpty())
        return Start::First;
    if (const int err = tryLock(); err != EWOULDBLOCK) {
        if (err != 0)
            m_place.clear(); // no lock can be made here: nothing to guard with
        return Start::First;
    }
    return handOver(localPathBytes(picture));
}

OneProgram::Start OneProgram::handOver(const QByteArray& picture)
{
    QByteArray message(4, '\0');
    qToBigEndian(quint32(picture.size()), message.data());
    message += picture;

    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socket = m_place + ".socket";
    std::memcpy(address.sun_path, socket.constData(), size_t(socket.size()));
    const QDeadlineTimer deadline(handOverMs);
    while (!deadline.hasExpired()) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return Start::NoAnswer;
        const bool connected =
            ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        const bool taken = connected && sendAndWait(fd, message, deadline);
        ::close(fd);
        if (taken)
            return Start::HandedOver;
        if (connected)
            return Start::NoAnswer; // it listens but did not take it
        // Not listening yet (starting), or it has just ended. This runs
        // before this program has a window, so the short wait freezes none.
        if (tryLock() == 0)
            return Start::First;
        ::usleep(50 * 1000);
    }
    return Start::NoAnswer;
}

void OneProgram::listen()
{
    if (m_lock < 0 || m_server)
        return;
    const QString path = QFile::decodeName(m_place + ".socket");
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a run that ended without closing it: the lock says
    // no program owns it now.
    QLocalServer::removeServer(path);
    connect(m_server, &QLocalServer::newConnection, this, &OneProgram::takeHandOver);
    m_server->listen(path);
}

void OneProgram::takeHandOver()
{
    while (QLocalSocket* client = m_server->nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        QTimer::singleShot(slowClientMs, client, [client] { client->abort(); });
        const auto read = [this, client] {
            const QByteArray head = client->peek(4);
            if (head.size() < 4)
                return;
            const quint32 size = qFromBigEndian<quint32>(head.constData());
            if (size > maxMessageBytes) {
                client->abort();
                return;
            }
            if (client->bytesAvailable() < 4 + qint64(size))
                return;
            client->read(4);
            const QByteArray picture = client->read(size);
            client->write("1");
            client->flush();
            client->disconnectFromServer();
            deliver(picture.isEmpty() ? QString() : localPathFromBytes(picture));
        };
        connect(client, &QLocalSocket::readyRead, this, read);
        read();
    }
}

void OneProgram::deliver(const QString& picture)
{
    if (m_receiver)
        m_receiver(picture);
    else
        m_waiting << picture;
}

void OneProgram::setReceiver(std::function<void(const QString&)> receiver)
{
    m_receiver = std::move(receiver);
    for (const QString& picture : std::exchange(m_waiting, {}))
        deliver(picture);
}

QString OneProgram::noAnswerText() const
{
    return QStringLiteral("The program is already running on the Data folder \"%1\" but does "
                          "not answer. Close it, or try again in a moment.")
        .arg(QFile::decodeName(m_dataFolder));
}

} // namespace jf
