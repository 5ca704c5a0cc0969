#include "Calibration.h"
#include "CoverSizes.h"
#include "DataFileFormats.h"
#include "DataFolder.h"
#include "DataRow.h"
#include "Errors.h"
#include "ExpectFailure.h"
#include "Favourites.h"
#include "HangGuard.h"
#include "Preferences.h"
#include "SafeFileIO.h"
#include "ScratchFolder.h"
#include "SettingsMerge.h"
#include "SheetList.h"
#include "TextCodec.h"
#include "TipCycle.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

using jftest::row;

class TestTextFiles : public jftest::DataFolderTest
{
    Q_OBJECT

private slots:
    void init()
    {
        jf::setWriteFaultForTesting(0);
        // The test puts files in place as another program would: each test
        // starts as a fresh program.
        jf::forgetNotedFilesForTesting();
    }

    void lines_data()
    {
        // The lines a settings file (or the tips) reads, or the entries of a
        // list, or both alike (the row's name starts with which), and whether
        // the list was read whole.
        jftest::columns<QByteArray, QStringList, bool>("content", "lines", "complete");
        using L = QStringList;
        row("both: crlf", QByteArray("a\r\nb\r\n"), L{"a", "b"}, true);
        row("both: lf", QByteArray("a\nb\n"), L{"a", "b"}, true);
        row("both: no final end", QByteArray("a\r\nb"), L{"a", "b"}, true);
        row("settings: lone cr dropped", QByteArray("a\rb\r\nc"), L{"ab", "c"}, true);
        row("settings: cr before crlf", QByteArray("a\r\r\nb"), L{"a", "b"}, true);
        row("both: empty line inside", QByteArray("a\r\n\r\nb\r\n"), L{"a", "", "b"}, true);
        row("settings: ctrl-z ends", QByteArray("a\r\nb\x1a\r\nc\r\n"), L{"a", "b"}, true);
        row("settings: ctrl-z first", QByteArray("\x1a") + "a\r\n", L{}, true);
        row("both: empty", QByteArray(), L{}, true);
        row("both: only crlf", QByteArray("\r\n"), L{""}, true);
        row("settings: nul kept in line", QByteArray("a\0b\n", 4), L{QString("a") + QChar(0) + "b"},
            true);
        row("both: long line", QByteArray(100000, 'x'), L{QString(100000, 'x')}, true);
        row("list: lone cr splits", QByteArray("a\rb"), L{"a", "b"}, true);
        row("list: nul ends content", QByteArray("a\r\nb\0c\r\n", 8), L{"a", "b"}, false);
        row("list: utf-16", QByteArray("a\0\r\0\n\0", 6), L{"a"}, false);
        row("list: nul is last byte", QByteArray("a\r\n\0", 4), L{"a"}, true);
        row("both: blanks kept", QByteArray(" a \r\n"), L{" a "}, true);
    }

