#include "Calibration.h"
#include "CoverSizes.h"
#include "DataFileFormats.h"
#include "DataFolder.h"
#include "Errors.h"
#include "ExpectFailure.h"
#include "Favourites.h"
#include "HangGuard.h"
#include "Preferences.h"
#include "SafeFileIO.h"
#include "SheetList.h"
#include "TextCodec.h"
#include "TipCycle.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

class TestTextFiles : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.path() + "/Data/" + name; }
    void put(const QString& name, const QByteArray& bytes)
    {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray get(const QString& name)
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private slots:
    void init()
    {
        QDir(m_dir.path()).mkpath("Data");
        jf::setWriteFaultForTesting(0);
        // The test puts files in place as another program would: each test
        // starts as a fresh program.
        jf::forgetNotedFilesForTesting();
    }
    void settingsLines_data();
    void settingsLines();
    void listEntries_data();
    void listEntries();
    void writersEndEveryLineWithCrLf();
    void bytesSurviveRoundTrip();
    void osErrorMessages_data();
    void osErrorMessages();
    void readErrors_data();
    void readErrors();
    void sizesShortFileKeepsEarlierValues();
    void sizesBlankHandling();
    void advancedSettings();
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();
    void writeIntoMissingFolder();
    void writeThroughSymlinkKeepsLink();
    void newFileGetsUsualPermissions();
    void specialFilesRefused_data();
    void specialFilesRefused();
    void sizeCeilings_data();
    void sizeCeilings();
    void endlessStreamStopsAtLimit();
    void leftoverTempFilesRemoved();
    void killedSaveLeavesOldOrNew();
    void linksFollowedOnlyWhenOwn_data();
    void linksFollowedOnlyWhenOwn();
    void listEntryCeiling();
    void laterFilesInAnyFolder();
};

void TestTextFiles::settingsLines_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("lf") << QByteArray("a\nb\n") << QStringList{"a", "b"};
    QTest::newRow("no final end") << QByteArray("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("lone cr dropped") << QByteArray("a\rb\r\nc") << QStringList{"ab", "c"};
    QTest::newRow("cr before crlf") << QByteArray("a\r\r\nb") << QStringList{"a", "b"};
    QTest::newRow("empty line inside") << QByteArray("a\r\n\r\nb\r\n") << QStringList{"a", "", "b"};
    QTest::newRow("ctrl-z ends") << QByteArray("a\r\nb\x1a\r\nc\r\n") << QStringList{"a", "b"};
    QTest::newRow("ctrl-z first") << QByteArray("\x1a"
                                                "a\r\n")
                                  << QStringList{};
    QTest::newRow("empty") << QByteArray() << QStringList{};
    QTest::newRow("only crlf") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("nul kept in line")
        << QByteArray("a\0b\n", 4) << QStringList{QString("a") + QChar(0) + "b"};
    QTest::newRow("long line") << QByteArray(100000, 'x') << QStringList{QString(100000, 'x')};
}

void TestTextFiles::settingsLines()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, lines);
    put("Tips.txt", content);
    QStringList got;
    jf::TipCycle tips;
    tips.read(path("Tips.txt"));
    got = tips.tips();
    QCOMPARE(got, lines);

    // Past the end, lines read empty without error.
    jf::SettingsFileReader reader(path("Tips.txt"));
    for (int i = 0; i < lines.size(); ++i)
        reader.readLine();
    QVERIFY(reader.atEnd());
    QCOMPARE(reader.readLine(), QString());
}

