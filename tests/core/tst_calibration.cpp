// Printer corrections: Calibration.txt and the measurements the user types.
#include "Calibration.h"
#include "ExpectFailure.h"
#include "HangGuard.h"
#include "PageLayout.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A4 with 5 mm margins: the printable areas, millimetres from the corner.
const QRectF kA4Portrait(5, 5, 200, 287);
const QRectF kA4Landscape(5, 5, 287, 200);

} // namespace

class TestCalibration : public QObject
{
    Q_OBJECT

private slots:
    void fileRoundTrip();
    void damagedLinesAreLeftOut();
    void measurements_data();
    void measurements();
    void nothingLostOnSave_data();
    void nothingLostOnSave();
    void landscapeMeasurementsBelongToTheSheet();

private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("Calibration.txt")); }
};

void TestCalibration::fileRoundTrip()
{
    jf::CalibrationTable table;
    QVERIFY(table.read(path()).isEmpty()); // no file yet: nothing calibrated
    QVERIFY(table.isEmpty());
    const QString office = QString::fromUtf8("B\u00fcro Laser 2");
    table.set(office, {148.5, 101.0, -1.25, 0.5});
    table.set(QStringLiteral("Photo"), {150.2, 99.8, 0, 0});
    table.set(office, {148.5, 101.0, -1.25, 0.75}); // replaces, keeps its place
    table.write(path());
    QFile file(path());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QString::fromUtf8("B\u00fcro Laser 2\t148.5\t101\t-1.25\t0.75\r\n"
                                               "Photo\t150.2\t99.8\t0\t0\r\n")
                                 .toUtf8());

    jf::CalibrationTable back;
    QVERIFY(back.read(path()).isEmpty());
    QCOMPARE(back.find(office), (jf::PrinterCorrection{148.5, 101.0, -1.25, 0.75}));
    QCOMPARE(back.find(QStringLiteral("Photo"))->measuredWidth, 150.2);
    QVERIFY(!back.find(QStringLiteral("photo"))); // unknown printer
    back.remove(office);
    QVERIFY(!back.find(office));
}

void TestCalibration::damagedLinesAreLeftOut()
{
    QFile file(path());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("Good\t151\t100\t0\t0\r\n"
               "Short\t151\t100\r\n"
               "Word\t151\tabc\t0\t0\r\n"
               "\r\n"
               "Far off\t200\t100\t0\t0\r\n"
               "Also good\t149.5\t100.5\t1\t-1\r\n");
    file.close();
    jf::CalibrationTable table;
    QCOMPARE(table.read(path()), (QList<int>{2, 3, 5}));
    QVERIFY(table.find(QStringLiteral("Good")));
    QVERIFY(table.find(QStringLiteral("Also good")));
    QVERIFY(!table.find(QStringLiteral("Word")));
}

void TestCalibration::measurements_data()
{
    QTest::addColumn<QStringList>("typed"); // width, height, left, top
    QTest::addColumn<QString>("failure");
    QTest::addColumn<double>("offsetX");
    QTest::newRow("sizes only") << QStringList{"148.5", "101", "", ""} << "" << 0.0;
    QTest::newRow("comma") << QStringList{"148,5", "101,0", "", ""} << "" << 0.0;
    // Expected left edge: margin 5 + 2.632 * 0.99 = 7.605 mm.
    QTest::newRow("offset") << QStringList{"148.5", "101", "8.6", ""} << "" << 0.9947;
    QTest::newRow("width 10% off") << QStringList{"134.9", "100", "", ""}
                                   << "Measured width: 134.9 mm is more than 10% off 150 mm; "
                                      "please measure again"
                                   << 0.0;
    QTest::newRow("height not a number")
        << QStringList{"150", "", "", ""} << "Measured height: \"\" is not a number of millimetres"
        << 0.0;
    QTest::newRow("left too far") << QStringList{"150", "100", "40", ""}
                                  << "Distance from the left edge: 40 mm puts the page more "
                                     "than 20 mm from where it should be; please measure again"
                                  << 0.0;
    QTest::newRow("top not a number")
        << QStringList{"150", "100", "", "1.2.3"}
        << "Distance from the top edge: \"1.2.3\" is not a number of millimetres" << 0.0;
}

void TestCalibration::measurements()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, failure);
    QFETCH(double, offsetX);
    const jf::CalibrationMeasurements m{typed[0], typed[1], typed[2], typed[3]};
    if (!failure.isEmpty()) {
        QCOMPARE(jftest::failureOf([&] { jf::correctionFromMeasurements(m, kA4Portrait); }),
                 failure);
        return;
    }
    const jf::PrinterCorrection c = jf::correctionFromMeasurements(m, kA4Portrait);
    QCOMPARE(c.measuredWidth, 148.5);
    QCOMPARE(c.measuredHeight, 101.0);
    QVERIFY2(qAbs(c.offsetX - offsetX) < 0.001, qPrintable(QString::number(c.offsetX)));
    QCOMPARE(c.offsetY, 0.0);
}

