// Saving into a Data folder that may not be written. Run as an unprivileged
// user: root ignores permission bits.
#include "DataFileFormats.h"
#include "Errors.h"
#include "ExpectFailure.h"
#include "SafeFileIO.h"
#include "ScratchFolder.h"

#include <QDir>
#include <QTest>

#include <cerrno>
#include <unistd.h>

class TestReadOnlyFiles : public jftest::DataFolderTest
{
    Q_OBJECT

private slots:
    void init()
    {
        if (::geteuid() == 0)
            QSKIP("permission bits are not enforced for root");
        QDir(root() + "/Data").removeRecursively();
        QVERIFY(QDir(root()).mkpath("Data"));
        for (const QString name : {"ProgramsNames.txt", "DefaultSizes.ins", "Locked.txt"})
            put(name, "old\r\n");
        QFile::setPermissions(path("Locked.txt"), QFile::ReadOwner);
        QFile::setPermissions(root() + "/Data", QFile::ReadOwner | QFile::ExeOwner);
        jf::forgetNotedFilesForTesting(); // the files above come from elsewhere
    }

    void cleanup()
    {
        jf::setWriteFaultForTesting(0);
        QFile::setPermissions(root() + "/Data",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void writableFilesInReadOnlyFolder()
    {
        jf::writeListFile(path("ProgramsNames.txt"), {"Editor"});
        QCOMPARE(get("ProgramsNames.txt"), QByteArray("Editor\r\n"));
        jf::writeSettingsFile(path("DefaultSizes.ins"), {"270", "184"});
        QCOMPARE(get("DefaultSizes.ins"), QByteArray("270\r\n184\r\n"));

        // A read-only file and a missing one fail as they always did.
        QCOMPARE(jftest::failureOf<jf::FileStreamError>(
                     [&] { jf::writeListFile(path("Locked.txt"), {"new"}); }),
                 QString("Cannot create file \"%1\". Permission denied").arg(path("Locked.txt")));
        QCOMPARE(jftest::failureOf<jf::InOutError>(
                     [&] { jf::writeSettingsFile(path("Locked.txt"), {"new"}); }),
                 QString("File access denied"));
        QCOMPARE(jftest::failureOf<jf::FileStreamError>(
                     [&] { jf::writeListFile(path("New.txt"), {"new"}); }),
                 QString("Cannot create file \"%1\". Permission denied").arg(path("New.txt")));
        QCOMPARE(get("Locked.txt"), QByteArray("old\r\n"));
        QCOMPARE(QDir(root() + "/Data").entryList(QDir::Files).size(), 3);
    }

    void failedRewriteKeepsOldContent()
    {
        jf::setWriteFaultForTesting(ENOSPC, 4);
        QCOMPARE(jftest::failureOf<jf::FileStreamError>(
                     [&] { jf::writeListFile(path("ProgramsNames.txt"), {"a longer entry"}); }),
                 QString("Cannot create file \"%1\". No space left on device")
                     .arg(path("ProgramsNames.txt")));
        QCOMPARE(jftest::failureOf<jf::InOutError>([&] {
                     jf::writeSettingsFile(path("DefaultSizes.ins"), {"270", "184"});
                 }),
                 QString("Disk full"));
        QCOMPARE(get("ProgramsNames.txt"), QByteArray("old\r\n"));
        QCOMPARE(get("DefaultSizes.ins"), QByteArray("old\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestReadOnlyFiles)
#include "tst_readonly_files.moc"