void TestTextFiles::listEntries_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<bool>("complete");
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"} << true;
    QTest::newRow("lf") << QByteArray("a\nb") << QStringList{"a", "b"} << true;
    QTest::newRow("lone cr splits") << QByteArray("a\rb") << QStringList{"a", "b"} << true;
    QTest::newRow("empty entry between")
        << QByteArray("a\r\n\r\nb") << QStringList{"a", "", "b"} << true;
    QTest::newRow("last without end") << QByteArray("a\r\nb") << QStringList{"a", "b"} << true;
    QTest::newRow("empty file") << QByteArray() << QStringList{} << true;
    QTest::newRow("just a line end") << QByteArray("\r\n") << QStringList{""} << true;
    QTest::newRow("nul ends content")
        << QByteArray("a\r\nb\0c\r\n", 8) << QStringList{"a", "b"} << false;
    QTest::newRow("utf-16") << QByteArray("a\0\r\0\n\0", 6) << QStringList{"a"} << false;
    QTest::newRow("nul is last byte") << QByteArray("a\r\n\0", 4) << QStringList{"a"} << true;
    QTest::newRow("blanks kept") << QByteArray(" a \r\n") << QStringList{" a "} << true;
}

void TestTextFiles::listEntries()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, entries);
    QFETCH(bool, complete);
    put("PicturesPaths.txt", content);
    bool wasComplete = !complete;
    QCOMPARE(jf::readListFile(path("PicturesPaths.txt"), &wasComplete), entries);
    QCOMPARE(wasComplete, complete);
}

void TestTextFiles::writersEndEveryLineWithCrLf()
{
    jf::writeListFile(path("ProgramsNames.txt"), {"one", "", "two"});
    QCOMPARE(get("ProgramsNames.txt"), QByteArray("one\r\n\r\ntwo\r\n"));
    jf::writeListFile(path("ProgramsNames.txt"), {});
    QCOMPARE(get("ProgramsNames.txt"), QByteArray());

    jf::CoverSizes sizes = jf::CoverSizes::defaults();
    sizes.setWidth(8, -5);
    sizes.write(path("DefaultSizes.ins"));
    QCOMPARE(get("DefaultSizes.ins"),
             QByteArray("270\r\n184\r\n265\r\n184\r\n280\r\n184\r\n130\r\n184\r\n121\r\n121\r\n"
                        "120\r\n120\r\n151\r\n118\r\n-5\r\n117\r\n"));
    jf::CoverSizes back;
    back.read(path("DefaultSizes.ins"));
    for (int kind = 1; kind <= jf::coverKindCount; ++kind) {
        QCOMPARE(back.width(kind), sizes.width(kind));
        QCOMPARE(back.height(kind), sizes.height(kind));
    }

    jf::writeWholeTextFile(path("Tips.txt"), "a\r\nb");
    QCOMPARE(get("Tips.txt"), QByteArray("a\r\nb"));
}

void TestTextFiles::bytesSurviveRoundTrip()
{
    // UTF-8 text, a Latin-1 byte that is not UTF-8, and a cut sequence.
    const QByteArray content("Caf\xc3\xa9\r\n\xe9t\xe9\r\n\xe2\x82\r\n\xf0\x9f\x93\x80\r\n");
    put("PicturesNames.txt", content);
    const QStringList entries = jf::readListFile(path("PicturesNames.txt"));
    QCOMPARE(entries.size(), 4);
    QCOMPARE(entries[0], QString::fromUtf8("Caf\xc3\xa9"));
    jf::writeListFile(path("PicturesNames.txt"), entries);
    QCOMPARE(get("PicturesNames.txt"), content);

    for (int b = 0; b < 256; ++b) {
        const QByteArray one(1, char(b));
        QCOMPARE(jf::encodeLocal8Bit(jf::decodeLocal8Bit(one)), one);
    }
}

void TestTextFiles::osErrorMessages_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("message");
    QTest::newRow("ENOENT") << ENOENT << "File not found";
    QTest::newRow("ENOTDIR") << ENOTDIR << "Invalid filename";
    QTest::newRow("EMFILE") << EMFILE << "Too many open files";
    QTest::newRow("ENFILE") << ENFILE << "Too many open files";
    QTest::newRow("EACCES") << EACCES << "File access denied";
    QTest::newRow("EPERM") << EPERM << "File access denied";
    QTest::newRow("EROFS") << EROFS << "File access denied";
    QTest::newRow("ENOSPC") << ENOSPC << "Disk full";
    QTest::newRow("EIO") << EIO << "I/O error 5";
    QTest::newRow("ENAMETOOLONG") << ENAMETOOLONG << "I/O error 36";
}

