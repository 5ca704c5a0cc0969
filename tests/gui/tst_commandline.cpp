// The program as the desktop starts it: the command line, the display
// platform it picks, and the icon and class its windows carry.
#include "AppController.h"
#include "Application.h"
#include "CommandLine.h"
#include "ErrorReport.h"
#include "Picture.h"
#include "SheetPrinting.h"
#include "TestPlatform.h"
#include "TextCodec.h"

#include <QApplication>
#include <QBuffer>
#include <QFontInfo>
#include <QLabel>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

using Action = jf::CommandLineRequest::Action;
using jftest::TestPlatform;
using jftest::WorkDir;

Q_DECLARE_METATYPE(Action)

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { jf::prepareApplication(); }
    void parse_data();
    void parse();
    void program_data();
    void program();
    void startArguments_data();
    void startArguments();
    void anyNameOpens_data();
    void anyNameOpens();
    void startedProgramsGetTheStartEnvironment_data();
    void startedProgramsGetTheStartEnvironment();
    void pictureLoadsAsImportWould_data();
    void pictureLoadsAsImportWould();
    void displayPlatform_data();
    void displayPlatform();
    void everyWindowCarriesTheIconAndClass();
    void windowFaces_data();
    void windowFaces();
};

void TestCommandLine::parse_data()
{
    const QString here = QDir::currentPath();
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing") << QStringList{} << Action::Start << ""
                             << "";
    QTest::newRow("relative") << QStringList{"a b.jpg"} << Action::Start << here + "/a b.jpg"
                              << "";
    QTest::newRow("absolute") << QStringList{"/p/x.png"} << Action::Start << "/p/x.png"
                              << "";
    QTest::newRow("after --") << QStringList{"--", "-x.png"} << Action::Start << here + "/-x.png"
                              << "";
    QTest::newRow("help") << QStringList{"--help"} << Action::ShowHelp << ""
                          << "Usage: jacketforge [options] [picture]\n";
    QTest::newRow("-h") << QStringList{"-h"} << Action::ShowHelp << ""
                        << "--version";
    QTest::newRow("version") << QStringList{"--version"} << Action::ShowVersion << ""
                             << "jacketforge 1.20\n";
    QTest::newRow("unknown") << QStringList{"--bogus", "x.jpg"} << Action::Refuse << ""
                             << "Unknown option 'bogus'.";
    QTest::newRow("two pictures") << QStringList{"a.jpg", "b.jpg"} << Action::Refuse << ""
                                  << "Only one picture can be opened at a time.";
    QTest::newRow("colon in a name") << QStringList{"a:b.jpg"} << Action::Start << here + "/a:b.jpg"
                                     << "";
    QTest::newRow("file URI") << QStringList{"file:///p/a%20b.jpg"} << Action::Start << "/p/a b.jpg"
                              << "";
    QTest::newRow("file URI, localhost")
        << QStringList{"file://localhost/p/x.png"} << Action::Start << "/p/x.png"
        << "";
    QTest::newRow("web address")
        << QStringList{"https://example.org/x.jpg"} << Action::Refuse << ""
        << "Only pictures on this computer can be opened, not \"https://example.org/x.jpg\".";
    QTest::newRow("file elsewhere")
        << QStringList{"--", "file://server/x.png"} << Action::Refuse << ""
        << "not \"file://server/x.png\".";
    QTest::newRow("from the launcher")
        << QStringList{"--launch-failure", "No folder."} << Action::ShowLaunchFailure << ""
        << "No folder.";
}

void TestCommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(Action, action);
    QFETCH(QString, picture);
    QFETCH(QString, text);
    const jf::CommandLineRequest request =
        jf::parseCommandLine(QStringList{"jacketforge"} + arguments);
    QCOMPARE(request.action, action);
    QCOMPARE(request.picture, picture);
    QVERIFY2(request.text.contains(text), qPrintable(request.text));
}

