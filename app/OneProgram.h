#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QLocalServer;

namespace jf {

// One program per Data folder: two programs on the same files would each
// write their lists over the other's. The first start on a Data folder holds
// locks for it (released by the system however the program ends, so a
// crashed run never blocks a start) and listens on a local socket beside
// each, in a folder only this user can write (privateRuntimeFolder): one
// named after the folder's resolved path, one after its device and inode,
// so a second start on the same folder, reached by whatever path, link or
// bind mount, finds one of them held. It hands its picture over there and
// ends. Programs on different Data folders run side by side.
class OneProgram : public QObject
{
    Q_OBJECT

public:
    // For the Data folder beneath `baseDir`, the working directory with "/".
    explicit OneProgram(const QString& baseDir);
    ~OneProgram() override;

    enum class Start
    {
        First,      // this program runs on the folder
        HandedOver, // the one that runs took the picture; this one ends
        NoAnswer    // one runs but did not take it
    };

    // Becomes the program on the folder, or hands `picture` (an absolute
    // path, empty for none) to the one that is: that one loads it as "Import
    // Image" would and comes to the front. Where no lock can be made (no
    // private folder at all) every start is the first, and that is said on
    // the warning channel. Cheap for the first start; a second one waits a
    // few seconds at most, and none at all when the one that runs could not
    // listen. It waits on the calling thread: call it before any window
    // exists.
    Start claim(const QString& picture);

    // Starts taking hand-overs; needs the application object and a First
    // claim. A picture handed over before a receiver is set waits for it.
    // Where a socket cannot be listened on, that is said at once, and later
    // starts are told why instead of waiting for an answer.
    void listen();
    void setReceiver(std::function<void(const QString& picture)> receiver);

    // What a start that got no answer tells the user.
    QString noAnswerText() const;

    // The socket named after the path of the Data folder beneath `baseDir`.
    static QString socketPath(const QString& baseDir);

private:
    // A lock this program holds, and its socket once listening.
    struct Held
    {
        QByteArray place; // the lock's and socket's path without their endings
        int lock = -1;
        QLocalServer* server = nullptr;
    };

    void takeHandOver(QLocalServer* server);
    void deliver(const QString& picture);
    Start handOver(const QByteArray& place, const QByteArray& picture);
    // 0 when this program now holds the lock of `place`; else why not
    // (EWOULDBLOCK: another one holds it).
    int tryLock(const QByteArray& place);
    void release();

    QByteArray m_dataFolder; // resolved, as the system names it
    QList<Held> m_held;
    QString m_unanswered; // why the program that holds the folder cannot answer
    std::function<void(const QString&)> m_receiver;
    QStringList m_waiting;
};

} // namespace jf