void TestCalibration::nothingLostOnSave_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<int>>("damaged");
    QTest::addColumn<bool>("saves");
    QByteArray big;
    for (int line = 0; line < 40001; ++line)
        big += "Office printer\t150\t100\t0\t0\r\n"; // 28 bytes
    QTest::newRow("over the ceiling") << big << QList<int>() << false;
    // A line after a Ctrl+Z is read like any other; damaged ones are kept.
    QTest::newRow("after Ctrl+Z") << QByteArray("\x1a\r\nLate\t150\t100\t0\t0\r\n"
                                                "\x1aHidden\t150\t100\t0\t0\r\n")
                                  << QList<int>{1, 3} << true;
}

// A file that could not be read whole is never rewritten; damaged lines
// survive a save.
void TestCalibration::nothingLostOnSave()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<int>, damaged);
    QFETCH(bool, saves);
    const jftest::HangGuard hang(20);
    QFile out(path());
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(file);
    out.close();
    jf::CalibrationTable table;
    const QString readFailure = jftest::failureOf([&] { QCOMPARE(table.read(path()), damaged); });
    QCOMPARE(readFailure == "<no failure>", saves);
    // Neither file may be deleted as empty when its last printer is reset.
    jf::CalibrationTable reset = table;
    reset.remove(QStringLiteral("Late"));
    QVERIFY(!reset.isEmpty());
    table.set(QStringLiteral("New"), {150, 100, 0, 0});
    const QString saveFailure = jftest::failureOf([&] { table.write(path()); });
    QFile in(path());
    QVERIFY(in.open(QIODevice::ReadOnly));
    const QByteArray after = in.readAll();
    if (!saves) {
        QVERIFY2(saveFailure.contains("kept as it is"), qPrintable(saveFailure));
        QCOMPARE(after, file);
        return;
    }
    QCOMPARE(saveFailure, QString("<no failure>"));
    QVERIFY(table.find(QStringLiteral("Late")));
    QCOMPARE(after, QByteArray("Late\t150\t100\t0\t0\r\nNew\t150\t100\t0\t0\r\n\x1a\r\n"
                               "\x1aHidden\t150\t100\t0\t0\r\n"));
}

void TestCalibration::landscapeMeasurementsBelongToTheSheet()
{
    // Measured on a landscape page: stored in the sheet's portrait axes, so
    // a landscape job gets back exactly what was measured on its page, and
    // a portrait job the same factors turned.
    const jf::CalibrationMeasurements m{"148.5", "101", "8.6", "7.0"};
    const jf::PrinterCorrection stored = jf::correctionFromMeasurements(m, kA4Landscape, true);
    const jf::PageCorrection landscape =
        jf::correctionOnPage(stored, jf::PaperOrientation::Landscape, kA4Landscape.width());
    const jf::PageCorrection portrait =
        jf::correctionOnPage(stored, jf::PaperOrientation::Portrait, kA4Portrait.height());
    const double inset = 10 / 3.8;
    // The stored correction as a portrait printer: a point p from the
    // printable corner lands at 5 + offset + measured / nominal * p from the
    // sheet's corner. The landscape rectangle's left edge (page x = inset)
    // lies inset above the printable area's bottom, 292 mm down the sheet,
    // and was measured 8.6 mm above the sheet's bottom; its right edge
    // 148.5 mm higher; its top edge 7.0 mm from the sheet's left.
    const auto down = [&](double p) {
        return 5 + stored.offsetY + stored.measuredHeight / 100 * p;
    };
    const QList<std::pair<double, double>> pairs{
        {landscape.factorX, 150 / 148.5},
        {landscape.factorY, 100 / 101.0},
        {landscape.offsetX, 8.6 - 5 - 148.5 / 150 * inset},
        {landscape.offsetY, 7.0 - 5 - 101 / 100.0 * inset},
        {portrait.factorX, 100 / 101.0},
        {portrait.factorY, 150 / 148.5},
        {down(287 - inset), 297 - 8.6},
        {down(287 - inset - 150), 297 - 8.6 - 148.5},
        {5 + stored.offsetX + stored.measuredWidth / 150 * inset, 7.0}};
    for (const auto& [seen, expected] : pairs)
        QVERIFY2(qAbs(seen - expected) < 1e-9,
                 qPrintable(QStringLiteral("%1, expected %2").arg(seen).arg(expected)));
}

QTEST_APPLESS_MAIN(TestCalibration)
#include "tst_calibration.moc"