void TestTextFiles::osErrorMessages()
{
    QFETCH(int, error);
    QFETCH(QString, message);
    QCOMPARE(jf::InOutError(error).message(), message);
}

void TestTextFiles::readErrors_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("settingsMessage");
    QTest::addColumn<QString>("listReason");
    QTest::newRow("missing file") << "Data/none.ins"
                                  << "File not found: \"<full>\""
                                  << "No such file or directory";
    QTest::newRow("missing folder") << "Nowhere/none.ins"
                                    << "Invalid filename"
                                    << "No such file or directory";
    QTest::newRow("folder is a file") << "Data/DefaultSizes.ins/x"
                                      << "Invalid filename"
                                      << "Not a directory";
}

void TestTextFiles::readErrors()
{
    QFETCH(QString, relative);
    QFETCH(QString, settingsMessage);
    QFETCH(QString, listReason);
    put("DefaultSizes.ins", "1\r\n");
    const QString full = m_dir.path() + "/" + relative;
    QCOMPARE(jftest::failureOf<jf::InOutError>([&] { jf::SettingsFileReader reader(full); }),
             settingsMessage.replace("<full>", full));
    QCOMPARE(jftest::failureOf<jf::FileStreamError>([&] { jf::readListFile(full); }),
             QString("Cannot open file \"%1\". %2").arg(full, listReason));
}

void TestTextFiles::sizesShortFileKeepsEarlierValues()
{
    // 15 lines: kinds 1 to 7 and the width of kind 8 are read.
    QByteArray content;
    for (int i = 1; i <= 15; ++i)
        content += QByteArray::number(i) + "\r\n";
    put("DefaultSizes.ins", content);
    jf::CoverSizes sizes;
    sizes.setHeight(8, 999);
    QCOMPARE(jftest::failureOf<jf::ConvertError>([&] { sizes.read(path("DefaultSizes.ins")); }),
             QString("'' is not a valid integer value"));
    QCOMPARE(sizes.width(1), 1);
    QCOMPARE(sizes.height(7), 14);
    QCOMPARE(sizes.width(8), 15);
    QCOMPARE(sizes.height(8), 999);
}

void TestTextFiles::sizesBlankHandling()
{
    put("DefaultSizes.ins", "270\n  184\n265\r\n184 \r\n");
    jf::CoverSizes sizes;
    QCOMPARE(jftest::failureOf<jf::ConvertError>([&] { sizes.read(path("DefaultSizes.ins")); }),
             QString("'184 ' is not a valid integer value"));
    QCOMPARE(sizes.height(1), 184);
    QCOMPARE(sizes.width(2), 265);
    QCOMPARE(sizes.height(2), 0);
}

void TestTextFiles::advancedSettings()
{
    struct Got
    {
        int width = -1;
        QString colour = "unset";
        int interval = -1;
    };
    const auto read = [&](const QByteArray& content, Got& got) {
        put("DefaultSettings.ins", content);
        jf::Preferences preferences;
        preferences.borderWidth = std::uint8_t(got.width);
        preferences.borderColour = got.colour;
        preferences.tipInterval = got.interval;
        const auto copy = qScopeGuard([&] {
            got = {preferences.borderWidth, preferences.borderColour, preferences.tipInterval};
        });
        preferences.read(path("DefaultSettings.ins"));
    };
    Got a;
    read("256\r\nred\r\n0\r\n", a);
    QCOMPARE(a.width, 0);
    QCOMPARE(a.colour, QString("red"));
    QCOMPARE(a.interval, 0);
    Got b;
    read("-1\r\nGray\r\n6000\r\n", b);
    QCOMPARE(b.width, 255);

    // Two lines: width and colour are set, then the interval fails.
    Got c;
    QVERIFY_THROWS_EXCEPTION(jf::ConvertError, read("7\r\nBlue\r\n", c));
    QCOMPARE(c.width, 7);
    QCOMPARE(c.colour, QString("Blue"));
    QCOMPARE(c.interval, -1);
}

