#pragma once

// A scratch folder for the tests of data files: files put in place as
// another program would put them, and read back byte for byte.

#include <QDir>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>
#include <QTest>

namespace jftest {

class ScratchFolder
{
public:
    // The files go into the subfolder `sub` of a new temporary folder.
    explicit ScratchFolder(const QString& sub = QString()) : m_sub(sub)
    {
        QDir(m_dir.path()).mkpath(sub.isEmpty() ? QStringLiteral(".") : sub);
    }
    QString root() const { return m_dir.path(); }
    // The full path of the file `name`.
    QString path(const QString& name) const
    {
        return m_dir.path() + '/' + (m_sub.isEmpty() ? name : m_sub + '/' + name);
    }
    // Writes `bytes` as the whole of the file `name`.
    void put(const QString& name, const QByteArray& bytes) const
    {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(bytes), bytes.size());
    }
    // Writes `bytes` as the whole of the file `name` and returns its path.
    QString file(const QString& name, const QByteArray& bytes) const
    {
        put(name, bytes);
        return path(name);
    }
    // The bytes of the file `name`, "<missing>" when it cannot be read.
    QByteArray get(const QString& name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private:
    QTemporaryDir m_dir;
    QString m_sub;
};

// A test of the data files: they go into the subfolder Data of its scratch
// folder.
class DataFolderTest : public QObject, protected ScratchFolder
{
public:
    DataFolderTest() : ScratchFolder(QStringLiteral("Data")) {}
};

} // namespace jftest
