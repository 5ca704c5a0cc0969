// The program as the desktop starts it: the command line, the display
// platform it picks, and the icon, class and faces its windows carry.
#include "Application.h"
#include "CommandLine.h"
#include "ErrorReport.h"
#include "ProgramFixture.h"
#include "TextCodec.h"

#include <QProcess>
#include <QScopeGuard>
#include <QTreeWidget>

#include <fcntl.h>
#include <unistd.h>

using Action = jf::CommandLineRequest::Action;
using jftest::child;
using jftest::WorkDir;

Q_DECLARE_METATYPE(Action)

namespace {

QProcessEnvironment environment(const QStringList& entries, QProcessEnvironment env = {})
{
    for (const QString& entry : entries)
        entry.contains('=') ? env.insert(entry.section('=', 0, 0), entry.section('=', 1))
                            : env.remove(entry);
    return env;
}

} // namespace

class TestCommandLine : public QObject, public jftest::ProgramFixture
{
    Q_OBJECT

    // arguments, action, picture, text
    using ParseRow = std::tuple<QStringList, Action, QString, QString>;
    // arguments, environment, status, out, err
    // (environment: NAME=value, or NAME to remove; err: "=": all of it)
    using ProgramRow = std::tuple<QStringList, QStringList, int, QString, QString>;
    // arguments, environment, qt
    // (qt: after the program's own name)
    using ArgumentsRow = std::tuple<QStringList, QStringList, QStringList>;
    // name, how
    using NameRow = std::tuple<QByteArray, QString>;

private slots:
    void initTestCase() { jf::prepareApplication(); }
    void init() { renew(); }
    void cleanup() { clear(); }