void TestTextFiles::failedWriteKeepsOldFile_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<qint64>("after");
    QTest::addColumn<QString>("settingsMessage");
    QTest::newRow("disk full at once") << ENOSPC << qint64(0) << "Disk full";
    QTest::newRow("disk full part-way") << ENOSPC << qint64(7) << "Disk full";
    QTest::newRow("i/o error") << EIO << qint64(3) << "I/O error 5";
    QTest::newRow("too many files") << EMFILE << qint64(0) << "Too many open files";
    QTest::newRow("read-only fs") << EROFS << qint64(0) << "File access denied";
}

void TestTextFiles::failedWriteKeepsOldFile()
{
    QFETCH(int, error);
    QFETCH(qint64, after);
    QFETCH(QString, settingsMessage);

    const QByteArray oldSizes(
        "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n13\r\n"
        "14\r\n15\r\n16\r\n");
    put("DefaultSizes.ins", oldSizes);
    put("PicturesNames.txt", "old\r\n");

    const QStringList filesBefore = QDir(m_dir.path() + "/Data").entryList(QDir::Files);
    jf::setWriteFaultForTesting(error, after);
    QCOMPARE(jftest::failureOf<jf::InOutError>(
                 [&] { jf::CoverSizes::defaults().write(path("DefaultSizes.ins")); }),
             settingsMessage);
    QCOMPARE(jftest::failureOf<jf::FileStreamError>([&] {
                 jf::writeListFile(path("PicturesNames.txt"), {"new", "entries"});
             }),
             QString("Cannot create file \"%1\". %2")
                 .arg(path("PicturesNames.txt"), jf::osErrorDescription(error)));
    // The files added since name themselves.
    jf::CalibrationTable table;
    table.set("Office", {});
    QCOMPARE(jftest::failureOf([&] { table.write(path("Calibration.txt")); }),
             jf::cannotCreateFileMessage(path("Calibration.txt"), error));
    if (after <= 3) // its 6 bytes go whole otherwise
        QCOMPARE(jftest::failureOf([&] {
                     jf::writeSheetSettings(path("SheetSettings.ins"), {false, 2});
                 }),
                 jf::cannotCreateFileMessage(path("SheetSettings.ins"), error));
    jf::setWriteFaultForTesting(0);

    QCOMPARE(get("DefaultSizes.ins"), oldSizes);
    QCOMPARE(get("PicturesNames.txt"), QByteArray("old\r\n"));
    // No temporary file is left behind.
    QCOMPARE(QDir(m_dir.path() + "/Data").entryList(QDir::Files), filesBefore);
}

void TestTextFiles::writeIntoMissingFolder()
{
    const QString missing = m_dir.path() + "/NoData/DefaultSizes.ins";
    QCOMPARE(jftest::failureOf<jf::InOutError>([&] { jf::CoverSizes::defaults().write(missing); }),
             QString("Invalid filename"));
    QVERIFY(jftest::failureOf<jf::FileStreamError>([&] {
                jf::writeListFile(m_dir.path() + "/NoData/x.txt", {"a"});
            }).endsWith("No such file or directory"));
}

void TestTextFiles::writeThroughSymlinkKeepsLink()
{
    put("real.txt", "old\r\n");
    QVERIFY(QFile::link(path("real.txt"), path("link.txt")));
    jf::writeListFile(path("link.txt"), {"new"});
    QVERIFY(QFileInfo(path("link.txt")).isSymLink());
    QCOMPARE(get("real.txt"), QByteArray("new\r\n"));
}

