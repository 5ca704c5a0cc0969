// Printer corrections: Calibration.txt and the measurements the user types;
// DiscCalibration.txt and the options of a print on a disc tray.
#include "Calibration.h"
#include "DataFileFormats.h"
#include "DataRow.h"
#include "DiscTray.h"
#include "ExpectFailure.h"
#include "HangGuard.h"
#include "PageLayout.h"
#include "ScratchFolder.h"

#include <QTest>

using jftest::row;

namespace {

// A4 with 5 mm margins: the printable areas, millimetres from the corner.
const QRectF kA4Portrait(5, 5, 200, 287);
const QRectF kA4Landscape(5, 5, 287, 200);

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

class TestCalibration : public QObject, private jftest::ScratchFolder
{
    Q_OBJECT

private slots:
    void tableFiles_data()
    {
        // content: null: no file
        // damaged: the lines left out
        // printer: set, then reset
        // saved: null: the file is kept as it is
        // restored: "<missing>": the file goes
        jftest::columns<QString, QByteArray, QList<int>, QString, QByteArray, QByteArray>(
            "name", "content", "damaged", "printer", "saved", "restored");
        const QString calibration("Calibration.txt"), disc("DiscCalibration.txt");
        const QByteArray newLine("New\t150\t100\t0\t0\r\n");
        row("no calibration yet", calibration, QByteArray(), QList<int>(), "New", newLine,
            QByteArray("<missing>"));
        const QByteArray two = QString::fromUtf8("B\u00fcro Laser 2\t148.5\t101\t-1.25\t0.5\r\n"
                                                 "Photo\t150.2\t99.8\t0\t0\r\n")
                                   .toUtf8();
        row("a printer replaced in its place", calibration, two, QList<int>(),
            QString::fromUtf8("B\u00fcro Laser 2"),
            QString::fromUtf8("B\u00fcro Laser 2\t150\t100\t0\t0\r\nPhoto\t150.2\t99.8\t0\t0\r\n")
                .toUtf8(),
            QByteArray("Photo\t150.2\t99.8\t0\t0\r\n"));
        row("damaged lines left out, and kept", calibration,
            QByteArray("Good\t151\t100\t0\t0\r\nShort\t151\t100\r\nWord\t151\tabc\t0\t0\r\n\r\n"
                       "Far off\t200\t100\t0\t0\r\nAlso good\t149.5\t100.5\t1\t-1\r\n"),
            QList<int>{2, 3, 5}, "New",
            "Good\t151\t100\t0\t0\r\nAlso good\t149.5\t100.5\t1\t-1\r\n" + newLine +
                "Short\t151\t100\r\nWord\t151\tabc\t0\t0\r\nFar off\t200\t100\t0\t0\r\n",
            QByteArray("Good\t151\t100\t0\t0\r\nAlso good\t149.5\t100.5\t1\t-1\r\n"
                       "Short\t151\t100\r\nWord\t151\tabc\t0\t0\r\nFar off\t200\t100\t0\t0\r\n"));
        // A line after a Ctrl+Z is read like any other; the last printer reset
        // leaves the damaged ones.
        row("after Ctrl+Z", calibration,
            QByteArray("\x1a\r\nLate\t150\t100\t0\t0\r\n\x1aHidden\t150\t100\t0\t0\r\n"),
            QList<int>{1, 3}, "Late",
            QByteArray("Late\t150\t100\t0\t0\r\n\x1a\r\n\x1aHidden\t150\t100\t0\t0\r\n"),
            QByteArray("\x1a\r\n\x1aHidden\t150\t100\t0\t0\r\n"));
        // Not read whole: never rewritten.
        row("over the ceiling", calibration,
            QByteArray("Office printer\t150\t100\t0\t0\r\n").repeated(40001), QList<int>(), "New",
            QByteArray(), QByteArray());
        row("no disc calibration yet", disc, QByteArray(), QList<int>(), "New",
            QByteArray("New\t5\t-5\t1\r\n"), QByteArray("<missing>"));
        // Three fields are the tray off.
        row("three and four fields, damaged lines", disc,
            QByteArray("Photo\t-12\t30\r\nA\t1\t2\t2\r\nB\tx\t0\r\nC\t201\t0\nD\t1\r\n\t1\t1\r\n"
                       "Disc\t0\t0\t1\r\n"),
            QList<int>{2, 3, 4, 5, 6}, "New",
            QByteArray("Photo\t-12\t30\t0\r\nDisc\t0\t0\t1\r\nNew\t5\t-5\t1\r\nA\t1\t2\t2\r\n"
                       "B\tx\t0\r\nC\t201\t0\r\nD\t1\r\n\t1\t1\r\n"),
            QByteArray("Photo\t-12\t30\t0\r\nDisc\t0\t0\t1\r\nA\t1\t2\t2\r\nB\tx\t0\r\n"
                       "C\t201\t0\r\nD\t1\r\n\t1\t1\r\n"));
    }