    void parse_data()
    {
        const auto row = jftest::rows<ParseRow>();
        const QStringList none;
        row("nothing", none, Action::Start, "", "");
        row("relative", QStringList{"a b.jpg"}, Action::Start, "./a b.jpg", "");
        row("absolute", QStringList{"/p/x.png"}, Action::Start, "/p/x.png", "");
        row("after --", QStringList{"--", "-x.png"}, Action::Start, "./-x.png", "");
        row("help", QStringList{"--help"}, Action::ShowHelp, "",
            "Usage: jacketforge [options] [picture]\n");
        row("-h", QStringList{"-h"}, Action::ShowHelp, "", "--version");
        row("version", QStringList{"--version"}, Action::ShowVersion, "", "jacketforge 1.20\n");
        row("unknown", QStringList{"--bogus", "x.jpg"}, Action::Refuse, "",
            "Unknown option 'bogus'.");
        row("two pictures", QStringList{"a.jpg", "b.jpg"}, Action::Refuse, "",
            "Only one picture can be opened at a time.");
        row("colon in a name", QStringList{"a:b.jpg"}, Action::Start, "./a:b.jpg", "");
        row("file URI", QStringList{"file:///p/a%20b.jpg"}, Action::Start, "/p/a b.jpg", "");
        row("file URI, localhost", QStringList{"file://localhost/p/x.png"}, Action::Start,
            "/p/x.png", "");
        row("web address", QStringList{"https://example.org/x.jpg"}, Action::Refuse, "",
            "Only pictures on this computer can be opened, not \"https://example.org/x.jpg\".");
        row("file elsewhere", QStringList{"--", "file://server/x.png"}, Action::Refuse, "",
            "not \"file://server/x.png\".");
        row("from the launcher", QStringList{"--launch-failure", "No folder."},
            Action::ShowLaunchFailure, "", "No folder.");
    }
    void parse()
    {
        auto [arguments, action, picture, text] = jftest::fetch<ParseRow>();
        if (picture.startsWith("./")) // relative to the working folder
            picture = QDir::currentPath() + picture.mid(1);
        const jf::CommandLineRequest request =
            jf::parseCommandLine(QStringList{"jacketforge"} + arguments);
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
        const QStringList noDisplay{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
        const QStringList offscreen{"QT_QPA_PLATFORM=offscreen"};
        // Nothing but the one line: no abort, none of Qt's messages.
        const QString line = "=" + QString::fromLatin1(jf::noDisplayLine);
        row("help", QStringList{"--help"}, noDisplay, 0, "Usage: ", "");
        row("version", QStringList{"-v"}, noDisplay, 0, "jacketforge 1.20\n", "");
        row("unknown", QStringList{"--bogus"}, offscreen, 2, "",
            "jacketforge: Unknown option 'bogus'.\nTry 'jacketforge --help'");
        row("Qt's options after --", QStringList{"--", "-reverse", "-style=x.jpg"}, offscreen, 2,
            "", "Only one picture can be opened at a time.");
        row("no display", QStringList(), noDisplay, 1, "", line);
        row("display gone", QStringList{"x.jpg"},
            QStringList{"DISPLAY=:97", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}, 1, "", line);
        row("Wayland gone", QStringList(),
            QStringList{"DISPLAY", "WAYLAND_DISPLAY=gone-0", "QT_QPA_PLATFORM"}, 1, "", line);
    }
    void program()
    {
        auto [arguments, environment, status, out, err] = jftest::fetch<ProgramRow>();
        renew(false); // no Data folder either
        QProcess process;
        process.setProcessEnvironment(
            ::environment(environment, QProcessEnvironment::systemEnvironment()));
        process.start(QStringLiteral(JF_PROGRAM), arguments);
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
        const QStringList xwayland{"WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0"};
        const QStringList xcb{"-platform", "xcb"};
        const QStringList style{"-style", "Fusion", "--", "-reverse", "-style=x.jpg"};
        const QStringList none;
        row("after -- only pictures", style, none, QStringList{"-style", "Fusion"});
        row("X11 under Wayland", QStringList{"a.jpg"}, xwayland, xcb + QStringList{"a.jpg"});
        row("the user's platform", QStringList{"--platform", "wayland"}, xwayland,
            QStringList{"--platform", "wayland"});
        row("a picture named -platform", QStringList{"--", "-platform"}, xwayland, xcb);
        row("X11 session", none, QStringList{"DISPLAY=:0"}, none);
        row("Wayland session type", none, QStringList{"XDG_SESSION_TYPE=wayland", "DISPLAY=:1"},
            xcb);
        row("Wayland without X", none, QStringList{"WAYLAND_DISPLAY=wayland-0"}, none);
        row("the user's choice", none, xwayland + QStringList{"QT_QPA_PLATFORM=wayland"}, none);
    }
    void startArguments()
    {
        auto [arguments, environment, qt] = jftest::fetch<ArgumentsRow>();
        std::vector<QByteArray> words{"jacketforge"};
        for (const QString& argument : arguments)
            words.push_back(argument.toUtf8());
        std::vector<char*> argv;
        for (QByteArray& word : words)
            argv.push_back(word.data());
        const jf::StartArguments start(int(argv.size()), argv.data(), ::environment(environment));
        QCOMPARE(start.qtArguments(), QStringList{"jacketforge"} + qt);
        QCOMPARE(start.arguments(), QStringList{"jacketforge"} + arguments);
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
        QFile bitmap(work().solidBitmap("red.bmp", QSize(6, 4), Qt::red));
        QVERIFY(bitmap.open(QIODevice::ReadOnly));
        const QByteArray bytes = bitmap.readAll();
        QByteArray path = QFile::encodeName(work().path()) + '/' + name;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
        ::close(fd);
        // The name starts with "-": only after "--" may it be relative.
        QByteArray dashes("--"), argument = how == "after --" ? name : path;
        if (how == "URI")
            argument = "file://" + path.toPercentEncoding("/");
        char program[] = "jacketforge";
        std::vector<char*> argv{program, argument.data()};
        if (how == "after --")
            argv.insert(argv.begin() + 1, dashes.data());
        const jf::StartArguments start(int(argv.size()), argv.data(), QProcessEnvironment());
        const jf::CommandLineRequest request = jf::parseCommandLine(start.arguments());
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
                        ->text(3)
                        .endsWith("per inch"));
    }

    void startedProgramsGetTheStartEnvironment_data()
    {
        QTest::addColumn<bool>("viewer");
        QTest::newRow("Your Programs") << false;
        QTest::newRow("View Image") << true;
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
        const QByteArray saved = qgetenv("QT_QPA_PLATFORM"), path = qgetenv("PATH"),
                         display = qgetenv("DISPLAY");
        qunsetenv("QT_QPA_PLATFORM");
        qputenv("WAYLAND_DISPLAY", "wayland-0");
        qputenv("DISPLAY", ":0");
        qputenv("PATH", QFile::encodeName(work().path()) + ':' + path);
        const auto restore = qScopeGuard([&] {
            qputenv("QT_QPA_PLATFORM", saved);
            qputenv("PATH", path);
            qputenv("DISPLAY", display);
            qunsetenv("WAYLAND_DISPLAY");
            jf::restoreDesktopPlatform();
        });
        QStringList before = QProcessEnvironment::systemEnvironment().toStringList();
        char program[] = "jacketforge";
        char* argv[] = {program, nullptr};
        QCOMPARE(jf::StartArguments(1, argv).qtArguments(),
                 (QStringList{"jacketforge", "-platform", "xcb"}));
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
};

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