void TestTextFiles::newFileGetsUsualPermissions()
{
    // A new file gets 0666 less the umask: the usual 022 here, whatever the
    // umask of the one who runs the tests.
    const mode_t umaskBefore = ::umask(022);
    const auto restoreUmask = qScopeGuard([umaskBefore] { ::umask(umaskBefore); });
    QFile::remove(path("fresh.txt"));
    jf::writeListFile(path("fresh.txt"), {"a"});
    const QFile::Permissions p = QFileInfo(path("fresh.txt")).permissions();
    QVERIFY(p & QFile::ReadOwner);
    QVERIFY(p & QFile::WriteOwner);
    QVERIFY(p & QFile::ReadOther); // not the 0600 of a temporary file

    put("kept.txt", "x");
    QFile::setPermissions(path("kept.txt"), QFile::ReadOwner | QFile::WriteOwner);
    jf::writeListFile(path("kept.txt"), {"b"});
    QCOMPARE(QFileInfo(path("kept.txt")).permissions() & (QFile::ReadOther | QFile::ReadGroup),
             QFile::Permissions());
}

void TestTextFiles::specialFilesRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("named pipe") << "fifo"
                                << "Not a regular file";
    QTest::newRow("device") << "device"
                            << "Not a regular file";
    QTest::newRow("folder") << "folder"
                            << "Is a directory";
}

// Every data file may be a link to something else than a regular file: it is
// refused at once, by name, and left as it is.
void TestTextFiles::specialFilesRefused()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QByteArray node = QFile::encodeName(m_dir.path() + "/node-" + kind);
    ::rmdir(node.constData());
    ::unlink(node.constData());
    if (kind == "fifo") {
        QCOMPARE(::mkfifo(node.constData(), 0666), 0);
    } else if (kind == "device") {
        // A private zero device: replacing it would harm nothing.
        if (::geteuid() != 0)
            QSKIP("making a device node needs root");
        QCOMPARE(::mknod(node.constData(), S_IFCHR | 0666, makedev(1, 5)), 0);
    } else {
        QCOMPARE(::mkdir(node.constData(), 0777), 0);
    }
    struct stat before
    {
    };
    QCOMPARE(::stat(node.constData(), &before), 0);
    const QString link = path("Linked.txt");
    QFile::remove(link);
    QVERIFY(QFile::link(QFile::decodeName(node), link));

    jftest::HangGuard guard(20);
    const QString opening = QString("Cannot open file \"%1\". %2").arg(link, reason);
    const QString creating = QString("Cannot create file \"%1\". %2").arg(link, reason);
    QCOMPARE(jftest::failureOf<jf::InOutError>([&] { jf::SettingsFileReader reader(link); }),
             opening);
    QCOMPARE(jftest::failureOf<jf::FileStreamError>([&] { jf::readListFile(link); }), opening);
    QCOMPARE(jftest::failureOf<jf::FileStreamError>([&] { jf::writeListFile(link, {"a"}); }),
             creating);
    QCOMPARE(jftest::failureOf<jf::InOutError>([&] { jf::writeSettingsFile(link, {"a"}); }),
             creating);

    struct stat after
    {
    };
    QCOMPARE(::stat(node.constData(), &after), 0);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_ino, before.st_ino);
    QVERIFY(QFileInfo(link).isSymLink());
}

void TestTextFiles::sizeCeilings_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("reason");
    QTest::newRow("settings at limit") << "Tips.txt" << jf::maxSettingsFileBytes << "";
    QTest::newRow("settings over")
        << "DefaultNames.ins" << jf::maxSettingsFileBytes + 1 << "File too large (over 1 MB)";
    QTest::newRow("list over") << "ProgramsPaths.txt" << jf::maxListFileBytes + 1
                               << "File too large (over 64 MB)";
}

void TestTextFiles::sizeCeilings()
{
    QFETCH(QString, name);
    QFETCH(qint64, size);
    QFETCH(QString, reason);
    put(name, "");
    QVERIFY(QFile::resize(path(name), size)); // sparse: costs no disk space
    const QString expected = reason.isEmpty()
                                 ? "<no failure>"
                                 : QString("Cannot open file \"%1\". %2").arg(path(name), reason);
    if (name.endsWith(".txt") && name != "Tips.txt")
        QCOMPARE(jftest::failureOf([&] { jf::readListFile(path(name)); }), expected);
    else
        QCOMPARE(jftest::failureOf([&] { jf::SettingsFileReader reader(path(name)); }), expected);
    QFile::remove(path(name));
}

