// Saving a settings file the settings window did not show whole: the lines
// the user changed come from the window, the others from the file.
#include "DataRow.h"
#include "Errors.h"
#include "ScratchFolder.h"
#include "SettingsMerge.h"

#include <QDir>
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
    // file: "<missing>", "<folder>" or the content
    // keptFor: the error code of the refusal, 0 for none
    jftest::columns<QByteArray, bool, QStringList, int>("file", "onePiece", "merged", "keptFor");
    const QStringList edited{"1", "B", "3"};
    using jftest::row;
    row("missing file: the window's lines", QByteArray("<missing>"), false, edited, 0);
    row("lines left as shown come from the file", QByteArray("x\r\ny\r\nz\r\n"), false,
        QStringList{"x", "B", "z"}, 0);
    row("a short file reads empty lines", QByteArray("x\r\n"), false, QStringList{"x", "B", ""}, 0);
    row("a folder in its place is kept", QByteArray("<folder>"), false, QStringList(), EISDIR);
    row("one piece: kept", QByteArray("x\r\n"), true, QStringList(), EIO);
    row("one piece, missing: the window's lines", QByteArray("<missing>"), true, edited, 0);
}

void TestSettingsMerge::merge()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, onePiece);
    QFETCH(QStringList, merged);
    QFETCH(int, keptFor);
    const jftest::ScratchFolder dir;
    const QString path = dir.path("DefaultSettings.ins");
    if (file == "<folder>")
        QVERIFY(QDir().mkdir(path));
    else if (file != "<missing>")
        dir.put("DefaultSettings.ins", file);
    const QStringList shown{"1", "2", "3"}, edited{"1", "B", "3"};
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