// The real program: its exit status and where its answer goes (Qt may warn
// on standard error about the environment). --help and --version need no
// display; what Qt would take for its own options after "--" reaches the
// program.
void TestCommandLine::program_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("environment"); // NAME=value, or NAME to remove
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    const QStringList noDisplay{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    const QStringList offscreen{"QT_QPA_PLATFORM=offscreen"};
    QTest::newRow("help") << QStringList{"--help"} << noDisplay << 0 << "Usage: "
                          << "";
    QTest::newRow("version") << QStringList{"-v"} << noDisplay << 0 << "jacketforge 1.20\n"
                             << "";
    QTest::newRow("unknown") << QStringList{"--bogus"} << offscreen << 2 << ""
                             << "jacketforge: Unknown option 'bogus'.\nTry 'jacketforge --help'";
    QTest::newRow("Qt's options after --")
        << QStringList{"--", "-reverse", "-style=x.jpg"} << offscreen << 2 << ""
        << "Only one picture can be opened at a time.";
    // Nothing but the one line: no abort, none of Qt's messages.
    const QString line = QString::fromLatin1(jf::noDisplayLine);
    QTest::newRow("no display") << QStringList{} << noDisplay << 1 << ""
                                << "=" + line;
    QTest::newRow("display gone") << QStringList{"x.jpg"}
                                  << QStringList{"DISPLAY=:97", "WAYLAND_DISPLAY",
                                                 "QT_QPA_PLATFORM"}
                                  << 1 << ""
                                  << "=" + line;
    QTest::newRow("Wayland gone") << QStringList{}
                                  << QStringList{"DISPLAY", "WAYLAND_DISPLAY=gone-0",
                                                 "QT_QPA_PLATFORM"}
                                  << 1 << ""
                                  << "=" + line;
}

void TestCommandLine::program()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : environment) {
        if (entry.contains('='))
            env.insert(entry.section('=', 0, 0), entry.section('=', 1));
        else
            env.remove(entry);
    }
    process.setProcessEnvironment(env);
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

// What Qt is given and what the program reads, from the same command line.
void TestCommandLine::startArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QStringList>("qt");
    QTest::addColumn<QStringList>("own");
    const QStringList xwayland{"WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0"};
    QTest::newRow("after -- only pictures")
        << QStringList{"-style", "Fusion", "--", "-reverse", "-style=x.jpg"} << QStringList{}
        << QStringList{"-style", "Fusion"}
        << QStringList{"-style", "Fusion", "--", "-reverse", "-style=x.jpg"};
    QTest::newRow("X11 under Wayland")
        << QStringList{"a.jpg"} << xwayland << QStringList{"-platform", "xcb", "a.jpg"}
        << QStringList{"a.jpg"};
    QTest::newRow("the user's platform")
        << QStringList{"--platform", "wayland"} << xwayland << QStringList{"--platform", "wayland"}
        << QStringList{"--platform", "wayland"};
    QTest::newRow("a picture named -platform")
        << QStringList{"--", "-platform"} << xwayland << QStringList{"-platform", "xcb"}
        << QStringList{"--", "-platform"};
}

void TestCommandLine::startArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(QStringList, qt);
    QFETCH(QStringList, own);
    QProcessEnvironment env;
    for (const QString& entry : environment)
        env.insert(entry.section('=', 0, 0), entry.section('=', 1));
    std::vector<QByteArray> words{"jacketforge"};
    for (const QString& argument : arguments)
        words.push_back(argument.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    const jf::StartArguments start(int(argv.size()), argv.data(), env);
    QCOMPARE(start.qtArguments(), QStringList{"jacketforge"} + qt);
    QCOMPARE(start.arguments(), QStringList{"jacketforge"} + own);
}

// A picture opens however its name is spelled on disk and however it is
// passed: path, relative path, file URI.
void TestCommandLine::anyNameOpens_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("form");
    for (const char* form : {"path", "after --", "URI", "favourite"}) {
        QTest::addRow("UTF-8, %s", form) << QByteArray("-caf\xc3\xa9 1.bmp") << form;
        QTest::addRow("Latin-1, %s", form) << QByteArray("-caf\xe9 1.bmp") << form;
    }
}

void TestCommandLine::anyNameOpens()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, form);
    TestPlatform platform;
    WorkDir work;
    QByteArray bitmap;
    QBuffer buffer(&bitmap);
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(&buffer, "BMP"));
    QByteArray path = QFile::encodeName(work.path()) + '/' + name;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, bitmap.constData(), size_t(bitmap.size())), ssize_t(bitmap.size()));
    ::close(fd);

    // The name starts with "-": only after "--" may it be relative.
    QByteArray dashes("--"), argument = form == "after --" ? name : path;
    if (form == "URI")
        argument = "file://" + path.toPercentEncoding("/");
    char program[] = "jacketforge";
    std::vector<char*> argv{program, argument.data()};
    if (form == "after --")
        argv.insert(argv.begin() + 1, dashes.data());
    const jf::StartArguments start(int(argv.size()), argv.data(), QProcessEnvironment());
    const jf::CommandLineRequest request = jf::parseCommandLine(start.arguments());
    QCOMPARE(request.action, Action::Start);
    QCOMPARE(jf::loadPicture(request.picture).fullImage().pixel(0, 0), QColor(Qt::red).rgb());

    // On the sheet it keeps its own name, by which a later start finds it.
    jf::AppController app;
    // A favourite's path holds its bytes as the list file does.
    app.mainWindow().openPicture(form == "favourite" ? jf::decodeLocal8Bit(path) : request.picture);
    app.mainWindow().selectCoverKind(5);
    QMetaObject::invokeMethod(jftest::child<QObject>(app.mainWindow(), "addToSheetAction"),
                              "trigger");
    QCOMPARE(work.read("Sheet.txt"), "5\t121\t121\t" + path + "\r\n");
    const jf::SheetEntry entry = jf::AppController().workspace().sheet.entries().value(0);
    QVERIFY(!jf::SheetPictures().pictureFor(entry.picturePath).isNull());
}

