#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QLocalServer;

namespace jf {

// One program per Data folder: two programs on the same files would each
// write their lists over the other's. The first start on a Data folder holds
// a lock for it (released by the system however the program ends, so a
// crashed run never blocks a start) and listens on a local socket beside it,
// both in $XDG_RUNTIME_DIR and named after the folder; a second start on the
// same folder, reached by whatever path or link, hands its picture over
// there and ends. Programs on different Data folders run side by side.
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
    // Image" would and comes to the front. Without a place for the lock
    // (no runtime folder of this user's) every start is the first. Cheap
    // for the first start; a second one waits a few seconds at most.
    Start claim(const QString& picture);

    // Starts taking hand-overs; needs the application object and a First
    // claim. A picture handed over before a receiver is set waits for it.
    void listen();
    void setReceiver(std::function<void(const QString& picture)> receiver);

    // What a start that got no answer tells the user.
    QString noAnswerText() const;

    // The socket of the program on the Data folder beneath `baseDir`.
    static QString socketPath(const QString& baseDir);

private:
    void takeHandOver();
    void deliver(const QString& picture);
    Start handOver(const QByteArray& picture);
    // 0 when this program now holds the folder's lock; else why not
    // (EWOULDBLOCK: another one holds it).
    int tryLock();

    QByteArray m_dataFolder; // resolved, as the system names it
    QByteArray m_place;      // the lock's and socket's path without their endings
    int m_lock = -1;
    QLocalServer* m_server = nullptr;
    std::function<void(const QString&)> m_receiver;
    QStringList m_waiting;
};

} // namespace jf
