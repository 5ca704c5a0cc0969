// Files and folders that may not be written. Run as an unprivileged user:
// root ignores permission bits, which would make these tests pass vacuously.
#include "MainWindow.h"
#include "TestPlatform.h"

#include <QTest>
#include <unistd.h>

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
    void unreadableSettingsFile();
};

void TestReadOnly::closeWithReadOnlyPicturesNames()
{
    TestPlatform platform;
    WorkDir work;
    work.write("PicturesNames.txt", "old\r\n");
    QFile::setPermissions(work.data("PicturesNames.txt"), QFile::ReadOwner | QFile::ReadOther);
    MainWindow form;
    form.show();
    form.ListBox_ProgramsNames->addItem("Editor");
    form.ListBox_ProgramsPaths->addItem("/usr/bin/editor");
    form.ListBox_PicturesNames->addItem("new");
    form.ListBox_PicturesPaths->addItem("/new.jpg");
    QTest::mouseClick(form.Label_Close, Qt::LeftButton);

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
    MainWindow form;
    QTest::mouseClick(form.Label_Item2, Qt::LeftButton);
    QTest::mouseClick(form.Label_Save, Qt::LeftButton);
    QCOMPARE(platform.messages.errors, QStringList{"File access denied."});
    QCOMPARE(work.read("DefaultSizes.ins"), old);
}

void TestReadOnly::saveIntoReadOnlyFolder()
{
    TestPlatform platform;
    WorkDir work;
    const QByteArray old = work.read("DefaultSizes.ins");
    MainWindow form;
    form.show();
    // The files that exist are rewritten in place; one that went missing
    // cannot be made.
    work.remove("ProgramsNames.txt");
    const QString data = work.path() + "/Data";
    QFile::setPermissions(data, QFile::ReadOwner | QFile::ExeOwner);
    QTest::mouseClick(form.Label_Save, Qt::LeftButton);
    QTest::mouseClick(form.Label_Close, Qt::LeftButton);
    QFile::setPermissions(data, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(platform.messages.errors,
             QStringList{QString("Cannot create file \"%1\". Permission denied.")
                             .arg(work.data("ProgramsNames.txt"))});
    QCOMPARE(work.read("DefaultSizes.ins"), old);
    QVERIFY(form.isVisible());
}

void TestReadOnly::unreadableSettingsFile()
{
    TestPlatform platform;
    WorkDir work;
    QFile::setPermissions(work.data("DefaultNames.ins"), QFile::WriteOwner);
    MainWindow form;
    QCOMPARE(platform.messages.errors, QStringList{"File access denied."});
    QCOMPARE(form.ItemWidths[1], 270); // sizes were read before the names
    QCOMPARE(form.CurrentItem, 0);
}

QTEST_MAIN(TestReadOnly)
#include "tst_readonly.moc"