void TestCommandLine::pictureLoadsAsImportWould_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("good") << "good.bmp" << QByteArray();
    QTest::newRow("damaged") << "bad.bmp" << QByteArray("BM not a bitmap");
    QTest::newRow("unknown kind") << "notes.txt" << QByteArray("x");
    QTest::newRow("missing") << "gone.jpg" << QByteArray();
}

// Opening from the command line and importing the same file end alike: the
// same preview and path, or the same message with the state unchanged.
void TestCommandLine::pictureLoadsAsImportWould()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    TestPlatform platform;
    WorkDir work;
    QString path = work.path() + "/" + name;
    if (name == "good.bmp")
        path = work.solidBitmap(name, QSize(8, 8), Qt::red);
    else if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    jf::AppController opened;
    jf::guarded([&] { opened.mainWindow().openPicture(path); });
    const QStringList openErrors = platform.messages.errors;
    platform.messages.errors.clear();

    jf::AppController imported;
    platform.fileDialog.answers.enqueue(path);
    QMetaObject::invokeMethod(jftest::child<QObject>(imported.mainWindow(), "importAction"),
                              "trigger");
    QCOMPARE(openErrors, platform.messages.errors);
    QCOMPARE(openErrors.isEmpty(), name == "good.bmp");
    QCOMPARE(opened.mainWindow().currentImagePath(), imported.mainWindow().currentImagePath());
    QCOMPARE(opened.mainWindow().previewPicture().fullImage(),
             imported.mainWindow().previewPicture().fullImage());
}

void TestCommandLine::displayPlatform_data()
{
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QString>("platform");
    QTest::newRow("X11 session") << QStringList{"DISPLAY=:0"} << "";
    QTest::newRow("Wayland with XWayland")
        << QStringList{"WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0"} << "xcb";
    QTest::newRow("Wayland session type")
        << QStringList{"XDG_SESSION_TYPE=wayland", "DISPLAY=:1"} << "xcb";
    QTest::newRow("Wayland without X") << QStringList{"WAYLAND_DISPLAY=wayland-0"} << "";
    QTest::newRow("user's choice wins")
        << QStringList{"WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0", "QT_QPA_PLATFORM=wayland"} << "";
    QTest::newRow("no display") << QStringList{} << "";
}

void TestCommandLine::displayPlatform()
{
    QFETCH(QStringList, environment);
    QFETCH(QString, platform);
    QProcessEnvironment env;
    for (const QString& entry : environment)
        env.insert(entry.section('=', 0, 0), entry.section('=', 1));
    QCOMPARE(jf::preferredDisplayPlatform(env), platform);
}

void TestCommandLine::startedProgramsGetTheStartEnvironment_data()
{
    QTest::addColumn<bool>("viewer");
    QTest::newRow("Your Programs") << false;
    QTest::newRow("View Image") << true;
}

