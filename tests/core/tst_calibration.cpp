// Printer corrections: Calibration.txt and the measurements the user types;
// the disc label's files and the options of a print on a disc tray.
#include "Calibration.h"
#include "DataFileFormats.h"
#include "DiscTray.h"
#include "ExpectFailure.h"
#include "HangGuard.h"
#include "PageLayout.h"
#include "SafeFileIO.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
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
    void discHoleFile_data();
    void discHoleFile();
    void discCalibrationFile_data();
    void discCalibrationFile();
    void discJobOptions_data();
    void discJobOptions();

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

void TestCalibration::discHoleFile_data()
{
    QTest::addColumn<QByteArray>("file"); // "<none>": no file
    QTest::addColumn<int>("hole");        // -1: cannot be read
    QTest::newRow("missing") << QByteArray("<none>") << 41;
    QTest::newRow("17") << QByteArray("17\r\n") << 17;
    QTest::newRow("blanks, no line end") << QByteArray(" 22 ") << 22;
    QTest::newRow("no hole") << QByteArray("0\r\n") << 0;
    QTest::newRow("largest") << QByteArray("60\n") << 60;
    QTest::newRow("too large") << QByteArray("61\r\n") << 41;
    QTest::newRow("negative") << QByteArray("-1\r\n") << 41;
    QTest::newRow("not whole") << QByteArray("17.5\r\n") << 41;
    QTest::newRow("a folder in the way") << QByteArray("<folder>") << -1;
}

// Disc.ins: a bad value is the default, a file that cannot be read is told,
// and one another program changed since it was read is not written over.
void TestCalibration::discHoleFile()
{
    QFETCH(QByteArray, file);
    QFETCH(int, hole);
    jf::forgetNotedFilesForTesting();
    const QString disc = m_dir.filePath(QStringLiteral("Disc.ins"));
    QFile::remove(disc);
    if (file == "<folder>")
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("Disc.ins")));
    else if (file != "<none>")
        jf::writeWholeFile(disc, file);
    const auto removeFolder =
        qScopeGuard([&] { QDir(m_dir.path()).rmdir(QStringLiteral("Disc.ins")); });
    if (hole < 0) {
        QVERIFY(jftest::failureOf<jf::InOutError>([&] {
                    jf::readDiscHole(disc);
                }).startsWith(QStringLiteral("Cannot open file \"%1\"").arg(disc)));
        return;
    }
    QCOMPARE(jf::readDiscHole(disc), hole);
    QFile other(disc); // another program, meanwhile
    QVERIFY(other.open(QIODevice::WriteOnly | QIODevice::Truncate) && other.write("30\r\n") == 4);
    other.close();
    QVERIFY(jftest::failureOf([&] { jf::writeDiscHole(disc, 17); }).contains("Another program"));
    QCOMPARE(jf::readDiscHole(disc), 30);
    jf::writeDiscHole(disc, 17);
    QCOMPARE(jf::readDiscHole(disc), 17);
    QCOMPARE(jftest::failureOf([&] { jf::writeDiscHole(disc, 61); }),
             QStringLiteral("The hole's diameter must be from 0 to 60 mm"));
}

void TestCalibration::discCalibrationFile_data()
{
    QTest::addColumn<QByteArray>("file"); // "<none>": no file
    QTest::addColumn<QList<int>>("damaged");
    QTest::addColumn<QByteArray>("saved");    // after "New" is set
    QTest::addColumn<QByteArray>("restored"); // after "New" is reset
    QTest::newRow("missing") << QByteArray("<none>") << QList<int>()
                             << QByteArray("New\t5\t-5\t1\r\n") << QByteArray("<none>");
    // Three fields are the tray off; a damaged line is kept after the table.
    QTest::newRow("three and four fields, damaged lines")
        << QByteArray("Photo\t-12\t30\r\nA\t1\t2\t2\r\nB\tx\t0\r\nC\t201\t0\nD\t1\r\n\t1\t1\r\n"
                      "Disc\t0\t0\t1\r\n")
        << QList<int>{2, 3, 4, 5, 6}
        << QByteArray("Photo\t-12\t30\t0\r\nDisc\t0\t0\t1\r\nNew\t5\t-5\t1\r\nA\t1\t2\t2\r\n"
                      "B\tx\t0\r\nC\t201\t0\r\nD\t1\r\n\t1\t1\r\n")
        << QByteArray("Photo\t-12\t30\t0\r\nDisc\t0\t0\t1\r\nA\t1\t2\t2\r\nB\tx\t0\r\n"
                      "C\t201\t0\r\nD\t1\r\n\t1\t1\r\n");
}

// DiscCalibration.txt: lines of three fields (tray off) and four, damaged
// lines kept, and the file gone with the last printer.
void TestCalibration::discCalibrationFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<int>, damaged);
    QFETCH(QByteArray, saved);
    QFETCH(QByteArray, restored);
    const QString path = m_dir.filePath(QStringLiteral("DiscCalibration.txt"));
    QFile::remove(path);
    if (file != "<none>")
        jf::writeWholeFile(path, file);
    const auto bytes = [&] {
        QFile in(path);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<none>");
    };
    jf::DiscCalibrationTable table;
    QCOMPARE(table.read(path), damaged);
    if (file.startsWith("Photo"))
        QCOMPARE(table.find(QStringLiteral("Photo")), (jf::DiscPrinterSettings{-12, 30, false}));
    QCOMPARE(table.find(QStringLiteral("New")), jf::DiscPrinterSettings());
    QCOMPARE(jftest::failureOf([&] {
                 table.set(QStringLiteral("New"), {201, 0, true});
             }),
             QStringLiteral("The disc's position correction must be from -20 to 20 mm"));
    table.set(QStringLiteral("New"), {5, -5, true});
    table.write(path);
    QCOMPARE(bytes(), saved);
    table.set(QStringLiteral("New"), {});
    table.write(path);
    QCOMPARE(bytes(), restored);
}

