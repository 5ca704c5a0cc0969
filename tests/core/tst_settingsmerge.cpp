// Saving a settings file the settings window did not show whole: the lines
// the user changed come from the window, the others from the file.
#include "Errors.h"
#include "SettingsMerge.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

class TestSettingsMerge : public QObject
{
    Q_OBJECT

private slots:
    void merge_data();
    void merge();
};

void TestSettingsMerge::merge_data()
{
    QTest::addColumn<QByteArray>("file"); // "<missing>", "<folder>" or the content
    QTest::addColumn<bool>("onePiece");
    QTest::addColumn<QStringList>("merged");
    QTest::addColumn<int>("keptFor"); // the error code of the refusal, 0 for none
    const QStringList edited{"1", "B", "3"};
    QTest::newRow("missing file: the window's lines")
        << QByteArray("<missing>") << false << edited << 0;
    QTest::newRow("lines left as shown come from the file")
        << QByteArray("x\r\ny\r\nz\r\n") << false << QStringList{"x", "B", "z"} << 0;
    QTest::newRow("a short file reads empty lines")
        << QByteArray("x\r\n") << false << QStringList{"x", "B", ""} << 0;
    QTest::newRow("a folder in its place is kept") << QByteArray("<folder>") << false
                                                   << QStringList() << EISDIR;
    QTest::newRow("one piece: kept") << QByteArray("x\r\n") << true << QStringList() << EIO;
    QTest::newRow("one piece, missing: the window's lines")
        << QByteArray("<missing>") << true << edited << 0;
}

void TestSettingsMerge::merge()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, onePiece);
    QFETCH(QStringList, merged);
    QFETCH(int, keptFor);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("DefaultSettings.ins"));
    if (file == "<folder>") {
        QVERIFY(QDir().mkdir(path));
    } else if (file != "<missing>") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(file) == file.size());
    }
    const QStringList shown{"1", "2", "3"};
    const QStringList edited{"1", "B", "3"};
    try {
        QCOMPARE(jf::mergeWithFile(path, edited, shown, onePiece), merged);
        QCOMPARE(keptFor, 0);
    } catch (const jf::InOutError& e) {
        QCOMPARE(e.osError(), keptFor);
        QCOMPARE(e.message(), QStringLiteral("Cannot create file \"%1\". It could not be read "
                                             "when this window opened, so it is kept as it is")
                                  .arg(path));
    }
}

QTEST_MAIN(TestSettingsMerge)
#include "tst_settingsmerge.moc"