// Under Wayland with XWayland the program asks Qt for X11; the programs it
// starts still see the session as the user started it.
void TestCommandLine::startedProgramsGetTheStartEnvironment()
{
    QFETCH(bool, viewer);
    WorkDir work(false);
    // A stand-in for the program started and for the desktop's viewer.
    const QString dump = work.path() + "/dump-environment";
    QFile script(dump);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nenv > \"$0.tmp\" && mv \"$0.tmp\" \"" + QFile::encodeName(dump) +
                 ".txt\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::link(dump, work.path() + "/xdg-open");

    const QByteArray saved = qgetenv("QT_QPA_PLATFORM"), path = qgetenv("PATH"),
                     display = qgetenv("DISPLAY");
    qunsetenv("QT_QPA_PLATFORM");
    qputenv("WAYLAND_DISPLAY", "wayland-0");
    qputenv("DISPLAY", ":0");
    qputenv("PATH", QFile::encodeName(work.path()) + ':' + path);
    const auto restore = qScopeGuard([&] {
        qputenv("QT_QPA_PLATFORM", saved);
        qputenv("PATH", path);
        qputenv("DISPLAY", display);
        qunsetenv("WAYLAND_DISPLAY");
        jf::restoreDesktopPlatform();
    });
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QStringList before = env.toStringList();

    char program[] = "jacketforge";
    char* argv[] = {program, nullptr};
    const jf::StartArguments start(1, argv);
    QCOMPARE(start.qtArguments(), (QStringList{"jacketforge", "-platform", "xcb"}));
    jf::restoreDesktopPlatform();
    if (viewer)
        QVERIFY(jf::platform().shell->openDocument(work.path() + "/picture.jpg"));
    else
        jf::platform().shell->startCommand(dump);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dump + ".txt"), 10000);
    QFile seen(dump + ".txt");
    QVERIFY(seen.open(QIODevice::ReadOnly | QIODevice::Text));
    QStringList after = QString::fromLocal8Bit(seen.readAll()).split('\n', Qt::SkipEmptyParts);
    // What the shell sets for itself.
    for (QStringList* list : {&before, &after})
        list->removeIf([](const QString& entry) {
            return entry.startsWith("PWD=") || entry.startsWith("OLDPWD=") ||
                   entry.startsWith("SHLVL=") || entry.startsWith("_=");
        });
    before.sort();
    after.sort();
    QCOMPARE(after, before);
}

// Qt names an X11 window's class after the application; the desktop entry's
// StartupWMClass must match it for docks to group windows with launchers.
void TestCommandLine::everyWindowCarriesTheIconAndClass()
{
    TestPlatform platform;
    WorkDir work;
    jf::AppController controller;
    QFile entry(qEnvironmentVariable("JF_SOURCE_DIR") +
                "/packaging/org.jacketforge.Jacketforge.desktop");
    QVERIFY(entry.open(QIODevice::ReadOnly | QIODevice::Text));
    QVERIFY(QString::fromUtf8(entry.readAll())
                .contains("\nStartupWMClass=" + QApplication::applicationName() + "\n"));
    const QList<QWidget*> windows{&controller.mainWindow(),       &controller.sheetWindow(),
                                  &controller.addProgramDialog(), &controller.calibrationWindow(),
                                  &controller.settingsWindow(),   &controller.helpWindow()};
    for (QWidget* window : windows) {
        const QIcon icon = window->windowIcon();
        QVERIFY2(icon.availableSizes().contains(QSize(32, 32)), window->metaObject()->className());
        QVERIFY(!icon.pixmap(32).isNull());
    }
}

// The faces of the main window's texts as the program starts: the captions'
// own, and Tahoma for the rest, found through fontconfig even where only
// Wine's copy of it is installed.
void TestCommandLine::windowFaces_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::newRow("cover kind") << "coverKindLabel8"
                                << "Arial" << 17 << true << true;
    QTest::newRow("title") << "titleLabel"
                           << "Arial" << 16 << true << false;
    QTest::newRow("menu") << "printCoverLabel"
                          << "Arial" << 21 << true << false;
    QTest::newRow("picture") << "viewImageLabel"
                             << "Arial" << 13 << true << false;
    QTest::newRow("lists") << "deleteProgramLabel"
                           << "Arial" << 11 << true << false;
    QTest::newRow("close") << "closeLabel"
                           << "Arial" << 21 << false << false;
    QTest::newRow("close mark") << "closeMark"
                                << "Arial Black" << 20 << true << false;
    QTest::newRow("tip") << "tipLabel"
                         << "Tahoma" << 11 << false << false;
}

void TestCommandLine::windowFaces()
{
    QFETCH(QString, label);
    QFETCH(QString, family);
    QFETCH(int, pixels);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    TestPlatform platform;
    WorkDir work;
    jf::AppController controller;
    const QFont font = jftest::child<QLabel>(controller.mainWindow(), qPrintable(label))->font();
    QCOMPARE(font.family(), family);
    QCOMPARE(font.pixelSize(), pixels);
    QCOMPARE(font.bold(), bold);
    QCOMPARE(font.italic(), italic);
    if (family == "Tahoma" && QFile::exists("/usr/share/wine/fonts/tahoma.ttf"))
        QCOMPARE(QFontInfo(font).family(), family);
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