    void lines()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, lines);
        QFETCH(bool, complete);
        put("Tips.txt", content);
        const QString kind = QString(QTest::currentDataTag()).section(':', 0, 0);
        if (kind != "settings") {
            bool wasComplete = !complete;
            QCOMPARE(jf::readListFile(path("Tips.txt"), &wasComplete), lines);
            QCOMPARE(wasComplete, complete);
        }
        if (kind == "list")
            return;
        jf::TipCycle tips;
        tips.read(path("Tips.txt"));
        QCOMPARE(tips.tips(), lines);
        // Past the end, lines read empty without error.
        jf::SettingsFileReader reader(path("Tips.txt"));
        for (int i = 0; i < lines.size(); ++i)
            reader.readLine();
        QVERIFY(reader.atEnd());
        QCOMPARE(reader.readLine(), QString());
    }

    void writersEndEveryLineWithCrLf()
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
    }

    void bytesSurviveRoundTrip()
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

    void openFailures_data()
    {
        // What stands where the file is looked for (a path below the scratch
        // folder, a link to a special file, or a sparse file of a size), what is
        // done with it, and the message ("<path>": the path the file was given).
        jftest::columns<QString, QString, QString>("node", "action", "message");
        const QString noFile("Cannot open file \"<path>\". No such file or directory");
        row("missing file, settings", "Data/none.ins", "read settings",
            "File not found: \"<path>\"");
        row("missing file, list", "Data/none.ins", "read list", noFile);
        row("missing folder, settings", "Nowhere/none.ins", "read settings", "Invalid filename");
        row("missing folder, list", "Nowhere/none.ins", "read list", noFile);
        row("folder is a file, settings", "Data/DefaultSizes.ins/x", "read settings",
            "Invalid filename");
        row("folder is a file, list", "Data/DefaultSizes.ins/x", "read list",
            "Cannot open file \"<path>\". Not a directory");
        row("write into a missing folder, sizes", "NoData/DefaultSizes.ins", "write sizes",
            "Invalid filename");
        row("write into a missing folder, list", "NoData/x.txt", "write list",
            "Cannot create file \"<path>\". No such file or directory");
        // Every data file may be a link to something else than a regular file:
        // it is refused at once, by name, and left as it is.
        for (const auto& [kind, reason] : {std::pair{"fifo", "Not a regular file"},
                                           {"device", "Not a regular file"},
                                           {"folder", "Is a directory"}})
            for (const QString action :
                 {"read settings", "read list", "write list", "write settings"})
                QTest::addRow("link to a %s, %s", kind, qPrintable(action))
                    << QString("link to ") + kind << action
                    << QString("Cannot %1 file \"<path>\". %2")
                           .arg(action.startsWith("read") ? "open" : "create", reason);
        row("settings at the size limit", QString("sparse %1").arg(jf::maxSettingsFileBytes),
            "read settings", "<no failure>");
        row("settings over", QString("sparse %1").arg(jf::maxSettingsFileBytes + 1),
            "read settings", "Cannot open file \"<path>\". File too large (over 1 MB)");
        row("list over", QString("sparse %1").arg(jf::maxListFileBytes + 1), "read list",
            "Cannot open file \"<path>\". File too large (over 64 MB)");
    }

    void openFailures()
    {
        QFETCH(QString, node);
        QFETCH(QString, action);
        QFETCH(QString, message);
        put("DefaultSizes.ins", "1\r\n");
        QString file = root() + "/" + node;
        const QByteArray special = QFile::encodeName(root() + "/" + node.section(' ', -1));
        struct stat before = {};
        if (node.startsWith("sparse")) {
            file = path("Big.txt");
            put("Big.txt", "");
            QVERIFY(QFile::resize(file, node.section(' ', 1).toLongLong())); // costs no disk space
        } else if (node.startsWith("link to")) {
            ::rmdir(special.constData());
            ::unlink(special.constData());
            if (node.endsWith("fifo")) {
                QCOMPARE(::mkfifo(special.constData(), 0666), 0);
            } else if (node.endsWith("device")) {
                // A private zero device: replacing it would harm nothing.
                if (::geteuid() != 0)
                    QSKIP("making a device node needs root");
                QCOMPARE(::mknod(special.constData(), S_IFCHR | 0666, makedev(1, 5)), 0);
            } else {
                QCOMPARE(::mkdir(special.constData(), 0777), 0);
            }
            QCOMPARE(::stat(special.constData(), &before), 0);
            file = path("Linked.txt");
            QFile::remove(file);
            QVERIFY(QFile::link(QFile::decodeName(special), file));
        }
        jftest::HangGuard guard(20);
        QString failure;
        if (action == "read settings")
            failure =
                jftest::failureOf<jf::InOutError>([&] { jf::SettingsFileReader reader(file); });
        else if (action == "write settings")
            failure =
                jftest::failureOf<jf::InOutError>([&] { jf::writeSettingsFile(file, {"a"}); });
        else if (action == "write sizes")
            failure =
                jftest::failureOf<jf::InOutError>([&] { jf::CoverSizes::defaults().write(file); });
        else if (action == "read list")
            failure = jftest::failureOf<jf::FileStreamError>([&] { jf::readListFile(file); });
        else
            failure =
                jftest::failureOf<jf::FileStreamError>([&] { jf::writeListFile(file, {"a"}); });
        QCOMPARE(failure, message.replace("<path>", file));
        if (node.startsWith("link to")) {
            struct stat after = {};
            QCOMPARE(::stat(special.constData(), &after), 0);
            QCOMPARE(after.st_mode, before.st_mode);
            QCOMPARE(after.st_ino, before.st_ino);
            QVERIFY(QFileInfo(file).isSymLink());
        }
    }

    void readUpToFirstBadLine_data()
    {
        // Each value is taken as soon as it is read: a bad line leaves the values
        // before it read and those after it as they were.
        jftest::columns<QString, QByteArray, QString, QString>("name", "content", "failure",
                                                               "values");
        QByteArray fifteen;
        for (int i = 1; i <= 15; ++i)
            fifteen += QByteArray::number(i) + "\r\n";
        row("sizes: 15 lines", "DefaultSizes.ins", fifteen, "'' is not a valid integer value",
            "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 999");
        row("sizes: blanks before a number, not after", "DefaultSizes.ins",
            QByteArray("270\n  184\n265\r\n184 \r\n"), "'184 ' is not a valid integer value",
            "270 184 265 0 0 0 0 0 0 0 0 0 0 0 0 999");
        row("settings: the width's low 8 bits", "DefaultSettings.ins",
            QByteArray("256\r\nred\r\n0\r\n"), "<no failure>", "0 red 0");
        row("settings: -1 is 255", "DefaultSettings.ins", QByteArray("-1\r\nGray\r\n6000\r\n"),
            "<no failure>", "255 Gray 6000");
        row("settings: two lines", "DefaultSettings.ins", QByteArray("7\r\nBlue\r\n"),
            "'' is not a valid integer value", "7 Blue -1");
    }

    void readUpToFirstBadLine()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, failure);
        QFETCH(QString, values);
        put(name, content);
        QStringList got;
        if (name == "DefaultSizes.ins") {
            jf::CoverSizes sizes;
            sizes.setHeight(8, 999);
            QCOMPARE(jftest::failureOf<jf::ConvertError>([&] { sizes.read(path(name)); }), failure);
            for (int kind = 1; kind <= jf::coverKindCount; ++kind)
                got << QString::number(sizes.width(kind)) << QString::number(sizes.height(kind));
        } else {
            jf::Preferences preferences;
            preferences.borderWidth = 1;
            preferences.borderColour = "unset";
            preferences.tipInterval = -1;
            QCOMPARE(jftest::failureOf<jf::ConvertError>([&] { preferences.read(path(name)); }),
                     failure);
            got << QString::number(preferences.borderWidth) << preferences.borderColour
                << QString::number(preferences.tipInterval);
        }
        QCOMPARE(got.join(' '), values);
    }

    void failedWriteKeepsOldFile_data()
    {
        jftest::columns<int, qint64, QString>("error", "after", "settingsMessage");
        row("disk full at once", ENOSPC, qint64(0), "Disk full");
        row("disk full part-way", ENOSPC, qint64(7), "Disk full");
        row("i/o error", EIO, qint64(3), "I/O error 5");
        row("too many files", EMFILE, qint64(0), "Too many open files");
        row("read-only fs", EROFS, qint64(0), "File access denied");
        // How the other errors of the system read.
        row("not found", ENOENT, qint64(0), "File not found");
        row("not a folder", ENOTDIR, qint64(0), "Invalid filename");
        row("too many files in the system", ENFILE, qint64(0), "Too many open files");
        row("access denied", EACCES, qint64(0), "File access denied");
        row("not permitted", EPERM, qint64(0), "File access denied");
        row("name too long", ENAMETOOLONG, qint64(0), "I/O error 36");
    }

    void failedWriteKeepsOldFile()
    {
        QFETCH(int, error);
        QFETCH(qint64, after);
        QFETCH(QString, settingsMessage);

        const QByteArray oldSizes("1\r\n2\r\n");
        put("DefaultSizes.ins", oldSizes);
        put("PicturesNames.txt", "old\r\n");

        const QStringList filesBefore = QDir(root() + "/Data").entryList(QDir::Files);
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
        QCOMPARE(QDir(root() + "/Data").entryList(QDir::Files), filesBefore);
    }

    void newFileGetsUsualPermissions()
    {
        // A new file gets 0666 less the umask: the usual 022 here, whatever the
        // umask of the one who runs the tests.
        const mode_t umaskBefore = ::umask(022);
        const auto restoreUmask = qScopeGuard([umaskBefore] { ::umask(umaskBefore); });
        QFile::remove(path("fresh.txt"));
        jf::writeListFile(path("fresh.txt"), {"a"});
        // Read for others too: not the 0600 of a temporary file.
        const QFile::Permissions usual = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther;
        QCOMPARE(QFileInfo(path("fresh.txt")).permissions() & usual, usual);

        put("kept.txt", "x");
        QFile::setPermissions(path("kept.txt"), QFile::ReadOwner | QFile::WriteOwner);
        jf::writeListFile(path("kept.txt"), {"b"});
        QCOMPARE(QFileInfo(path("kept.txt")).permissions() & (QFile::ReadOther | QFile::ReadGroup),
                 QFile::Permissions());
    }

    // A stream that never ends (here a device) is read up to the limit only.
    void endlessStreamStopsAtLimit()
    {
        const int zero = ::open("/dev/zero", O_RDONLY | O_CLOEXEC);
        QVERIFY(zero >= 0);
        QByteArray content("x");
        const jftest::HangGuard guard(20);
        QCOMPARE(jf::readAllFrom(zero, content, 1024 * 1024), EFBIG);
        ::close(zero);
        QVERIFY(content.isEmpty());
    }

    void leftoverTempFilesRemoved()
    {
        const QString marker = jf::tempFileMarker;
        const QString leftover = "Tips.txt" + marker + "aB3dE9";
        const QStringList kept{"Tips.txt.backup", "Tips.txt" + marker + "aB3dE9.old",
                               "Tips.txt" + marker + "ab-de9",
                               "DefaultSizes.ins" + marker + "aB3dE9"};
        for (const QString& name : kept + QStringList{leftover})
            put(name, "");
        // A save in progress in another instance holds its file locked.
        const QString busy = "Tips.txt" + marker + "Zz0Zz0";
        const int busyFd =
            ::open(QFile::encodeName(path(busy)).constData(), O_CREAT | O_RDWR, 0600);
        QVERIFY(busyFd >= 0);
        QCOMPARE(::flock(busyFd, LOCK_EX), 0);

        jf::writeWholeTextFile(path("Tips.txt"), "tip");
        ::close(busyFd);
        QVERIFY(!QFile::exists(path(leftover)));
        for (const QString& name : kept + QStringList{busy})
            QVERIFY2(QFile::exists(path(name)), qPrintable(name));
        QCOMPARE(get("Tips.txt"), QByteArray("tip"));
    }

    void killedSaveLeavesOldOrNew()
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
        const jftest::ScratchFolder dir;
        const QString names[3]{"ProgramsPaths.txt", "DefaultSettings.ins", "Tips.txt"};
        const QString files[3]{dir.path(names[0]), dir.path(names[1]), dir.path(names[2])};
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

        const int rounds = 30;
        int unfinished = 0;
        QDir folder(dir.root(), QString("*") + jf::tempFileMarker + "*");
        for (int round = 0; round < rounds; ++round) {
            // What the last killed save left would be taken for the next one's.
            for (const QString& leftover : folder.entryList(QDir::Files))
                QVERIFY(folder.remove(leftover));
            folder.refresh();
            const pid_t pid = ::fork();
            QVERIFY(pid >= 0);
            if (pid == 0) {
                ::prctl(PR_SET_PDEATHSIG, SIGKILL);
                jf::forgetNotedFilesForTesting(); // a program of its own
                for (int v = 1;; v ^= 1)
                    save(v);
            }
            // Once a save is under way (its temporary file is there): at once,
            // in the middle of it, or at a random moment of it or of the saves
            // that follow.
            for (int waited = 0; folder.entryList(QDir::Files).isEmpty() && waited < 50000;
                 ++waited) {
                ::usleep(100);
                folder.refresh();
            }
            if (round % 2)
                ::usleep(useconds_t(QRandomGenerator::global()->bounded(span)));
            ::kill(pid, SIGKILL);
            int status = 0;
            QCOMPARE(::waitpid(pid, &status, 0), pid);
            QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL,
                     "the saving child died early");

            unfinished += QDir(dir.root()).entryList(QDir::Files).size() > 3;
            for (int f = 0; f < 3; ++f) {
                const QByteArray* const versions = f == 1 ? settingsBytes : listBytes;
                QVERIFY2(dir.get(names[f]) == versions[0] || dir.get(names[f]) == versions[1],
                         qPrintable(names[f]));
            }
        }
        qInfo("%d of %d kills interrupted a save", unfinished, rounds);
        QVERIFY(unfinished > 0);          // else the kills missed the saves altogether
        jf::forgetNotedFilesForTesting(); // the children wrote last, not this program
        save(1);                          // and the next save clears what a killed one left
        QCOMPARE(QDir(dir.root()).entryList(QDir::Files).size(), 3);
    }

    void linksFollowedOnlyWhenOwn_data()
    {
        jftest::columns<bool, bool>("foreignLink", "foreignTarget");
        QTest::newRow("own link, own file") << false << false;
        QTest::newRow("own link, another user's file") << false << true;
        QTest::newRow("another user's link") << true << false;
    }

    // A data file that is a symbolic link is written through only when the link
    // and its file belong to the user running the program.
    void linksFollowedOnlyWhenOwn()
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
                 [&] { jf::writeSettingsFile(path("Tips.txt"), {"x"}); },
                 [&] { jf::writeListFile(path("Tips.txt"), {"x"}); }}) {
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
    void listEntryCeiling()
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
        const jf::DataFolder folder(root() + "/");
        QVERIFY(jftest::failureOf([&] { pictures.load(folder); }).contains("Too many lines"));
        pictures.append("New", "/new.jpg");
        QVERIFY(jftest::failureOf([&] { pictures.save(folder); }).contains("kept as it is"));
        QCOMPARE(get("PicturesNames.txt"), over);
    }

    void settingsMerge_data()
    {
        // file: "<missing>", "<folder>" or the content
        // keptFor: the error code of the refusal, 0 for none
        jftest::columns<QByteArray, bool, QStringList, int>("file", "onePiece", "merged",
                                                            "keptFor");
        const QStringList edited{"1", "B", "3"};
        row("missing file: the window's lines", QByteArray("<missing>"), false, edited, 0);
        row("lines left as shown come from the file", QByteArray("x\r\ny\r\nz\r\n"), false,
            QStringList{"x", "B", "z"}, 0);
        row("a short file reads empty lines", QByteArray("x\r\n"), false, QStringList{"x", "B", ""},
            0);
        row("a folder in its place is kept", QByteArray("<folder>"), false, QStringList(), EISDIR);
        row("one piece: kept", QByteArray("x\r\n"), true, QStringList(), EIO);
        row("one piece, missing: the window's lines", QByteArray("<missing>"), true, edited, 0);
    }

    // Saving a settings file the settings window did not show whole: the lines
    // the user changed come from the window, the others from the file.
    void settingsMerge()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, onePiece);
        QFETCH(QStringList, merged);
        QFETCH(int, keptFor);
        const QString where = path("Settings.ins");
        QFile::remove(where);
        QDir().rmdir(where);
        if (file == "<folder>")
            QVERIFY(QDir().mkdir(where));
        else if (file != "<missing>")
            put("Settings.ins", file);
        try {
            QCOMPARE(jf::mergeWithFile(where, {"1", "B", "3"}, {"1", "2", "3"}, onePiece), merged);
            QCOMPARE(keptFor, 0);
        } catch (const jf::InOutError& e) {
            QCOMPARE(e.osError(), keptFor);
            QCOMPARE(e.message(), QStringLiteral("Cannot create file \"%1\". It could not be read "
                                                 "when this window opened, so it is kept as it is")
                                      .arg(where));
        }
    }

    // The sheet's files and the calibration table are reached by their bytes,
    // also in a folder whose name is not UTF-8.
    void laterFilesInAnyFolder()
    {
        const QString folder = jf::decodeLocal8Bit(QFile::encodeName(root()) + "/D\xe4ta/");
        QCOMPARE(::mkdir(jf::nativePath(folder).constData(), 0755), 0);
        jf::replaceFileContent(folder + "Sheet.txt", "5\t121\t121\t/a.jpg\r\n");
        jf::replaceFileContent(folder + "SheetSettings.ins", "0\r\n");
        jf::replaceFileContent(folder + "Calibration.txt", "Office\t151\t100\t0\t0\r\n");
        jf::SheetList sheet;
        QCOMPARE((sheet.read(folder + "Sheet.txt"), sheet.entries().size()), 1);
        QCOMPARE(jf::readSheetSettings(folder + "SheetSettings.ins"),
                 (jf::SheetSettings{false, 0}));
        jf::CalibrationTable table;
        table.read(folder + "Calibration.txt");
        table.remove("Office");
        table.write(folder + "Calibration.txt"); // the last printer reset: the file goes
        QVERIFY(!jf::nameExists(folder + "Calibration.txt"));
    }
};

QTEST_GUILESS_MAIN(TestTextFiles)
#include "tst_textfiles.moc"