void TestTextFiles::endlessStreamStopsAtLimit()
{
    int ends[2];
    QCOMPARE(::pipe(ends), 0);
    std::signal(SIGPIPE, SIG_IGN);
    std::atomic<qint64> written{0};
    std::thread writer([&] {
        const QByteArray chunk(64 * 1024, 'x');
        for (;;) {
            const ssize_t put = ::write(ends[1], chunk.constData(), size_t(chunk.size()));
            if (put <= 0)
                break;
            written += put;
        }
        ::close(ends[1]);
    });
    const qint64 limit = 1024 * 1024;
    QByteArray content;
    int err = 0;
    {
        jftest::HangGuard guard(20);
        err = jf::readAllFrom(ends[0], content, limit);
    }
    ::close(ends[0]);
    writer.join();
    QCOMPARE(err, EFBIG);
    QVERIFY(content.isEmpty());
    // What the pipe and the writer's last chunk still held, no more.
    QVERIFY2(written <= limit + 1 + 2 * 64 * 1024, qPrintable(QString::number(written)));
}

void TestTextFiles::leftoverTempFilesRemoved()
{
    const QString marker = jf::tempFileMarker;
    const QString leftover = path("Tips.txt" + marker + "aB3dE9");
    const QStringList kept{path("Tips.txt.backup"), path("Tips.txt" + marker + "aB3dE9.old"),
                           path("Tips.txt" + marker + "ab-de9"),
                           path("DefaultSizes.ins" + marker + "aB3dE9")};
    for (const QString& name : kept + QStringList{leftover}) {
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    // A save in progress in another instance holds its file locked.
    const QString busy = path("Tips.txt" + marker + "Zz0Zz0");
    const int busyFd = ::open(QFile::encodeName(busy).constData(), O_CREAT | O_RDWR, 0600);
    QVERIFY(busyFd >= 0);
    QCOMPARE(::flock(busyFd, LOCK_EX), 0);

    jf::writeWholeTextFile(path("Tips.txt"), "tip");
    ::close(busyFd);
    QVERIFY(!QFile::exists(leftover));
    for (const QString& name : kept + QStringList{busy})
        QVERIFY2(QFile::exists(name), qPrintable(name));
    QCOMPARE(get("Tips.txt"), QByteArray("tip"));
}

void TestTextFiles::killedSaveLeavesOldOrNew()
{
    // A child saves two versions of a list, a settings file and the tips in
    // turn until it is killed at a random moment.
    QStringList entries[2];
    QByteArray listBytes[2];
    for (int v = 0; v < 2; ++v) {
        for (int i = 0; i < 20000; ++i)
            entries[v] << QString("version %1 entry %2").arg(v).arg(i);
        listBytes[v] = entries[v].join("\r\n").toUtf8() + "\r\n";
    }
    const QStringList settings[2]{{"1", "Black", "6000"}, {"255", "Red", "-1"}};
    const QByteArray settingsBytes[2]{"1\r\nBlack\r\n6000\r\n", "255\r\nRed\r\n-1\r\n"};
    QTemporaryDir dir;
    const QString files[3]{dir.filePath("ProgramsPaths.txt"), dir.filePath("DefaultSettings.ins"),
                           dir.filePath("Tips.txt")};
    const auto read = [](const QString& name) {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    };
    const auto save = [&](int v) {
        jf::writeListFile(files[0], entries[v]);
        jf::writeSettingsFile(files[1], settings[v]);
        jf::writeWholeTextFile(files[2], QString::fromUtf8(listBytes[v]));
    };
    QElapsedTimer clock;
    clock.start();
    save(0);
    // The kills' spread: one round of saving, however fast this build.
    const int span = int(qMax<qint64>(1000, clock.nsecsElapsed() / 1000));

    // Temporary files made in the folder, as they are made.
    const int created = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    QVERIFY(created >= 0);
    const auto closeWatch = qScopeGuard([created] { ::close(created); });
    QVERIFY(::inotify_add_watch(created, QFile::encodeName(dir.path()).constData(), IN_CREATE) >=
            0);
    const auto drain = [](int fd) {
        char events[4096];
        while (::read(fd, events, sizeof events) > 0) {
        }
    };

    const int rounds = 30;
    int unfinished = 0;
    QDir folder(dir.path(), QString("*") + jf::tempFileMarker + "*");
    for (int round = 0; round < rounds; ++round) {
        // What the last killed save left would be taken for the next one's.
        for (const QString& leftover : folder.entryList(QDir::Files))
            QVERIFY(folder.remove(leftover));
        folder.refresh();
        drain(created);
        const pid_t pid = ::fork();
        QVERIFY(pid >= 0);
        if (pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            jf::forgetNotedFilesForTesting(); // a program of its own

            for (int v = 1;; v ^= 1)
                save(v);
        }
        if (round % 2 == 0) {
            // The moment a temporary file is made: in the middle of a save.
            pollfd ready{created, POLLIN, 0};
            for (bool seen = false; !seen && ::poll(&ready, 1, 5000) > 0;) {
                alignas(inotify_event) char events[4096];
                const ssize_t got = ::read(created, events, sizeof events);
                for (ssize_t at = 0; at < got;) {
                    const auto* event = reinterpret_cast<const inotify_event*>(events + at);
                    seen = seen ||
                           (event->len > 0 && QByteArray(event->name).contains(jf::tempFileMarker));
                    at += ssize_t(sizeof(inotify_event) + event->len);
                }
            }
        } else {
            // Once a save is under way (its temporary file is there), at a
            // random moment of it or of the saves that follow.
            for (int waited = 0; folder.entryList(QDir::Files).isEmpty() && waited < 5000;
                 ++waited) {
                ::usleep(1000);
                folder.refresh();
            }
            ::usleep(useconds_t(QRandomGenerator::global()->bounded(span)));
        }
        ::kill(pid, SIGKILL);
        int status = 0;
        QCOMPARE(::waitpid(pid, &status, 0), pid);
        QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL, "the saving child died early");

        unfinished += QDir(dir.path()).entryList(QDir::Files).size() > 3;
        const QByteArray list = read(files[0]);
        QVERIFY(list == listBytes[0] || list == listBytes[1]);
        const QByteArray ins = read(files[1]);
        QVERIFY(ins == settingsBytes[0] || ins == settingsBytes[1]);
        const QByteArray tips = read(files[2]);
        QVERIFY(tips == listBytes[0] || tips == listBytes[1]);
    }
    qInfo("%d of %d kills interrupted a save", unfinished, rounds);
    QVERIFY(unfinished > 0);          // else the kills missed the saves altogether
    jf::forgetNotedFilesForTesting(); // the children's files, not this program's
    jf::forgetNotedFilesForTesting(); // the children wrote last, not this program
    save(1);                          // and the next save clears what a killed one left
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3);
}

