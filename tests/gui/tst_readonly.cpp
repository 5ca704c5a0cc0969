// Files and folders that may not be written. Run as an unprivileged user:
// root ignores permission bits, which would make these tests pass vacuously.
#include "HangGuard.h"
#include "ProgramFixture.h"

#include <unistd.h>

using jftest::WorkDir;

class TestReadOnly : public QObject, public jftest::ProgramFixture
{
    Q_OBJECT

    // The file, its permissions, the message told (%1: the file).
    using NotAllowedRow = std::tuple<QString, int, QString>;
    // Whether a list changes between the closes, the answer to the question.
    using SecondCloseRow = std::tuple<bool, bool>;

    void setDataWritable(bool writable)
    {
        QFile::setPermissions(work().path() + "/Data",
                              QFile::ReadOwner | QFile::ExeOwner |
                                  (writable ? QFile::WriteOwner : QFile::Permissions()));
    }

private slots:
    void initTestCase()
    {
        if (::geteuid() == 0)
            QSKIP("permission bits are not enforced for root");
    }
    void init() { renew(); }
    void cleanup()
    {
        setDataWritable(true);
        clear();
    }

    void fileNotAllowed_data()
    {
        const auto row = jftest::rows<NotAllowedRow>();
        const int readOnly = int(QFile::ReadOwner | QFile::ReadOther);
        row("picture names read-only, at close", "PicturesNames.txt", readOnly,
            "Cannot create file \"%1\". Permission denied.");
        row("sizes read-only, on Save Settings", "DefaultSizes.ins", readOnly,
            "File access denied.");
        row("names unreadable, at start", "DefaultNames.ins", int(QFile::WriteOwner),
            "File access denied.");
    }
    // The failure is told and the file stays as it was; the close is
    // abandoned once the lists that could be saved are.
    void fileNotAllowed()
    {
        auto [file, permissions, message] = jftest::fetch<NotAllowedRow>();
        const QByteArray old = work().read(file);
        QFile::setPermissions(work().data(file), QFile::Permissions(permissions));
        show();
        if (file == "PicturesNames.txt") {
            workspace().programs.append("Editor", "/usr/bin/editor");
            workspace().pictures.append("new", "/new.jpg");
            click("closeLabel");
            QVERIFY(form().isVisible());
            QCOMPARE(work().read("ProgramsNames.txt"), "Editor\r\n");
            QCOMPARE(work().read("ProgramsPaths.txt"), "/usr/bin/editor\r\n");
            QCOMPARE(work().read("PicturesPaths.txt"), WorkDir::shipped("PicturesPaths.txt"));
        } else if (file == "DefaultSizes.ins") {
            click("coverKindLabel2");
            click("saveSizesLabel");
        } else {
            QCOMPARE(workspace().sizes.width(1), 270); // sizes were read before the names
            QCOMPARE(form().selectedCoverKind(), 0);
        }
        QCOMPARE(errors(), QStringList{message.arg(work().data(file))});
        QFile::setPermissions(work().data(file), QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(work().read(file), old);
    }

    // The files that exist are rewritten in place; one that went missing
    // cannot be made.
    void saveIntoReadOnlyFolder()
    {
        show();
        edit("widthEdit")->setText("200");
        click("coverKindLabel2");
        work().remove("ProgramsNames.txt");
        workspace().programs.append("Editor", "/usr/bin/editor");
        setDataWritable(false);
        click("saveSizesLabel");
        click("closeLabel");
        QCOMPARE(errors(), QStringList{QString("Cannot create file \"%1\". Permission denied.")
                                           .arg(work().data("ProgramsNames.txt"))});
        QVERIFY(work().read("DefaultSizes.ins").startsWith("200\r\n184\r\n265\r\n"));
        QVERIFY(form().isVisible());
    }

    void unchangedCloseWritesNothing_data()
    {
        jftest::eitherWay("withData", "no Data folder", "read-only Data folder");
    }
    void unchangedCloseWritesNothing()
    {
        QFETCH(bool, withData);
        renew(withData);
        const QString folder = withData ? work().path() + "/Data" : work().path();
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        show();
        errors().clear();
        click("closeMark");
        QVERIFY(!form().isVisible());
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(errors(), QStringList());
    }

    void secondCloseOffersToQuit_data()
    {
        const auto row = jftest::rows<SecondCloseRow>();
        row("quit without saving", false, true);
        row("stay", false, false);
        row("a change in between", true, true);
    }
    // A list cleared in a read-only Data folder: the first close reports the
    // failure; a second one right after asks once, and "Yes" ends the
    // program with the files as they were.
    void secondCloseOffersToQuit()
    {
        auto [changedBetween, answer] = jftest::fetch<SecondCloseRow>();
        const jftest::HangGuard hang(30);
        platform().messages.answers << answer;
        start({{"PicturesNames.txt", "Blue\r\n"}, {"PicturesPaths.txt", "/b.jpg\r\n"}});
        setDataWritable(false);
        QFile::setPermissions(work().data("PicturesNames.txt"), QFile::ReadOwner);
        QTimer::singleShot(0, [&] {
            form().show();
            workspace().pictures.clear();
            form().close();
            if (changedBetween)
                workspace().programs.append("Editor", "/usr/bin/editor");
            form().close();
            if (form().isVisible())
                QCoreApplication::exit(7); // still open: leave the loop ourselves
        });
        const int exitCode = QApplication::exec();
        QCOMPARE(errors().size(), changedBetween ? 2 : 1);
        QCOMPARE(platform().messages.questions.size(), changedBetween ? 0 : 1);
        QCOMPARE(exitCode, answer && !changedBetween ? 0 : 7);
        QCOMPARE(work().read("PicturesNames.txt"), "Blue\r\n");
    }
};

QTEST_MAIN(TestReadOnly)
#include "tst_readonly.moc"
