#include "OneProgram.h"

#include "CommandLine.h"
#include "RuntimeFolder.h"
#include "SafeFileIO.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QtEndian>

#include <algorithm>
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
// How long a second start waits before it looks again for the first one's socket.
constexpr int retryMs = 50;
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

// Where the locks and sockets of a Data folder go, without their endings:
// one named after its resolved path and, once it exists, one after its
// device and inode. Empty when there is no private folder for them. A
// socket's path is short by law.
QList<QByteArray> placesFor(const QByteArray& dataFolder)
{
    const QByteArray folder = privateRuntimeFolder();
    if (folder.isEmpty())
        return {};
    const QByteArray prefix = folder + "/jacketforge-";
    if (prefix.size() + 32 + 8 >= qsizetype(sizeof(sockaddr_un::sun_path))) {
        qWarning("The folder \"%s\" has too long a name for the program's socket: a second "
                 "program on the same Data folder is not noticed.",
                 qPrintable(QFile::decodeName(folder)));
        return {};
    }
    QList<QByteArray> keys{dataFolder};
    struct stat st
    {
    };
    if (::stat(dataFolder.constData(), &st) == 0)
        keys << "inode " + QByteArray::number(quint64(st.st_dev)) + ' ' +
                    QByteArray::number(quint64(st.st_ino));
    QList<QByteArray> places;
    for (const QByteArray& key : keys)
        places << prefix +
                      QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32);
    return places;
}

// What the program that holds the lock at `lockPath` wrote in it: why it
// cannot answer. Empty while it can.
QString unansweredReason(const QByteArray& lockPath)
{
    const int fd = ::open(lockPath.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return {};
    char text[1024];
    const ssize_t length = ::read(fd, text, sizeof text);
    ::close(fd);
    return length > 0 ? QString::fromUtf8(text, length) : QString();
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
    release();
}

void OneProgram::release()
{
    for (const Held& held : std::exchange(m_held, {})) {
        if (held.server)
            held.server->close(); // removes the socket while the lock is still held
        ::unlink((held.place + ".lock").constData());
        ::close(held.lock);
    }
}

QString OneProgram::socketPath(const QString& baseDir)
{
    const QList<QByteArray> places = placesFor(resolvedDataFolder(baseDir));
    return places.isEmpty() ? QString() : QFile::decodeName(places.first() + ".socket");
}

int OneProgram::tryLock(const QByteArray& place)
{
    const QByteArray lockPath = place + ".lock";
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
            // Whatever a run that ended without removing it wrote there.
            if (::ftruncate(fd, 0) != 0) {
                ::close(fd);
                return errno;
            }
            m_held.append({place, fd, nullptr});
            return 0;
        }
        ::close(fd);
    }
    return EWOULDBLOCK;
}

OneProgram::Start OneProgram::claim(const QString& picture)
{
    if (!m_held.isEmpty())
        return Start::First;
    for (const QByteArray& place : placesFor(m_dataFolder)) {
        const int err = tryLock(place);
        if (err == 0)
            continue;
        if (err != EWOULDBLOCK) {
            qWarning("The lock \"%s.lock\" cannot be made (%s): a second program on the same "
                     "Data folder may not be noticed.",
                     place.constData(), std::strerror(err));
            continue;
        }
        const Start start = handOver(place, localPathBytes(picture));
        if (start != Start::First) {
            release();
            return start;
        }
    }
    return Start::First;
}

OneProgram::Start OneProgram::handOver(const QByteArray& place, const QByteArray& picture)
{
    QByteArray message(4, '\0');
    qToBigEndian(quint32(picture.size()), message.data());
    message += picture;

    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socket = place + ".socket";
    std::memcpy(address.sun_path, socket.constData(), size_t(socket.size()));
    const QDeadlineTimer deadline(handOverMs);
    while (!deadline.hasExpired()) {
        // One that could not listen said why in its lock: no answer can come.
        m_unanswered = unansweredReason(place + ".lock");
        if (!m_unanswered.isEmpty())
            return Start::NoAnswer;
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
        // Not listening yet (starting), or it has just ended: look again
        // shortly, never past the deadline. This runs before this program
        // has a window (claim), so the wait freezes none.
        if (tryLock(place) == 0)
            return Start::First;
        const qint64 pause = std::min<qint64>(retryMs, deadline.remainingTime());
        if (pause > 0)
            ::usleep(useconds_t(pause * 1000));
    }
    return Start::NoAnswer;
}

void OneProgram::listen()
{
    for (Held& held : m_held) {
        if (held.server)
            continue;
        const QString path = QFile::decodeName(held.place + ".socket");
        held.server = new QLocalServer(this);
        held.server->setSocketOptions(QLocalServer::UserAccessOption);
        // A socket left by a run that ended without closing it: the lock says
        // no program owns it now.
        QLocalServer::removeServer(path);
        QLocalServer* server = held.server;
        connect(server, &QLocalServer::newConnection, this,
                [this, server] { takeHandOver(server); });
        if (server->listen(path))
            continue;
        // Said at once, and written in the lock for the starts that come.
        const QString why =
            QStringLiteral("cannot listen on \"%1\": %2").arg(path, server->errorString());
        const QByteArray text = why.toUtf8();
        if (::pwrite(held.lock, text.constData(), size_t(text.size()), 0) != text.size())
            qWarning("The lock \"%s.lock\" cannot be written.", held.place.constData());
        qWarning("Later starts on the Data folder \"%s\" cannot hand their pictures to this "
                 "program: it %s.",
                 qPrintable(QFile::decodeName(m_dataFolder)), qPrintable(why));
    }
}

void OneProgram::takeHandOver(QLocalServer* server)
{
    while (QLocalSocket* client = server->nextPendingConnection()) {
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
    if (!m_unanswered.isEmpty())
        return QStringLiteral("The program is already running on the Data folder \"%1\" but "
                              "cannot answer: it %2. Close it and start again.")
            .arg(QFile::decodeName(m_dataFolder), m_unanswered);
    return QStringLiteral("The program is already running on the Data folder \"%1\" but does "
                          "not answer. Close it, or try again in a moment.")
        .arg(QFile::decodeName(m_dataFolder));
}

} // namespace jf