void TestTextFiles::linksFollowedOnlyWhenOwn_data()
{
    QTest::addColumn<bool>("foreignLink");
    QTest::addColumn<bool>("foreignTarget");
    QTest::newRow("own link, own file") << false << false;
    QTest::newRow("own link, another user's file") << false << true;
    QTest::newRow("another user's link") << true << false;
}

// A data file that is a symbolic link is written through only when the link
// and its file belong to the user running the program.
void TestTextFiles::linksFollowedOnlyWhenOwn()
{
    QFETCH(bool, foreignLink);
    QFETCH(bool, foreignTarget);
    const bool root = ::geteuid() == 0;
    if (!root && foreignLink)
        QSKIP("only root can make a link that belongs to another user");
    // Not root: root's own file stands for another user's.
    const QString target = !root && foreignTarget ? QString("/etc/hostname") : path("real.txt");
    put("real.txt", "old\n");
    QFile::remove(path("Tips.txt"));
    QVERIFY(QFile::link(target, path("Tips.txt")));
    if (root && foreignTarget)
        QCOMPARE(::chown(path("real.txt").toLocal8Bit().constData(), 65534, 65534), 0);
    if (foreignLink)
        QCOMPARE(::lchown(path("Tips.txt").toLocal8Bit().constData(), 65534, 65534), 0);
    const bool refused = foreignLink || foreignTarget;
    for (const auto& write : std::initializer_list<std::function<void()>>{
             [&] { jf::writeWholeTextFile(path("Tips.txt"), "x"); },
             [&] { jf::writeSettingsFile(path("Tips.txt"), {"x"}); }}) {
        QCOMPARE(jftest::failureOf(write).startsWith(
                     QString("Cannot create file \"%1\". The file is a symbolic link")
                         .arg(path("Tips.txt"))),
                 refused);
        QVERIFY(QFileInfo(path("Tips.txt")).isSymLink());
        QCOMPARE(get("real.txt").left(1), refused ? QByteArray("o") : QByteArray("x"));
    }
}

