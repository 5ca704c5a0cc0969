// The program as the desktop starts it: the command line, the display
// platform it picks, and the icon and class its windows carry.
#include "AppController.h"
#include "Application.h"
#include "CommandLine.h"
#include "ErrorReport.h"
#include "TestPlatform.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QProcess>
#include <QTest>

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
// display.
void TestCommandLine::program_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("help") << "--help" << 0 << "Usage: "
                          << "";
    QTest::newRow("version") << "-v" << 0 << "jacketforge 1.20\n"
                             << "";
    QTest::newRow("unknown") << "--bogus" << 2 << ""
                             << "jacketforge: Unknown option 'bogus'.\nTry 'jacketforge --help'";
}

void TestCommandLine::program()
{
    QFETCH(QString, argument);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (status == 0) {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QLatin1String(name));
    }
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(JF_PROGRAM), {argument});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), status);
    const QString stdOut = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString stdErr = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), qPrintable(stdOut));
    QVERIFY2(stdErr.contains(err), qPrintable(stdErr));
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
    const QList<QWidget*> windows{&controller.mainWindow(),       &controller.printWindow(),
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
