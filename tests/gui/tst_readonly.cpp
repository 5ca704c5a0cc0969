// Files and folders that may not be written. Run as an unprivileged user:
// root ignores permission bits, which would make these tests pass vacuously.
#include "AppController.h"
#include "CloseLabel.h"
#include "HangGuard.h"
#include "TestPlatform.h"

#include <QTest>
#include <QTimer>
#include <unistd.h>

using jf::ClickLabel;
using jf::CloseLabel;
using jf::MainWindow;
using jftest::TestPlatform;
using jftest::WorkDir;

class TestReadOnly : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (::geteuid() == 0)
            QSKIP("permission bits are not enforced for root");
    }
    void closeWithReadOnlyPicturesNames();
    void saveWithReadOnlySizes();
    void saveIntoReadOnlyFolder();
    void unchangedCloseWritesNothing_data();
    void unchangedCloseWritesNothing();
    void unreadableSettingsFile();
    void secondCloseOffersToQuit_data();
    void secondCloseOffersToQuit();
};

void TestReadOnly::closeWithReadOnlyPicturesNames()
{
    TestPlatform platform;
    WorkDir work;
    work.write("PicturesNames.txt", "old\r\n");
    QFile::setPermissions(work.data("PicturesNames.txt"), QFile::ReadOwner | QFile::ReadOther);
    jf::AppController formApp;
    MainWindow& form = formApp.mainWindow();
    form.show();
    formApp.workspace().programs.append("Editor", "/usr/bin/editor");
    formApp.workspace().pictures.append("new", "/new.jpg");
    QTest::mouseClick(jftest::child<ClickLabel>(form, "closeLabel"), Qt::LeftButton);

    QCOMPARE(platform.messages.errors,
             QStringList{QString("Cannot create file \"%1\". Permission denied.")
                             .arg(work.data("PicturesNames.txt"))});
    QVERIFY(form.isVisible()); // the close is abandoned
    QCOMPARE(work.read("ProgramsNames.txt"), QByteArray("Editor\r\n"));
    QCOMPARE(work.read("ProgramsPaths.txt"), QByteArray("/usr/bin/editor\r\n"));
    QCOMPARE(work.read("PicturesNames.txt"), QByteArray("old\r\n"));
    QCOMPARE(work.read("PicturesPaths.txt"), QByteArray());
}

void TestReadOnly::saveWithReadOnlySizes()
{
    TestPlatform platform;
    WorkDir work;
    const QByteArray old = work.read("DefaultSizes.ins");
    QFile::setPermissions(work.data("DefaultSizes.ins"), QFile::ReadOwner | QFile::ReadOther);
    jf::AppController formApp;
    MainWindow& form = formApp.mainWindow();
    QTest::mouseClick(jftest::child<ClickLabel>(form, "coverKindLabel2"), Qt::LeftButton);
    QTest::mouseClick(jftest::child<ClickLabel>(form, "saveSizesLabel"), Qt::LeftButton);
    QCOMPARE(platform.messages.errors, QStringList{"File access denied."});
    QCOMPARE(work.read("DefaultSizes.ins"), old);
}