// A list holds at most maxListEntries entries: more is refused with the
// file's name, and a list whose file was refused is never written over.
void TestTextFiles::listEntryCeiling()
{
    const jftest::HangGuard hang(20);
    put("PicturesNames.txt", QByteArray(jf::maxListEntries, '\n'));
    QCOMPARE(jf::readListFile(path("PicturesNames.txt")).size(), jf::maxListEntries);
    const QByteArray over(8 * 1024 * 1024, '\n');
    put("PicturesNames.txt", over);
    QCOMPARE(jftest::failureOf<jf::FileTooLargeError>(
                 [&] { jf::readListFile(path("PicturesNames.txt")); }),
             QString("Cannot open file \"%1\". Too many lines (over 100000)")
                 .arg(path("PicturesNames.txt")));
    put("PicturesPaths.txt", "");
    jf::Favourites pictures(jf::datafile::picturesNames, jf::datafile::picturesPaths);
    const jf::DataFolder folder(m_dir.path() + "/");
    QVERIFY(jftest::failureOf([&] { pictures.load(folder); }).contains("Too many lines"));
    pictures.append("New", "/new.jpg");
    QVERIFY(jftest::failureOf([&] { pictures.save(folder); }).contains("kept as it is"));
    QCOMPARE(get("PicturesNames.txt"), over);
}

// The sheet's files and the calibration table are reached by their bytes,
// also in a folder whose name is not UTF-8.
void TestTextFiles::laterFilesInAnyFolder()
{
    const QString folder = jf::decodeLocal8Bit(QFile::encodeName(m_dir.path()) + "/D\xe4ta/");
    QCOMPARE(::mkdir(jf::nativePath(folder).constData(), 0755), 0);
    jf::replaceFileContent(folder + "Sheet.txt", "5\t121\t121\t/a.jpg\r\n");
    jf::replaceFileContent(folder + "SheetSettings.ins", "0\r\n");
    jf::replaceFileContent(folder + "Calibration.txt", "Office\t151\t100\t0\t0\r\n");
    jf::SheetList sheet;
    QCOMPARE((sheet.read(folder + "Sheet.txt"), sheet.entries().size()), 1);
    QCOMPARE(jf::readSheetSettings(folder + "SheetSettings.ins"), (jf::SheetSettings{false, 0}));
    jf::CalibrationTable table;
    table.read(folder + "Calibration.txt");
    table.remove("Office");
    table.write(folder + "Calibration.txt"); // the last printer reset: the file goes
    QVERIFY(!jf::nameExists(folder + "Calibration.txt"));
}

QTEST_GUILESS_MAIN(TestTextFiles)
#include "tst_textfiles.moc"
