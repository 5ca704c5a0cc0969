// The program as the desktop starts it: the command line, the display
// platform it picks, the environment of the programs it starts; and its Data
// folder, which is its alone: one program per folder (a second start hands
// its picture over and ends), no file that another program changed is
// written over, and a save that finds the disk full leaves every file as it
// was.
#include "Application.h"
#include "CommandLine.h"
#include "CoverNames.h"
#include "DataFileFormats.h"
#include "ErrorReport.h"
#include "Errors.h"
#include "OneProgram.h"
#include "ProgramFixture.h"
#include "TextCodec.h"
#include "WindowLook.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTreeWidget>

#include <cstdio>
#include <sys/mount.h>
#include <unistd.h>

using Action = jf::CommandLineRequest::Action;
using jftest::child;
using jftest::WorkDir;

Q_DECLARE_METATYPE(Action)

namespace {

// NAME=value sets, NAME alone removes; entries apart by "|".
QProcessEnvironment environment(const QString& entries, QProcessEnvironment env = {})
{
    for (const QString& entry : entries.split('|', Qt::SkipEmptyParts))
        entry.contains('=') ? env.insert(entry.section('=', 0, 0), entry.section('=', 1))
                            : env.remove(entry);
    return env;
}

// The start of the program named "jacketforge" with the words after its name.
std::unique_ptr<jf::StartArguments> startWith(QByteArrayList words,
                                              const QProcessEnvironment& env = {})
{
    words.removeAll(QByteArray());
    words.prepend("jacketforge");
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    return std::make_unique<jf::StartArguments>(int(argv.size()), argv.data(), env);
}

// The Data folder of `work` moved onto a 256 KiB tmpfs (which only root may
// mount) that is then filled up to `leaveFree` bytes (tmpfs hands out space 4
// KiB at a time); unmounted when the object goes.
class FullData
{
public:
    FullData(const WorkDir& work, qint64 leaveFree) : m_dir(work.path() + "/Data")
    {
        m_mounted = QProcess::execute("sh", {"-c", R"(cp -r "$1" "$1.old" &&
            mount -t tmpfs -o size=256k jf-full "$1" && cp "$1.old"/* "$1" &&
            { dd if=/dev/zero of="$1/filler" bs=4k 2>/dev/null; truncate -s -$2 "$1/filler"; })",
                                             "sh", m_dir, QString::number(leaveFree)}) == 0;
    }
    ~FullData() { ::umount2(QFile::encodeName(m_dir).constData(), MNT_DETACH); }
    bool mounted() const { return m_mounted; }
    void makeRoom() { QFile::remove(m_dir + "/filler"); }

private:
    QString m_dir;
    bool m_mounted = false;
};

} // namespace

class TestCommandLine : public QObject, public jftest::ProgramFixture
{
    Q_OBJECT

    // The arguments (apart by "|"), the action, the picture (./: in the working folder), a
    // text the answer holds.
    using ParseRow = std::tuple<QString, Action, QString, QString>;
    // The arguments and the environment (NAME=value, or NAME removed), apart by "|", the
    // exit status, how standard output starts, what standard error holds (=: all of it).
    using ProgramRow = std::tuple<QString, QString, int, QString, QString>;
    // The arguments, the environment, and what Qt is given after the program's name, each
    // apart by "|".
    using ArgumentsRow = std::tuple<QString, QString, QString>;
    // The file's name as bytes on disk, how it is passed.
    using NameRow = std::tuple<QByteArray, QString>;
    // A shell command run first, the folder the second start runs in, whether only root can
    // do it.
    using SecondStartRow = std::tuple<QString, QString, bool>;

    QTemporaryDir m_runtime;

    // The program's guard in a runtime folder of the test's own.
    auto ownRuntimeFolder()
    {
        return jftest::setEnvironment("XDG_RUNTIME_DIR=" + m_runtime.path());
    }

private slots:
    void initTestCase()
    {
        jf::startLoadingFonts(jf::windowFamilies());
        jf::prepareApplication();
        jf::setProgramIcon(jf::WindowPictures::decode(1).icon);
        QCOMPARE(QApplication::windowIcon().availableSizes().size(), 4);
    }
    void init() { renew(); }
    void cleanup() { clear(); }

    // Each font asked for at the start is drawn in the family Qt itself
    // falls back to.
    void installedFamily_data()
    {
        QTest::addColumn<QString>("family");
        for (const QString& family : jf::windowFamilies())
            QTest::newRow(qPrintable(family)) << family;
    }
    void installedFamily()
    {
        QFETCH(QString, family);
        QCOMPARE(QFontInfo(QFont(jf::installedFamily(family))).family(),
                 QFontInfo(QFont(family)).family());
    }

    void parse_data()
    {
        const auto row = jftest::rows<ParseRow>();
        row("nothing", "", Action::Start, "", "");
        row("relative", "a b.jpg", Action::Start, "./a b.jpg", "");
        row("absolute", "/p/x.png", Action::Start, "/p/x.png", "");
        row("after --", "--|-x.png", Action::Start, "./-x.png", "");
        row("-h", "-h", Action::ShowHelp, "", "--version");
        row("version", "-v", Action::ShowVersion, "", "jacketforge 1.20\n");
        row("two pictures", "a.jpg|b.jpg", Action::Refuse, "",
            "Only one picture can be opened at a time.");
        row("colon in a name", "a:b.jpg", Action::Start, "./a:b.jpg", "");
        row("file URI", "file:///p/a%20b.jpg", Action::Start, "/p/a b.jpg", "");
        row("file URI, localhost", "file://localhost/p/x.png", Action::Start, "/p/x.png", "");
        row("web address", "https://example.org/x.jpg", Action::Refuse, "",
            "Only pictures on this computer can be opened, not \"https://example.org/x.jpg\".");
        row("file elsewhere", "--|file://server/x.png", Action::Refuse, "",
            "not \"file://server/x.png\".");
        row("from the launcher", "--launch-failure|No folder.", Action::ShowLaunchFailure, "",
            "No folder.");
    }
    void parse()
    {
        auto [arguments, action, picture, text] = jftest::fetch<ParseRow>();
        if (picture.startsWith("./")) // relative to the working folder
            picture = QDir::currentPath() + picture.mid(1);
        const auto request =
            jf::parseCommandLine(("jacketforge|" + arguments).split('|', Qt::SkipEmptyParts));
        QCOMPARE(request.action, action);
        QCOMPARE(request.picture, picture);
        QVERIFY2(request.text.contains(text), qPrintable(request.text));
    }

    // The real program: its exit status and where its answer goes (Qt may
    // warn on standard error about the environment). --help and --version
    // need no display; what Qt would take for its own options after "--"
    // reaches the program.
    void program_data()
    {
        const auto row = jftest::rows<ProgramRow>();
        const QString noDisplay = "DISPLAY|WAYLAND_DISPLAY|QT_QPA_PLATFORM";
        // Nothing but the one line: no abort, none of Qt's messages.
        const QString line = "=" + QString::fromLatin1(jf::noDisplayLine);
        row("help", "--help", noDisplay, 0, "Usage: jacketforge [options] [picture]\n", "");
        row("version", "--version", noDisplay, 0, "jacketforge 1.20\n", "");
        row("unknown", "--bogus|x.jpg", "QT_QPA_PLATFORM=offscreen", 2, "",
            "jacketforge: Unknown option 'bogus'.\nTry 'jacketforge --help'");
        row("Qt's options after --", "--|-reverse|-style=x.jpg", "QT_QPA_PLATFORM=offscreen", 2, "",
            "Only one picture can be opened at a time.");
        row("no display", "", noDisplay, 1, "", line);
        row("display gone", "x.jpg", "DISPLAY=:97|WAYLAND_DISPLAY|QT_QPA_PLATFORM", 1, "", line);
        row("Wayland gone", "", "DISPLAY|WAYLAND_DISPLAY=gone-0|QT_QPA_PLATFORM", 1, "", line);
    }
    void program()
    {
        auto [arguments, environment, status, out, err] = jftest::fetch<ProgramRow>();
        renew(false); // no Data folder either
        QProcess process;
        process.setProcessEnvironment(
            ::environment(environment, QProcessEnvironment::systemEnvironment()));
        process.start(QStringLiteral(JF_PROGRAM), arguments.split('|', Qt::SkipEmptyParts));
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), status);
        const QString stdOut = QString::fromLocal8Bit(process.readAllStandardOutput());
        const QString stdErr = QString::fromLocal8Bit(process.readAllStandardError());
        QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), qPrintable(stdOut));
        if (err.startsWith('='))
            QCOMPARE(stdErr, err.mid(1));
        else
            QVERIFY2(stdErr.contains(err), qPrintable(stdErr));
    }

    // What Qt is given and what the program reads, from the same command
    // line: under Wayland with XWayland the program asks Qt for X11.
    void startArguments_data()
    {
        const auto row = jftest::rows<ArgumentsRow>();
        const QString xwayland = "WAYLAND_DISPLAY=wayland-0|DISPLAY=:0", xcb = "-platform|xcb";
        row("after -- only pictures", "-style|Fusion|--|-reverse|-style=x.jpg", "",
            "-style|Fusion");
        row("X11 under Wayland", "a.jpg", xwayland, xcb + "|a.jpg");
        row("the user's platform", "--platform|wayland", xwayland, "--platform|wayland");
        row("a picture named -platform", "--|-platform", xwayland, xcb);
        row("X11 session", "", "DISPLAY=:0", "");
        row("Wayland session type", "", "XDG_SESSION_TYPE=wayland|DISPLAY=:1", xcb);
        row("Wayland without X", "", "WAYLAND_DISPLAY=wayland-0", "");
        row("the user's choice", "", xwayland + "|QT_QPA_PLATFORM=wayland", "");
    }
    void startArguments()
    {
        auto [arguments, environment, qt] = jftest::fetch<ArgumentsRow>();
        const auto start = startWith(arguments.toUtf8().split('|'), ::environment(environment));
        QCOMPARE(start->qtArguments(), ("jacketforge|" + qt).split('|', Qt::SkipEmptyParts));
        QCOMPARE(start->arguments(), ("jacketforge|" + arguments).split('|', Qt::SkipEmptyParts));
    }

    // A picture opens however its name is spelled on disk and however it is
    // passed: path, relative path, file URI.
    void anyNameOpens_data()
    {
        QTest::addColumn<NameRow>("row");
        for (const char* how : {"path", "after --", "URI", "favourite"}) {
            QTest::addRow("UTF-8, %s", how) << NameRow("-caf\xc3\xa9 1.bmp", how);
            QTest::addRow("Latin-1, %s", how) << NameRow("-caf\xe9 1.bmp", how);
        }
    }
    void anyNameOpens()
    {
        auto [name, how] = jftest::fetch<NameRow>();
        const QByteArray path = QFile::encodeName(work().path()) + '/' + name;
        QCOMPARE(
            ::rename(QFile::encodeName(work().solidBitmap("red.bmp", QSize(6, 4), Qt::red)), path),
            0);
        // The name starts with "-": only after "--" may it be relative.
        QByteArray argument = how == "after --" ? name : path;
        if (how == "URI")
            argument = "file://" + path.toPercentEncoding("/");
        const auto start = startWith(how == "after --" ? QByteArrayList{"--", argument}
                                                       : QByteArrayList{argument});
        const jf::CommandLineRequest request = jf::parseCommandLine(start->arguments());
        QCOMPARE(request.action, Action::Start);
        QCOMPARE(jf::loadPicture(request.picture).fullImage().pixel(0, 0), QColor(Qt::red).rgb());
        // On the sheet it keeps its own name, by which a later start finds
        // it; a favourite's path holds its bytes as the list file does.
        this->start();
        form().openPicture(how == "favourite" ? jf::decodeLocal8Bit(path) : request.picture);
        form().selectCoverKind(5);
        trigger("addToSheetAction");
        QCOMPARE(work().read("Sheet.txt"), "5\t121\t121\t" + path + "\r\n");
        this->start();
        trigger("sheetAction");
        QTRY_VERIFY(child<QTreeWidget>(sheet(), "coverList")
                        ->topLevelItem(0)
                        ->text(4)
                        .endsWith("per inch"));
    }

    void startedProgramsGetTheStartEnvironment_data()
    {
        jftest::eitherWay("viewer", "Your Programs", "View Image");
    }
    // Under Wayland with XWayland the program asks Qt for X11; the programs
    // it starts still see the session as the user started it.
    void startedProgramsGetTheStartEnvironment()
    {
        QFETCH(bool, viewer);
        // A stand-in for the program started and for the desktop's viewer.
        const QString dump = work().put(
            "dump-environment", "#!/bin/sh\nenv > \"$0.tmp\" && mv \"$0.tmp\" \"$0.txt\"\n");
        QFile::setPermissions(dump, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::link(dump, work().path() + "/xdg-open");
        const auto restore = jftest::setEnvironment(
            "QT_QPA_PLATFORM|WAYLAND_DISPLAY=wayland-0|DISPLAY=:0|PATH=" + work().path() + ':' +
            qEnvironmentVariable("PATH"));
        QStringList before = QProcessEnvironment::systemEnvironment().toStringList();
        jf::restoreDesktopPlatform();
        if (viewer)
            QVERIFY(jf::platform().shell->openDocument(work().path() + "/picture.jpg"));
        else
            jf::platform().shell->startCommand(dump);
        const QString seen = (viewer ? work().path() + "/xdg-open" : dump) + ".txt";
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(seen), 10000);
        QFile file(seen);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QRegularExpression own("^(?!(OLD)?PWD=|SHLVL=|_=)"); // not what the shell sets itself
        QStringList after =
            QString::fromLocal8Bit(file.readAll()).split('\n', Qt::SkipEmptyParts).filter(own);
        before = before.filter(own);
        before.sort();
        after.sort();
        QCOMPARE(after, before);
    }

    void secondStartHandsOver_data()
    {
        // `prepare` is run by sh before the first start, with the shared
        // temporary folder as $1 and the working folder as $2; the second
        // start runs in `second`. Without a runtime folder (the rows for
        // root) the guard's place is in the shared temporary folder.
        const auto row = jftest::rows<SecondStartRow>();
        row("a crashed run's socket left", "", "$2", false);
        row("through a link", "ln -s $2 $1/link", "$1/link", false);
        row("another Data folder runs beside", "mkdir -p $1/other/Data", "$1/other", false);
        row("another user's folder", "mkdir $1/jacketforge-0 && chown 65534 $1/jacketforge-0", "$2",
            true);
        row("another user's link", "ln -s $1 $1/jacketforge-0 && chown -h 65534 $1/jacketforge-0",
            "$2", true);
        row("a bind mount", "mkdir $1/bound && mount --bind $2 $1/bound", "$1/bound", true);
    }
    // One program per Data folder: a second start hands its picture over
    // and ends at once, writing nothing.
    void secondStartHandsOver()
    {
        auto [prepare, second, root] = jftest::fetch<SecondStartRow>();
        if (root && ::geteuid() != 0)
            QSKIP("another user's folder and a bind mount need root");
        QTemporaryDir tmp;
        const auto runtime = root ? jftest::setEnvironment("XDG_RUNTIME_DIR|TMPDIR=" + tmp.path() +
                                                           "|XDG_CACHE_HOME=" + tmp.path())
                                  : ownRuntimeFolder();
        const auto restore = qScopeGuard([&] {
            if (prepare.contains("mount"))
                QProcess::execute("umount", {tmp.filePath("bound")});
        });
        QCOMPARE(QProcess::execute("sh", {"-c", prepare, "sh", tmp.path(), work().path()}), 0);
        if (prepare.isEmpty()) // what a crashed run leaves: a socket file nobody listens on
            QCOMPARE(::close(jftest::boundSocket(jf::OneProgram::socketPath(work().path() + "/"))),
                     0);
        if (prepare.contains("chown")) // said, and a private folder of the user's own used instead
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("-0\" cannot hold the lock"));
        start();
        jf::OneProgram one(work().path() + "/");
        QCOMPARE(one.claim({}), jf::OneProgram::Start::First);
        one.listen();
        QStringList handedOver;
        one.setReceiver([&](const QString& picture) {
            handedOver << picture;
            form().openPicture(picture);
        });
        const QString picture = work().solidBitmap("b.bmp", QSize(8, 8), Qt::blue);
        QProcess later;
        later.setWorkingDirectory(second.replace("$1", tmp.path()).replace("$2", work().path()));
        later.start(QStringLiteral(JF_PROGRAM), {picture});
        if (prepare.contains("other")) {
            QVERIFY(!later.waitForFinished(1500));
            later.kill();
            later.waitForFinished();
            QVERIFY(handedOver.isEmpty());
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(later.state() == QProcess::NotRunning, 10000);
        QCOMPARE(later.exitStatus(), QProcess::NormalExit);
        QCOMPARE(later.exitCode(), 0);
        QCOMPARE(handedOver, QStringList{picture});
        QCOMPARE(form().currentImagePath(), picture);
        QCOMPARE(work().read("PicturesPaths.txt"), WorkDir::shipped("PicturesPaths.txt"));
        QVERIFY(errors().isEmpty());
    }

    void unansweringRunSaysWhy()
    {
        // The socket's place is taken by a folder that cannot be removed.
        const auto runtime = ownRuntimeFolder();
        const QString socket = jf::OneProgram::socketPath(work().path() + "/");
        QVERIFY(QDir().mkpath(socket + "/taken"));
        jf::OneProgram one(work().path() + "/");
        QCOMPARE(one.claim({}), jf::OneProgram::Start::First);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot hand their pictures"));
        one.listen();
        // A later start is told at once, not after waiting for an answer.
        jf::OneProgram second(work().path() + "/");
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(second.claim({}), jf::OneProgram::Start::NoAnswer);
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(second.noAnswerText().contains("cannot listen on \"" + socket),
                 qPrintable(second.noAnswerText()));
    }

    void changedFileIsNotWrittenOver_data()
    {
        QTest::addColumn<QString>("file");
        // A list pair's file at close, the sizes on "Save Settings", the names on "Accept";
        // made by another program since the start: the sheet on "Add to Sheet", its settings
        // on cut marks, the picture fit on "Fill Cover".
        for (const char* file :
             {"PicturesNames.txt", "PicturesPaths.txt", "DefaultSizes.ins", "DefaultNames.ins",
              "Sheet.txt", "SheetSettings.ins", "PictureFit.ins"})
            QTest::newRow(file) << QString(file);
    }
    void changedFileIsNotWrittenOver()
    {
        QFETCH(QString, file);
        start();
        // The other file of a list pair, which must stay as it was too.
        const QString partner =
            QString(file.startsWith("Pictures") ? "PicturesNames.txtPicturesPaths.txt" : "")
                .remove(file);
        const QByteArray changed = "changed by another program\r\n";
        const QByteArray partnerBefore = partner.isEmpty() ? QByteArray() : work().read(partner);
        const auto changeBehind = [&] { work().write(file, changed); };
        if (!partner.isEmpty()) {
            platform().fileDialog.answers.enqueue(QStringLiteral("/pictures/new.jpg"));
            click("addPictureLabel");
            changeBehind();
            QVERIFY(!form().close());                      // a failed save keeps the window open
            QCOMPARE(work().read(partner), partnerBefore); // nor was the pair's other file written
            // A second close offers to quit without saving.
            platform().messages.answers.enqueue(true);
            QVERIFY(form().close());
            QCOMPARE(platform().messages.questions.size(), 1);
            QVERIFY(platform().messages.questions.first().contains(work().data(file)));
        } else if (file == "DefaultSizes.ins") {
            edit("widthEdit")->setText("200");
            form().selectCoverKind(1);
            changeBehind();
            click("saveSizesLabel");
        } else if (file == "Sheet.txt") {
            form().openPicture(work().solidBitmap("a.bmp", QSize(8, 8), Qt::red));
            form().selectCoverKind(5);
            changeBehind();
            trigger("addToSheetAction");
        } else if (file == "PictureFit.ins") {
            changeBehind();
            trigger("fillAction");
            QVERIFY(child<QAction>(form(), "stretchAction")->isChecked()); // the way in force
        } else if (file == "SheetSettings.ins") {
            trigger("sheetAction");
            changeBehind();
            auto* marks = jftest::child<QCheckBox>(sheet(), "cutMarksBox");
            marks->click();
            QVERIFY(marks->isChecked()); // the choice in force
        } else {
            click("settingsLabel");
            edit(settings(), "nameEdit1")->setText("Mine");
            changeBehind();
            click(settings(), "acceptLabel");
            QVERIFY(settings().isVisible()); // with the user's changes
        }
        QCOMPARE(work().read(file), changed);
        QCOMPARE(errors().size(), 1);
        const QString told = QString("Cannot create file \"%1\". Another program changed it "
                                     "after this program read it")
                                 .arg(work().data(file));
        QCOMPARE(errors().first().left(told.size()), told);
    }

    void fullDiskKeepsEveryFile_data()
    {
        QTest::addColumn<qint64>("leaveFree");
        QTest::newRow("no space at all") << qint64(0);
        QTest::newRow("space for part of a file") << qint64(8192);
    }
    // Each writer is given more than the free space: it fails with the
    // system's message and leaves the old file, and no temporary one.
    void fullDiskKeepsEveryFile()
    {
        QFETCH(qint64, leaveFree);
        const QStringList names = QDir(work().path() + "/Data").entryList(QDir::Files);
        FullData full(work(), leaveFree);
        if (!full.mounted())
            QSKIP("mounting a tmpfs is not allowed here");
        QMap<QString, QByteArray> before;
        for (const QString& name : names)
            before[name] = work().read(name);
        start();
        jf::Workspace& ws = workspace();
        // The sizes file can only be short: it must fail when there is no
        // room at all.
        ws.sizes.setWidth(1, 271);
        ws.preferences.borderColour = QString(20000, QLatin1Char('c'));
        const QString big(20000, QLatin1Char('n'));
        const QList<std::function<void()>> writers{
            [&] { ws.sizes.write(ws.folder.path(jf::datafile::sizes)); },
            [&] { jf::writeCoverNames(ws.folder.path(jf::datafile::names), QStringList(8, big)); },
            [&] { ws.preferences.write(ws.folder.path(jf::datafile::settings)); },
            [&] { jf::writeWholeTextFile(ws.folder.path(jf::datafile::tips), big); },
        };
        for (const auto& write : writers) {
            try {
                write();
                QVERIFY(leaveFree > 0 && &write == &writers.first());
            } catch (const jf::Error& e) {
                QVERIFY2(e.message().contains("No space left on device") ||
                             e.message().contains("Disk full"),
                         qPrintable(e.message()));
            }
        }
        for (const QString& name : names) {
            if (name == jf::datafile::sizes && leaveFree > 0)
                QVERIFY(work().read(name).startsWith("271\r\n184\r\n"));
            else
                QVERIFY2(work().read(name) == before[name], qPrintable(name));
        }
        QCOMPARE(QDir(work().path() + "/Data").entryList(QDir::Files).size(),
                 names.size() + 1); // the filler

        // Closing with the programs list too large: the window and the list
        // stay; once there is room the same close saves what was kept.
        QStringList entries;
        for (int i = 0; i < 2000; ++i) {
            entries << QStringLiteral("program %1 with a name long enough to fill space").arg(i);
            ws.programs.append(entries.last(), "/usr/bin/x");
        }
        form().show();
        errors().clear();
        click("closeLabel");
        QCOMPARE(errors(),
                 QStringList{QString("Cannot create file \"%1\". No space left on device.")
                                 .arg(work().data("ProgramsNames.txt"))});
        QVERIFY(form().isVisible());
        QCOMPARE(ws.programs.names().mid(ws.programs.names().size() - entries.size()), entries);
        QCOMPARE(work().read("ProgramsNames.txt"), before["ProgramsNames.txt"]);
        full.makeRoom();
        errors().clear();
        click("closeLabel");
        QVERIFY(errors().isEmpty());
        QVERIFY(!form().isVisible());
        QVERIFY(work().read("ProgramsNames.txt").endsWith(entries.last().toUtf8() + "\r\n"));
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
