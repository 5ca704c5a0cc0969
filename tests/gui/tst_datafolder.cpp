// The Data folder is the program's alone: one program per folder (a second
// start hands its picture over and ends), and no file that another program
// changed is written over.
#include "AppController.h"
#include "OneProgram.h"
#include "ProgramFixture.h"
#include "TestPlatform.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using jftest::WorkDir;

namespace {

// Starts the program in `folder` with `arguments`.
void startProgram(QProcess& program, const QString& folder, const QStringList& arguments)
{
    program.setWorkingDirectory(folder);
    program.start(QStringLiteral(JF_PROGRAM), arguments);
    QVERIFY(program.waitForStarted());
}

// What a program that crashed leaves: a socket file nobody listens on.
void leaveStaleSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    QCOMPARE(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

void click(const QWidget& window, const char* label)
{
    QTest::mouseClick(jftest::child<jf::ClickLabel>(window, label), Qt::LeftButton);
}

} // namespace

class TestDataFolder : public QObject
{
    Q_OBJECT

    jftest::ProgramFixture m_program;
    QTemporaryDir m_runtime;

private slots:
    void initTestCase() { qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path())); }
    void init() { m_program.renew(); }
    void cleanup() { m_program.clear(); }

    void oneProgramPerDataFolder();
    void guardNeedsNoSharedName_data();
    void guardNeedsNoSharedName();
    void unansweringRunSaysWhy();
    void changedFileIsNotWrittenOver_data();
    void changedFileIsNotWrittenOver();
};

void TestDataFolder::oneProgramPerDataFolder()
{
    auto [platform, work, app, form] = m_program.start();
    const QString a = work.solidBitmap("a.bmp", QSize(8, 8), Qt::red);
    const QString b = work.solidBitmap("b.bmp", QSize(8, 8), Qt::blue);
    // A crashed run left its socket; the lock went with its process.
    const QString socket = jf::OneProgram::socketPath(work.path() + "/");
    leaveStaleSocket(socket);

    // This test is the first program, started as main() starts it.
    jf::OneProgram one(work.path() + "/");
    QCOMPARE(one.claim(a), jf::OneProgram::Start::First);
    one.listen();
    QStringList handedOver;
    one.setReceiver([&](const QString& picture) {
        handedOver << picture;
        form.openPicture(picture);
    });
    platform.fileDialog.answers.enqueue(a);
    click(form, "addPictureLabel");

    // A second start on the folder, directly and through a link: it hands
    // the picture over and ends at once.
    QVERIFY(QFile::link(work.path(), work.path() + "-link"));
    const auto removeLink = qScopeGuard([&] { QFile::remove(work.path() + "-link"); });
    for (const QString& folder : {work.path(), work.path() + "-link"}) {
        const QByteArray before = work.read("PicturesPaths.txt");
        QProcess second;
        startProgram(second, folder, {b});
        // This program answers it from its event loop.
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 10000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(handedOver.takeLast(), b);
        QCOMPARE(form.currentImagePath(), b);
        QCOMPARE(work.read("PicturesPaths.txt"), before); // the second wrote nothing
    }
    platform.fileDialog.answers.enqueue(b);
    click(form, "addPictureLabel");

    // Another Data folder runs side by side.
    WorkDir other;
    QProcess beside;
    startProgram(beside, other.path(), {});
    QVERIFY(!beside.waitForFinished(1500));
    beside.kill();
    beside.waitForFinished();

    QVERIFY(form.close());
    QCOMPARE(work.read("PicturesPaths.txt"), (a + "\r\n" + b + "\r\n").toUtf8());
    QVERIFY(platform.messages.errors.isEmpty());
}

void TestDataFolder::guardNeedsNoSharedName_data()
{
    // Run by sh before the first start, with the shared temporary folder as
    // $1 and the working folder as $2; the second start runs in `second`.
    QTest::addColumn<QString>("prepare");
    QTest::addColumn<QString>("second");
    QTest::newRow("another user's folder")
        << "mkdir $1/jacketforge-0 && chown 65534 $1/jacketforge-0"
        << "";
    QTest::newRow("another user's link")
        << "ln -s $1 $1/jacketforge-0 && chown -h 65534 $1/jacketforge-0"
        << "";
    QTest::newRow("a bind mount") << "mkdir $1/bound && mount --bind $2 $1/bound"
                                  << "bound";
}