namespace {

// Disc trays as their printers describe them.
jf::DiscTray trayNamed(const QString& name)
{
    if (name == QLatin1String("driverless"))
        return jf::discTrayFromMediaSources({"main", "disc"},
                                            {"iso_a4_210x297mm", "disc_standard_40x118mm"});
    if (name == QLatin1String("driverless, no disc page"))
        return jf::discTrayFromMediaSources({"disc"}, {"iso_a4_210x297mm"});
    if (name == QLatin1String("none"))
        return jf::discTrayFromMediaSources({"main"}, {});
    jf::DiscTray tray;
    tray.sourceOption = "InputSlot";
    tray.source = "CD";
    tray.sizeOption = "PageSize";
    tray.discPage = "CD5Inch";
    tray.discPagePoints = QSizeF(329, 329);
    if (name == QLatin1String("Gutenprint")) {
        tray.customPage = "CDCustom";
        tray.customPagePoints = QSizeF(340, 340);
        tray.outerDiameter = {true, 184, 340, 1, true, {184, 329, 340}};
        tray.hubChoice = true;
        tray.xAdjustment = tray.yAdjustment = {true, -30, 30, 1, true, {-1, 0, 1}};
    } else if (name == QLatin1String("whole points")) {
        tray.xAdjustment = tray.yAdjustment = {true, -30, 30, 1, false, {-30, -7, 0, 7, 30}};
    }
    return tray;
}

} // namespace

void TestCalibration::discJobOptions_data()
{
    QTest::addColumn<QString>("tray");
    QTest::addColumn<QList<double>>("request"); // diameter, hole, X, Y (tenths)
    QTest::addColumn<QString>("options");       // or the failure
    QTest::addColumn<QList<double>>("page");    // points, then the ring's offset in mm
    const QString gutenprint = "InputSlot=CD PageSize=CDCustom StpCDOuterDiameter=Custom.331.654 ";
    QTest::newRow("Gutenprint") << "Gutenprint" << QList<double>{117, 41, -25, 31}
                                << gutenprint +
                                       "StpCDInnerRadius=None StpCDXAdjustment=Custom.-7.087 "
                                       "StpCDYAdjustment=Custom.8.787 print-scaling=none"
                                << QList<double>{340, 0, 0};
    QTest::newRow("Gutenprint, small hole, a choice")
        << "Gutenprint" << QList<double>{117, 17, 0, -105}
        << gutenprint + "StpCDInnerRadius=Small StpCDXAdjustment=0 "
                        "StpCDYAdjustment=Custom.-29.764 print-scaling=none"
        << QList<double>{340, 0, 0};
    QTest::newRow("Gutenprint, disc too large")
        << "Gutenprint" << QList<double>{125, 41, 0, 0}
        << "The disc's diameter, 125 mm, is outside what this printer's disc tray prints (65.0 "
           "to 119.9 mm)"
        << QList<double>();
    // 2.5 mm is 7.087 points: 7 goes, the page moves the rest.
    QTest::newRow("whole points only")
        << "whole points" << QList<double>{117, 41, 25, -25}
        << "InputSlot=CD PageSize=CD5Inch StpCDXAdjustment=7 StpCDYAdjustment=-7 "
           "print-scaling=none"
        << QList<double>{329, 2.5 - 7 * 25.4 / 72, -2.5 + 7 * 25.4 / 72};
    QTest::newRow("no adjustments")
        << "CD5Inch only" << QList<double>{117, 41, -25, 31}
        << "InputSlot=CD PageSize=CD5Inch print-scaling=none" << QList<double>{329, -2.5, 3.1};
    QTest::newRow("driverless") << "driverless" << QList<double>{117, 41, 10, 0}
                                << "media-source=disc media=disc_standard_40x118mm "
                                   "print-scaling=none"
                                << QList<double>{118 / 25.4 * 72, 1, 0};
    QTest::newRow("no tray") << "none" << QList<double>{117, 41, 0, 0}
                             << "This printer's driver has no disc tray." << QList<double>();
    QTest::newRow("driverless, no disc page")
        << "driverless, no disc page" << QList<double>{117, 41, 0, 0}
        << "This printer's driver has a disc tray but no disc page size." << QList<double>();
}

void TestCalibration::discJobOptions()
{
    QFETCH(QString, tray);
    QFETCH(QList<double>, request);
    QFETCH(QString, options);
    QFETCH(QList<double>, page);
    const jf::DiscRequest disc{
        request[0], int(request[1]), {int(request[2]), int(request[3]), true}};
    if (page.isEmpty()) {
        QCOMPARE(jftest::failureOf([&] { jf::discJob(trayNamed(tray), disc); }), options);
        return;
    }
    const jf::DiscJob job = jf::discJob(trayNamed(tray), disc);
    QStringList sent;
    for (const auto& [name, value] : job.options)
        sent << name + "=" + value;
    QCOMPARE(sent.join(' '), options);
    QCOMPARE(job.pagePoints, QSizeF(page[0], page[0]));
    QVERIFY(qAbs(job.ringOffsetMm.x() - page[1]) < 1e-9 &&
            qAbs(job.ringOffsetMm.y() - page[2]) < 1e-9);
}

QTEST_APPLESS_MAIN(TestCalibration)
#include "tst_calibration.moc"
