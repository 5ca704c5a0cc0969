// The Data folder is the program's alone: one program per folder (a second
// start hands its picture over and ends), and no file that another program
// changed is written over.
#include "AppController.h"
#include "OneProgram.h"
#include "ProgramFixture.h"
#include "TestPlatform.h"

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
    QTest::addColumn<QString>("left"); // what another user left in the temporary folder
    QTest::newRow("a folder of another user") << "folder";
    QTest::newRow("a link") << "link";
    QTest::newRow("the Data folder through a bind mount") << "bind";
}

void TestDataFolder::guardNeedsNoSharedName()
{
    QFETCH(QString, left);
    if (::geteuid() != 0)
        QSKIP("making another user's folder or a bind mount needs root");
    WorkDir& work = m_program.work();
    QTemporaryDir tmp;
    const QString shared = tmp.filePath(QStringLiteral("jacketforge-%1").arg(::geteuid()));
    const QString bound = tmp.filePath(QStringLiteral("bound"));
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const auto restore = qScopeGuard([&] {
        qputenv("XDG_RUNTIME_DIR", runtime);
        qunsetenv("TMPDIR");
        qunsetenv("XDG_CACHE_HOME");
        if (left == QLatin1String("bind"))
            QProcess::execute(QStringLiteral("umount"), {bound});
    });
    if (left == QLatin1String("bind")) {
        QVERIFY(QDir().mkdir(bound));
        QCOMPARE(QProcess::execute(QStringLiteral("mount"), {"--bind", work.path(), bound}), 0);
    } else {
        // No runtime folder: the guard's place is the shared temporary one.
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(tmp.path()));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(tmp.path()));
        QVERIFY(left == QLatin1String("link") ? QFile::link(tmp.path(), shared)
                                              : QDir().mkdir(shared));
        QCOMPARE(::lchown(QFile::encodeName(shared).constData(), 65534, 65534), 0);
        // Said, and a private folder of its own used instead.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(shared) +
                                                              ".*cannot hold the lock"));
    }
    jf::OneProgram one(work.path() + "/");
    QCOMPARE(one.claim({}), jf::OneProgram::Start::First);
    one.listen();
    QStringList handedOver;
    one.setReceiver([&](const QString& picture) { handedOver << picture; });
    const QString picture = work.solidBitmap("b.bmp", QSize(8, 8), Qt::blue);
    QProcess second;
    startProgram(second, left == QLatin1String("bind") ? bound : work.path(), {picture});
    QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 10000);
    QCOMPARE(second.exitCode(), 0);
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