void TestDataFolder::guardNeedsNoSharedName()
{
    QFETCH(QString, prepare);
    QFETCH(QString, second);
    if (::geteuid() != 0)
        QSKIP("another user's folder and a bind mount need root");
    WorkDir& work = m_program.work();
    QTemporaryDir tmp;
    // No runtime folder: the guard's place is in the shared temporary one.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(tmp.path()));
    const auto restore = qScopeGuard([&] {
        qputenv("XDG_RUNTIME_DIR", runtime);
        qunsetenv("TMPDIR");
        qunsetenv("XDG_CACHE_HOME");
        if (!second.isEmpty())
            QProcess::execute(QStringLiteral("umount"), {tmp.filePath(second)});
    });
    QCOMPARE(QProcess::execute("sh", {"-c", prepare, "sh", tmp.path(), work.path()}), 0);
    if (second.isEmpty()) // said, and a private folder of the user's own used instead
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("-0\" cannot hold the lock"));
    jf::OneProgram one(work.path() + "/");
    QCOMPARE(one.claim({}), jf::OneProgram::Start::First);
    one.listen();
    QStringList handedOver;
    one.setReceiver([&](const QString& picture) { handedOver << picture; });
    const QString picture = work.solidBitmap("b.bmp", QSize(8, 8), Qt::blue);
    QProcess later;
    startProgram(later, second.isEmpty() ? work.path() : tmp.filePath(second), {picture});
    QTRY_VERIFY_WITH_TIMEOUT(later.state() == QProcess::NotRunning, 10000);
    QCOMPARE(later.exitCode(), 0);
    QCOMPARE(handedOver, QStringList{picture});
}

void TestDataFolder::unansweringRunSaysWhy()
{
    const WorkDir& work = m_program.work();
    // The socket's place is taken by a folder that cannot be removed.
    const QString socket = jf::OneProgram::socketPath(work.path() + "/");
    QVERIFY(QDir().mkpath(socket + "/taken"));
    jf::OneProgram one(work.path() + "/");
    QCOMPARE(one.claim({}), jf::OneProgram::Start::First);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot hand their pictures"));
    one.listen();
    // A later start is told at once, not after waiting for an answer.
    jf::OneProgram second(work.path() + "/");
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(second.claim({}), jf::OneProgram::Start::NoAnswer);
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(second.noAnswerText().contains("cannot listen on \"" + socket),
             qPrintable(second.noAnswerText()));
}

void TestDataFolder::changedFileIsNotWrittenOver_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("partner"); // the other file of a list pair
    QTest::newRow("picture names, at close") << "PicturesNames.txt"
                                             << "PicturesPaths.txt";
    QTest::newRow("picture paths, at close") << "PicturesPaths.txt"
                                             << "PicturesNames.txt";
    QTest::newRow("sizes, on Save Settings") << "DefaultSizes.ins"
                                             << "";
    QTest::newRow("names, on Accept") << "DefaultNames.ins"
                                      << "";
    // Missing at start, made by another program since.
    QTest::newRow("sheet, on Add to Sheet") << "Sheet.txt"
                                            << "";
    QTest::newRow("sheet settings, on Cut marks") << "SheetSettings.ins"
                                                  << "";
}

void TestDataFolder::changedFileIsNotWrittenOver()
{
    QFETCH(QString, file);
    QFETCH(QString, partner);
    auto [platform, work, app, form] = m_program.start();
    const QByteArray changed = "changed by another program\r\n";
    const QByteArray partnerBefore = partner.isEmpty() ? QByteArray() : work.read(partner);
    const auto changeBehind = [&] { work.write(file, changed); };
    const QString message = QStringLiteral("Cannot create file \"%1\". Another program changed "
                                           "it after this program read it")
                                .arg(work.data(file));

    if (!partner.isEmpty()) {
        platform.fileDialog.answers.enqueue(QStringLiteral("/pictures/new.jpg"));
        click(form, "addPictureLabel");
        changeBehind();
        QVERIFY(!form.close());                      // a failed save keeps the window open
        QCOMPARE(work.read(partner), partnerBefore); // nor was the pair's other file written
        // A second close offers to quit without saving.
        platform.messages.answers.enqueue(true);
        QVERIFY(form.close());
        QCOMPARE(platform.messages.questions.size(), 1);
        QVERIFY(platform.messages.questions.first().contains(work.data(file)));
    } else if (file == QLatin1String("DefaultSizes.ins")) {
        jftest::child<QLineEdit>(form, "widthEdit")->setText("200");
        form.selectCoverKind(1);
        changeBehind();
        click(form, "saveSizesLabel");
    } else if (file == QLatin1String("Sheet.txt")) {
        form.openPicture(work.solidBitmap("a.bmp", QSize(8, 8), Qt::red));
        form.selectCoverKind(5);
        changeBehind();
        QMetaObject::invokeMethod(jftest::child<QObject>(form, "addToSheetAction"), "trigger");
    } else if (file == QLatin1String("SheetSettings.ins")) {
        QMetaObject::invokeMethod(jftest::child<QObject>(form, "sheetAction"), "trigger");
        changeBehind();
        auto* marks = jftest::child<QCheckBox>(app.sheetWindow(), "cutMarksBox");
        marks->click();
        QVERIFY(marks->isChecked()); // the choice in force
    } else {
        click(form, "settingsLabel");
        jftest::child<QLineEdit>(app.settingsWindow(), "nameEdit1")->setText("Mine");
        changeBehind();
        click(app.settingsWindow(), "acceptLabel");
        QVERIFY(app.settingsWindow().isVisible()); // with the user's changes
    }
    QCOMPARE(work.read(file), changed);
    QCOMPARE(platform.messages.errors.size(), 1);
    QVERIFY2(platform.messages.errors.first().startsWith(message),
             qPrintable(platform.messages.errors.first()));
}

QTEST_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