void TestReadOnly::saveIntoReadOnlyFolder()
{
    TestPlatform platform;
    WorkDir work;
    jf::AppController formApp;
    MainWindow& form = formApp.mainWindow();
    form.show();
    jftest::child<QLineEdit>(form, "widthEdit")->setText("200");
    QTest::mouseClick(jftest::child<ClickLabel>(form, "coverKindLabel2"), Qt::LeftButton);
    // The files that exist are rewritten in place; one that went missing
    // cannot be made.
    work.remove("ProgramsNames.txt");
    formApp.workspace().programs.append("Editor", "/usr/bin/editor");
    const QString data = work.path() + "/Data";
    QFile::setPermissions(data, QFile::ReadOwner | QFile::ExeOwner);
    QTest::mouseClick(jftest::child<ClickLabel>(form, "saveSizesLabel"), Qt::LeftButton);
    QTest::mouseClick(jftest::child<ClickLabel>(form, "closeLabel"), Qt::LeftButton);
    QFile::setPermissions(data, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(platform.messages.errors,
             QStringList{QString("Cannot create file \"%1\". Permission denied.")
                             .arg(work.data("ProgramsNames.txt"))});
    QVERIFY(work.read("DefaultSizes.ins").startsWith("200\r\n184\r\n265\r\n"));
    QVERIFY(form.isVisible());
}

void TestReadOnly::unchangedCloseWritesNothing_data()
{
    QTest::addColumn<bool>("withData");
    QTest::newRow("read-only Data folder") << true;
    QTest::newRow("no Data folder") << false;
}

void TestReadOnly::unchangedCloseWritesNothing()
{
    QFETCH(bool, withData);
    TestPlatform platform;
    WorkDir work(withData);
    const QString folder = withData ? work.path() + "/Data" : work.path();
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    {
        jf::AppController formApp;
        MainWindow& form = formApp.mainWindow();
        form.show();
        platform.messages.errors.clear();
        QTest::mouseClick(jftest::child<CloseLabel>(form, "closeMark"), Qt::LeftButton);
        QVERIFY(!form.isVisible());
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(platform.messages.errors, QStringList());
}

void TestReadOnly::unreadableSettingsFile()
{
    TestPlatform platform;
    WorkDir work;
    QFile::setPermissions(work.data("DefaultNames.ins"), QFile::WriteOwner);
    jf::AppController formApp;
    MainWindow& form = formApp.mainWindow();
    QCOMPARE(platform.messages.errors, QStringList{"File access denied."});
    QCOMPARE(formApp.workspace().sizes.width(1), 270); // sizes were read before the names
    QCOMPARE(form.selectedCoverKind(), 0);
}

void TestReadOnly::secondCloseOffersToQuit_data()
{
    QTest::addColumn<bool>("changedBetween");
    QTest::addColumn<bool>("answer");
    QTest::newRow("quit without saving") << false << true;
    QTest::newRow("stay") << false << false;
    QTest::newRow("a change in between") << true << true;
}

// A list cleared in a read-only Data folder: the first close reports the
// failure; a second one right after asks once, and "Yes" ends the program
// with the files as they were.
void TestReadOnly::secondCloseOffersToQuit()
{
    QFETCH(bool, changedBetween);
    QFETCH(bool, answer);
    const jftest::HangGuard hang(30);
    TestPlatform platform;
    platform.messages.answers << answer;
    WorkDir work;
    work.write("PicturesNames.txt", "Blue\r\n");
    work.write("PicturesPaths.txt", "/b.jpg\r\n");
    const QString data = work.path() + "/Data";
    QFile::setPermissions(data, QFile::ReadOwner | QFile::ExeOwner);
    QFile::setPermissions(work.data("PicturesNames.txt"), QFile::ReadOwner);
    jf::AppController formApp;
    MainWindow& form = formApp.mainWindow();
    int exitCode = -1;
    QTimer::singleShot(0, [&] {
        form.show();
        formApp.workspace().pictures.clear();
        form.close();
        if (changedBetween)
            formApp.workspace().programs.append("Editor", "/usr/bin/editor");
        form.close();
        if (form.isVisible())
            QCoreApplication::exit(7); // still open: leave the loop ourselves
    });
    exitCode = QApplication::exec();
    QFile::setPermissions(data, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const bool quits = answer && !changedBetween;
    QCOMPARE(platform.messages.errors.size(), changedBetween ? 2 : 1);
    QCOMPARE(platform.messages.questions.size(), changedBetween ? 0 : 1);
    QCOMPARE(exitCode, quits ? 0 : 7);
    QCOMPARE(work.read("PicturesNames.txt"), QByteArray("Blue\r\n"));
}

QTEST_MAIN(TestReadOnly)
#include "tst_readonly.moc"
