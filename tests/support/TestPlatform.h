#pragma once

// Test doubles for the desktop services, and a scratch working folder with a
// Data folder, for tests that drive the real windows.

#include "Platform.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QQueue>
#include <QScopeGuard>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <optional>
#include <tuple>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace jftest {

// A control of a window, found by its object name; the test stops when there
// is none.
template <class T = QWidget> T* child(const QObject& parent, const char* name)
{
    T* found = parent.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no control named %s", name);
    return found;
}

// A Unix socket bound to the file `path`, not yet listening; -1 when it
// cannot be made.
inline int boundSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    if (fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

// The rows of a data-driven test held as one column of tuples: its _data
// function adds them through the function rows() returns, the test takes
// its own apart with fetch().
template <class Row> auto rows()
{
    QTest::addColumn<Row>("row");
    return [](const char* name, auto&&... cells) {
        QTest::newRow(name) << Row(std::forward<decltype(cells)>(cells)...);
    };
}
template <class Row> Row fetch()
{
    QFETCH(Row, row);
    return row;
}

// A data-driven test's one column of a bool: the row named `no` holds false,
// the row named `yes` true.
inline void eitherWay(const char* column, const char* no, const char* yes)
{
    QTest::addColumn<bool>(column);
    QTest::newRow(no) << false;
    QTest::newRow(yes) << true;
}

// Sets variables of the test's environment, "NAME=value" or "NAME" to
// remove, apart by "|"; the guard returned puts each back as it was.
inline auto setEnvironment(const QString& entries)
{
    QList<std::pair<QByteArray, std::optional<QByteArray>>> saved;
    for (const QString& entry : entries.split('|', Qt::SkipEmptyParts)) {
        const QByteArray name = entry.section('=', 0, 0).toLocal8Bit();
        saved.prepend(
            {name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
        entry.contains('=') ? qputenv(name, entry.section('=', 1).toLocal8Bit()) : qunsetenv(name);
    }
    return qScopeGuard([saved] {
        for (const auto& [name, value] : saved)
            value ? qputenv(name, *value) : qunsetenv(name);
    });
}

class RecordingMessages final : public jf::MessageService
{
public:
    QStringList errors;
    QStringList messages;
    void showError(const QString& text) override { errors << text; }
    void showMessage(const QString& text) override { messages << text; }
    // Questions asked, answered from `answers` in order ("No" when empty).
    QStringList questions;
    QQueue<bool> answers;
    bool askYesNo(const QString& text) override
    {
        questions << text;
        return !answers.isEmpty() && answers.dequeue();
    }
};

class FakeFileDialog final : public jf::FileDialogService
{
public:
    // Answers in order; an empty optional is a cancel.
    QQueue<std::optional<QString>> answers;
    QList<jf::OpenFileRequest> requests;
    std::optional<jf::OpenFileResult> openFile(QWidget*,
                                               const jf::OpenFileRequest& request) override
    {
        requests << request;
        if (answers.isEmpty())
            return std::nullopt;
        const std::optional<QString> answer = answers.dequeue();
        if (!answer)
            return std::nullopt;
        return jf::OpenFileResult{*answer, request.filterIndex};
    }
};

class FakeShell final : public jf::ShellService
{
public:
    QStringList opened;
    QStringList started;
    bool hasViewer = true; // whether the desktop has a program for documents
    bool openDocument(const QString& path) override
    {
        opened << path;
        return hasViewer;
    }
    void startCommand(const QString& commandLine) override { started << commandLine; }
};

// Installs the doubles for the lifetime of the object.
struct TestPlatform
{
    RecordingMessages messages;
    FakeFileDialog fileDialog;
    FakeShell shell;

    TestPlatform()
    {
        auto& p = jf::platform();
        p.messages = &messages;
        p.fileDialog = &fileDialog;
        p.shell = &shell;
    }
    ~TestPlatform() { jf::restoreDesktopPlatform(); }
};

// A temporary working folder holding a copy of the shipped Data folder; it
// is the current directory while the object lives.
class WorkDir
{
public:
    explicit WorkDir(bool withData = true)
    {
        m_previous = QDir::currentPath();
        if (withData) {
            QDir().mkpath(m_dir.path() + "/Data");
            const QDir source(QString::fromLocal8Bit(qgetenv("JF_SOURCE_DIR")) + "/data");
            for (const QString& name : source.entryList(QDir::Files))
                QFile::copy(source.filePath(name), m_dir.path() + "/Data/" + name);
            for (const QString& name : QDir(m_dir.path() + "/Data").entryList(QDir::Files))
                QFile(m_dir.path() + "/Data/" + name)
                    .setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                    QFile::ReadOther);
        }
        QDir::setCurrent(m_dir.path());
    }
    ~WorkDir() { QDir::setCurrent(m_previous); }

    QString path() const { return m_dir.path(); }
    QString data(const QString& name) const { return m_dir.path() + "/Data/" + name; }

    QByteArray read(const QString& name) const
    {
        QFile f(data(name));
        if (!f.open(QIODevice::ReadOnly))
            return "<missing>";
        return f.readAll();
    }
    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(data(name));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    void remove(const QString& name) const { QFile::remove(data(name)); }
    // A file of the working folder itself; returns its full path.
    QString put(const QString& name, const QByteArray& bytes) const
    {
        QFile f(m_dir.path() + "/" + name);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() ? f.fileName()
                                                                              : QString();
    }
    // A file of the Data folder as the program ships it.
    static QByteArray shipped(const QString& name)
    {
        QFile f(QString::fromLocal8Bit(qgetenv("JF_SOURCE_DIR")) + "/data/" + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // A bitmap of one colour in the working folder; returns its full path.
    QString solidBitmap(const QString& name, QSize size, const QColor& colour) const
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        const QString file = m_dir.path() + "/" + name;
        return image.save(file, "BMP") ? file : QString();
    }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

} // namespace jftest
