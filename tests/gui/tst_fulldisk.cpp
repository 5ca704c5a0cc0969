// A Data folder on a real file system that runs out of space (a small tmpfs,
// which only root may mount: skipped elsewhere). Failed saves must report
// their message and leave every file as it was.
#include "AppController.h"
#include "CloseLabel.h"
#include "CoverNames.h"
#include "DataFileFormats.h"
#include "Errors.h"
#include "TestPlatform.h"
#include "Workspace.h"

#include <QTest>

#include <fcntl.h>
#include <functional>
#include <sys/mount.h>
#include <unistd.h>

using jf::ClickLabel;
using jf::CloseLabel;
using jf::MainWindow;
using jftest::TestPlatform;
using jftest::WorkDir;

namespace {

// The shipped Data folder of `work` moved onto a 256 KiB tmpfs that is then
// filled up to `leaveFree` bytes; unmounted when the object goes.
class FullData
{
public:
    FullData(const WorkDir& work, qint64 leaveFree) : m_dir(work.path() + "/Data")
    {
        QMap<QString, QByteArray> files;
        for (const QString& name : QDir(m_dir).entryList(QDir::Files))
            files[name] = work.read(name);
        if (::mount("jf-full", QFile::encodeName(m_dir).constData(), "tmpfs", 0, "size=256k") != 0)
            return;
        m_mounted = true;
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            work.write(it.key(), it.value());
        // Fill in pages: tmpfs hands out space 4 KiB at a time.
        const int fd = ::open(QFile::encodeName(m_dir + "/filler").constData(),
                              O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        const QByteArray page(4096, 'f');
        while (::write(fd, page.constData(), size_t(page.size())) == page.size()) {
        }
        // A truncation that fails leaves the disk fuller, which the tests want anyway.
        [[maybe_unused]] const int truncated =
            ::ftruncate(fd, qMax<qint64>(0, ::lseek(fd, 0, SEEK_CUR) - leaveFree));
        ::close(fd);
    }
    ~FullData()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir).constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    void makeRoom() { QFile::remove(m_dir + "/filler"); }
    QStringList files() const
    {
        QStringList names = QDir(m_dir).entryList(QDir::Files);
        names.sort();
        return names;
    }

private:
    QString m_dir;
    bool m_mounted = false;
};

QStringList manyEntries(const QString& stem)
{
    QStringList entries;
    for (int i = 0; i < 2000; ++i)
        entries << QStringLiteral("%1 %2 with a name long enough to fill space").arg(stem).arg(i);
    return entries;
}

} // namespace

class TestFullDisk : public QObject
{
    Q_OBJECT

private slots:
    void everyWriterKeepsOldFile_data();
    void everyWriterKeepsOldFile();
    void failedCloseKeepsWindowAndLists();
};

void TestFullDisk::everyWriterKeepsOldFile_data()
{
    QTest::addColumn<qint64>("leaveFree");
    QTest::newRow("no space at all") << qint64(0);
    QTest::newRow("space for part of a file") << qint64(8192);
}

void TestFullDisk::everyWriterKeepsOldFile()
{
    QFETCH(qint64, leaveFree);
    WorkDir work;
    const QStringList names = QDir(work.path() + "/Data").entryList(QDir::Files);
    FullData full(work, leaveFree);
    if (!full.mounted())
        QSKIP("mounting a tmpfs is not allowed here");
    QMap<QString, QByteArray> before;
    for (const QString& name : names)
        before[name] = work.read(name);

    // Each writer is given more than the free space (the sizes file can only
    // be short: it must fail when there is no room at all).
    jf::Workspace ws;
    ws.folder = jf::DataFolder(work.path() + "/");
    ws.sizes = jf::CoverSizes::defaults();
    ws.sizes.setWidth(1, 271);
    ws.preferences.borderColour = QString(20000, QLatin1Char('c'));
    const QString big(20000, QLatin1Char('n'));
    for (const QString& entry : manyEntries("program"))
        ws.programs.append(entry, "/usr/bin/" + entry);
    for (const QString& entry : manyEntries("picture"))
        ws.pictures.append(entry, "/p/" + entry + ".jpg");
    const QList<std::pair<const char*, std::function<void()>>> writers{
        {jf::datafile::sizes, [&] { ws.sizes.write(ws.folder.path(jf::datafile::sizes)); }},
        {jf::datafile::names,
         [&] { jf::writeCoverNames(ws.folder.path(jf::datafile::names), QStringList(8, big)); }},
        {jf::datafile::settings,
         [&] { ws.preferences.write(ws.folder.path(jf::datafile::settings)); }},
        {jf::datafile::tips,
         [&] { jf::writeWholeTextFile(ws.folder.path(jf::datafile::tips), big); }},
        {jf::datafile::programsNames, [&] { ws.programs.save(ws.folder); }},
        {jf::datafile::picturesNames, [&] { ws.pictures.save(ws.folder); }},
    };
    for (const auto& [file, write] : writers) {
        QString message;
        try {
            write();
        } catch (const jf::Error& e) {
            message = e.message();
        }
        const bool smallFile = QByteArray(file) == jf::datafile::sizes && leaveFree > 0;
        if (!smallFile)
            QVERIFY2(message.contains("Disk full") || message.contains("No space left on device"),
                     qPrintable(QString("%1: \"%2\"").arg(file, message)));
    }
    for (const QString& name : names) {
        if (name == jf::datafile::sizes && leaveFree > 0)
            QVERIFY(work.read(name).startsWith("271\r\n184\r\n"));
        else
            QVERIFY2(work.read(name) == before[name], qPrintable(name));
    }
    QStringList expected = names + QStringList{"filler"};
    expected.sort();
    QCOMPARE(full.files(), expected); // no temporary file left
}

void TestFullDisk::failedCloseKeepsWindowAndLists()
{
    TestPlatform platform;
    WorkDir work;
    const QByteArray oldNames = work.read("ProgramsNames.txt");
    FullData full(work, 4096);
    if (!full.mounted())
        QSKIP("mounting a tmpfs is not allowed here");
    jf::AppController formApp;
    MainWindow& form = formApp.mainWindow();
    form.show();
    const QStringList entries = manyEntries("program");
    for (const QString& entry : entries)
        formApp.workspace().programs.append(entry, "/usr/bin/x");
    QTest::mouseClick(jftest::child<ClickLabel>(form, "closeLabel"), Qt::LeftButton);
    QCOMPARE(platform.messages.errors,
             QStringList{QString("Cannot create file \"%1\". No space left on device.")
                             .arg(work.data("ProgramsNames.txt"))});
    QVERIFY(form.isVisible());
    QCOMPARE(formApp.workspace().programs.names().mid(formApp.workspace().programs.names().size() -
                                                      entries.size()),
             entries);
    QCOMPARE(work.read("ProgramsNames.txt"), oldNames);

    // Once there is room the same close saves what was kept.
    full.makeRoom();
    platform.messages.errors.clear();
    QTest::mouseClick(jftest::child<ClickLabel>(form, "closeLabel"), Qt::LeftButton);
    QCOMPARE(platform.messages.errors, QStringList());
    QVERIFY(!form.isVisible());
    QVERIFY(work.read("ProgramsNames.txt").endsWith(entries.last().toUtf8() + "\r\n"));
}

QTEST_MAIN(TestFullDisk)
#include "tst_fulldisk.moc"