    // Calibration.txt and DiscCalibration.txt: a line a printer, damaged lines
    // kept after them, the file gone with the last printer, and a file that
    // could not be read whole never rewritten.
    void tableFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QList<int>, damaged);
        QFETCH(QString, printer);
        QFETCH(QByteArray, saved);
        QFETCH(QByteArray, restored);
        const jftest::HangGuard hang(20);
        QFile::remove(path(name));
        if (!content.isNull())
            put(name, content);
        const auto roundTrip = [&](auto table, const auto& value) {
            const QString readFailure =
                jftest::failureOf([&] { QCOMPARE(table.read(path(name)), damaged); });
            QCOMPARE(readFailure == "<no failure>", !saved.isNull());
            table.set(printer, value);
            const QString saveFailure = jftest::failureOf([&] { table.write(path(name)); });
            QCOMPARE(get(name), saved.isNull() ? content : saved);
            if constexpr (requires { table.remove(printer); })
                table.remove(printer);
            else
                table.set(printer, {});
            const QString resetFailure = jftest::failureOf([&] { table.write(path(name)); });
            QCOMPARE(get(name), saved.isNull() ? content : restored);
            if (saved.isNull())
                QVERIFY(saveFailure.contains("kept as it is") &&
                        resetFailure.contains("kept as it is"));
        };
        if (name == "Calibration.txt")
            return roundTrip(jf::CalibrationTable(), jf::PrinterCorrection{150, 100, 0, 0});
        jf::DiscCalibrationTable table;
        table.read(path(name));
        if (content.startsWith("Photo"))
            QCOMPARE(table.find("Photo"), (jf::DiscPrinterSettings{-12, 30, false}));
        QCOMPARE(table.find("New"), jf::DiscPrinterSettings());
        QCOMPARE(jftest::failureOf([&] {
                     table.set("New", {201, 0, true});
                 }),
                 QStringLiteral("The disc's position correction must be from -20 to 20 mm"));
        roundTrip(table, jf::DiscPrinterSettings{5, -5, true});
    }

    void measurements_data()
    {
        // typed: width, height, left, top
        jftest::columns<QStringList, QString, double>("typed", "failure", "offsetX");
        row("sizes only", QStringList{"148.5", "101", "", ""}, "", 0.0);
        row("comma", QStringList{"148,5", "101,0", "", ""}, "", 0.0);
        // Expected left edge: margin 5 + 2.632 * 0.99 = 7.605 mm.
        row("offset", QStringList{"148.5", "101", "8.6", ""}, "", 0.9947);
        row("width 10% off", QStringList{"134.9", "100", "", ""},
            "Measured width: 134.9 mm is more than 10% off 150 mm; please measure again", 0.0);
        row("height not a number", QStringList{"150", "", "", ""},
            "Measured height: \"\" is not a number of millimetres", 0.0);
        row("left too far", QStringList{"150", "100", "40", ""},
            "Distance from the left edge: 40 mm puts the page more than 20 mm from where it should "
            "be; please measure again",
            0.0);
        row("top not a number", QStringList{"150", "100", "", "1.2.3"},
            "Distance from the top edge: \"1.2.3\" is not a number of millimetres", 0.0);
    }

    void measurements()
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

    void landscapeMeasurementsBelongToTheSheet()
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

    void discJobOptions_data()
    {
        // request: diameter, hole, X, Y (tenths)
        // options: or the failure
        // page: points, then the ring's offset in mm
        jftest::columns<QString, QList<double>, QString, QList<double>>("tray", "request",
                                                                        "options", "page");
        const QString gutenprint =
            "InputSlot=CD PageSize=CDCustom StpCDOuterDiameter=Custom.331.654 ";
        using L = QList<double>;
        row("Gutenprint", "Gutenprint", L{117, 41, -25, 31},
            gutenprint + "StpCDInnerRadius=None StpCDXAdjustment=Custom.-7.087 "
                         "StpCDYAdjustment=Custom.8.787 print-scaling=none",
            L{340, 0, 0});
        row("Gutenprint, small hole, a choice", "Gutenprint", L{117, 17, 0, -105},
            gutenprint + "StpCDInnerRadius=Small StpCDXAdjustment=0 "
                         "StpCDYAdjustment=Custom.-29.764 print-scaling=none",
            L{340, 0, 0});
        row("Gutenprint, disc too large", "Gutenprint", L{125, 41, 0, 0},
            "The disc's diameter, 125 mm, is outside what this printer's disc tray prints (65.0 to "
            "119.9 mm)",
            L());
        // 2.5 mm is 7.087 points: 7 goes, the page moves the rest.
        row("whole points only", "whole points", L{117, 41, 25, -25},
            "InputSlot=CD PageSize=CD5Inch StpCDXAdjustment=7 StpCDYAdjustment=-7 "
            "print-scaling=none",
            L{329, 2.5 - 7 * 25.4 / 72, -2.5 + 7 * 25.4 / 72});
        row("no adjustments", "CD5Inch only", L{117, 41, -25, 31},
            "InputSlot=CD PageSize=CD5Inch print-scaling=none", L{329, -2.5, 3.1});
        row("driverless", "driverless", L{117, 41, 10, 0},
            "media-source=disc media=disc_standard_40x118mm print-scaling=none",
            L{118 / 25.4 * 72, 1, 0});
        row("no tray", "none", L{117, 41, 0, 0}, "This printer's driver has no disc tray.", L());
        row("driverless, no disc page", "driverless, no disc page", L{117, 41, 0, 0},
            "This printer's driver has a disc tray but no disc page size.", L());
    }

    void discJobOptions()
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
};

QTEST_APPLESS_MAIN(TestCalibration)
#include "tst_calibration.moc"
