// The main window's print commands, end to end into a PDF file.
#include "../print/PrintTestSupport.h"
#include "AppController.h"
#include "TestPlatform.h"

#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using jf::CalibrationWindow;
using jf::ClickLabel;
using jf::MainWindow;
using jftest::TestPlatform;
using jftest::WorkDir;

namespace {

// The main window as the program makes it, printing
// into a PDF file through a scripted printer-setup dialog.
struct PrintRig
{
    TestPlatform platform;
    WorkDir work;
    jf::AppController app;
    printtest::ScriptedPrinterSetup setup;
    QString pdf;

    explicit PrintRig(const QString& pdfName) : pdf(work.path() + "/" + pdfName)
    {
        jf::platform().printerSetup = &setup;
        jf::currentPrinter().replace(printtest::pdfPrinter(pdf, QPageLayout::Portrait));
    }
    ~PrintRig()
    {
        jf::platform().printerSetup = nullptr;
        jf::currentPrinter().replace(nullptr);
    }
};

} // namespace

class TestMainPrint : public QObject
{
    Q_OBJECT

private slots:
    void printCoverFromTheMainWindow();
    void printerSetupAlone();
    void placeholderPrintsNothing();
    void calibrationWindowKeepsTheTable();
    void sheetFromTheMainWindow();
};

void TestMainPrint::printCoverFromTheMainWindow()
{
    if (!printtest::havePoppler())
        QSKIP("poppler-utils not installed");
    PrintRig rig("cover.pdf");
    auto& [platform, work, app, setup, pdf] = rig;
    MainWindow& form = app.mainWindow();

    // A red picture, CD Front size, black border of 2 pixels.
    platform.fileDialog.answers.enqueue(work.solidBitmap("red.bmp", QSize(64, 64), Qt::red));
    QTest::mouseClick(jftest::child<ClickLabel>(form, "importLabel"), Qt::LeftButton);
    QTest::mouseClick(jftest::child<ClickLabel>(form, "coverKindLabel5"), Qt::LeftButton);
    app.workspace().preferences.borderWidth = 2;
    app.workspace().preferences.borderColour = "Black";

    // Cancelled first: nothing is printed.
    setup.confirm = false;
    QTest::mouseClick(jftest::child<ClickLabel>(form, "printCoverLabel"), Qt::LeftButton);
    QVERIFY(!QFile::exists(pdf));
    QCOMPARE(setup.calls, 1);

    setup.confirm = true;
    QTest::mouseClick(jftest::child<ClickLabel>(form, "printCoverLabel"), Qt::LeftButton);
    QVERIFY2(platform.messages.errors.isEmpty(), qPrintable(platform.messages.errors.join('|')));
    // No window of its own shows while it prints.
    for (const QWidget* window : QApplication::topLevelWidgets())
        QVERIFY2(window == &form || !window->isVisible(), window->metaObject()->className());
    QVERIFY(QRegularExpression("Pages: +1\\n").match(printtest::pdfInfo(pdf)).hasMatch());

    // 121 mm is 460 window pixels: 460 / 96 inch on paper.
    const int dpi = 150;
    const QImage page = printtest::renderPdf(pdf, dpi);
    const QRect picture = printtest::boundsOf(page, Qt::red);
    QVERIFY(!picture.isNull());
    const double expected = 460.0 / 96.0 * 25.4;
    QVERIFY2(qAbs(printtest::mmAt(picture.width(), dpi) - expected) < 0.5,
             qPrintable(QString::number(printtest::mmAt(picture.width(), dpi))));
    QVERIFY(qAbs(printtest::mmAt(picture.height(), dpi) - expected) < 0.5);
    const QRect border = printtest::boundsOf(page, Qt::black, 60);
    QVERIFY(border.contains(picture));

    // The menu entry prints the same way.
    QFile::remove(pdf);
    jftest::child<QAction>(form, "printAction")->trigger();
    QVERIFY(QFile::exists(pdf));
    QCOMPARE(setup.calls, 3);
}

void TestMainPrint::printerSetupAlone()
{
    PrintRig rig("setup.pdf");
    auto& [platform, work, app, setup, pdf] = rig;
    MainWindow& form = app.mainWindow();
    setup.edit = [](QPrinter& printer) { printer.setPageOrientation(QPageLayout::Landscape); };
    QTest::mouseClick(jftest::child<ClickLabel>(form, "printerSetupLabel"), Qt::LeftButton);
    QCOMPARE(setup.calls, 1);
    QVERIFY(platform.messages.errors.isEmpty());
    QVERIFY(!QFile::exists(pdf));
    QCOMPARE(jf::currentPrinter().printer().pageLayout().orientation(), QPageLayout::Landscape);
    QCOMPARE(jftest::child<ClickLabel>(form, "printerSetupLabel")->toolTip(),
             QString("Click to set your settings for your printer. \nWhen you print DVD cases "
                     "you may have to print the page as ''landscape''"));
}

void TestMainPrint::placeholderPrintsNothing()
{
    PrintRig rig("placeholder.pdf");
    auto& [platform, work, app, setup, pdf] = rig;
    MainWindow& form = app.mainWindow();
    const auto printsNothing = [&] {
        QTest::mouseClick(jftest::child<ClickLabel>(form, "printCoverLabel"), Qt::LeftButton);
        jftest::child<QAction>(form, "printPreviewAction")->trigger();
        QCOMPARE(platform.messages.errors,
                 QStringList(2, "There is no picture to print. Import one first."));
        platform.messages.errors.clear();
        QCOMPARE(setup.calls, 0);
        QVERIFY(!QFile::exists(pdf));
    };
    printsNothing(); // nothing imported yet
    platform.fileDialog.answers.enqueue(work.solidBitmap("red.bmp", QSize(8, 8), Qt::red));
    QTest::mouseClick(jftest::child<ClickLabel>(form, "importLabel"), Qt::LeftButton);
    QTest::mouseClick(jftest::child<ClickLabel>(form, "disposeLabel"), Qt::LeftButton);
    printsNothing(); // disposed
}

void TestMainPrint::calibrationWindowKeepsTheTable()
{
    PrintRig rig("calibration.pdf");
    auto& [platform, work, app, setup, pdf] = rig;
    MainWindow& form = app.mainWindow();
    CalibrationWindow& window = app.calibrationWindow();
    const auto status = [&] { return jftest::child<QLabel>(window, "statusLabel")->text(); };

    // "Print to File (PDF)" has no queue: refused, nothing saved.
    jftest::child<QAction>(form, "calibrateAction")->trigger();
    QCOMPARE(platform.messages.errors,
             QStringList("\"Print to File (PDF)\" is not a printer and cannot be calibrated. "
                         "Choose a printer in Printer Setup first."));
    QVERIFY(window.isHidden());
    QVERIFY(!QFile::exists(work.data("Calibration.txt")));

    const QString queue = QPrinterInfo::defaultPrinter().printerName();
    if (QPrinterInfo::availablePrinters().isEmpty() || queue.isEmpty())
        QSKIP("no print queue here (scripts/cups-start adds one)");
    jf::currentPrinter().replace(nullptr);
    jf::CalibrationTable table;
    table.set(queue, {148.5, 101.0, 1.25, -0.5});
    table.write(work.data("Calibration.txt"));
    app.workspace().calibration = table;
    const QByteArray line = work.read("Calibration.txt");

    // Every saved value shows, the distances where the rectangle lands.
    jftest::child<QAction>(form, "calibrateAction")->trigger();
    QVERIFY(window.isVisible());
    const QPointF corner = jf::paperOf(jf::currentPrinter().printer())
                               .printable(jf::PaperOrientation::Portrait)
                               .topLeft();
    const jf::CalibrationMeasurements shown = window.measurements();
    QCOMPARE(shown.width, QString("148.5"));
    QCOMPARE(shown.height, QString("101.0"));
    QCOMPARE(shown.left, QString::number(corner.x() + 1.25 + 148.5 / 150 * 10 / 3.8, 'f', 1));
    QCOMPARE(shown.top, QString::number(corner.y() - 0.5 + 101.0 / 100 * 10 / 3.8, 'f', 1));

    // Save without edits writes the same line back, and says so.
    QTest::mouseClick(jftest::child<ClickLabel>(window, "saveLabel"), Qt::LeftButton);
    QVERIFY2(platform.messages.errors.size() == 1, qPrintable(platform.messages.errors.join('|')));
    QCOMPARE(work.read("Calibration.txt"), line);
    QVERIFY(status().startsWith("Saved"));

    // Reset removes the printer's line; it was the last, so the file goes.
    QTest::mouseClick(jftest::child<ClickLabel>(window, "resetLabel"), Qt::LeftButton);
    QVERIFY(!QFile::exists(work.data("Calibration.txt")));
    QVERIFY(!app.workspace().calibration.find(queue));
    QVERIFY(window.measurements().width.isEmpty());
    QVERIFY(status().startsWith("Reset"));
    window.close();
}

void TestMainPrint::sheetFromTheMainWindow()
{
    if (!printtest::havePoppler())
        QSKIP("poppler-utils not installed");
    PrintRig rig("sheet.pdf");
    auto& [platform, work, app, setup, pdf] = rig;
    MainWindow& form = app.mainWindow();
    QStringList& errors = platform.messages.errors;
    QAction* add = jftest::child<QAction>(form, "addToSheetAction");
    add->trigger();
    QCOMPARE(errors, QStringList("There is no picture to add. Import one first."));
    errors.clear();

    // "CD Front" from a sharp picture, "CD Back" from a tiny one.
    const auto addCover = [&](const QString& file, const char* kind) {
        platform.fileDialog.answers.enqueue(file);
        QTest::mouseClick(jftest::child<ClickLabel>(form, "importLabel"), Qt::LeftButton);
        QTest::mouseClick(jftest::child<ClickLabel>(form, kind), Qt::LeftButton);
        add->trigger();
    };
    const QString red = work.solidBitmap("red.bmp", QSize(1200, 1200), Qt::red);
    const QString blue = work.solidBitmap("blue.bmp", QSize(40, 40), Qt::blue);
    addCover(red, "coverKindLabel5");
    addCover(blue, "coverKindLabel7");
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join('|')));
    const QByteArray twoCovers =
        "5\t121\t121\t" + red.toUtf8() + "\r\n7\t151\t118\t" + blue.toUtf8() + "\r\n";
    QCOMPARE(work.read("Sheet.txt"), twoCovers);
    // Too large for any sheet of the paper: refused as "Print Cover" refuses it.
    jftest::child<QLineEdit>(form, "widthEdit")->setText("999");
    add->trigger();
    QVERIFY2(errors.size() == 1 && errors[0].startsWith("The cover needs 1009.6 \u00d7 "),
             qPrintable(errors.join('|')));
    errors.clear();
    // Sizes no cover on the sheet has: refused, nothing written.
    for (const char* width : {"0", "-5", "1e-300"}) {
        jftest::child<QLineEdit>(form, "widthEdit")->setText(width);
        add->trigger();
        QVERIFY2(!errors.isEmpty() && errors.last().contains(width), qPrintable(errors.join('|')));
        errors.clear();
    }
    QCOMPARE(work.read("Sheet.txt"), twoCovers);

    jftest::child<QAction>(form, "sheetAction")->trigger();
    jf::SheetWindow& window = app.sheetWindow();
    QVERIFY(window.isVisible() && !window.isModal());
    QCOMPARE(window.windowTitle(), QString("Sheet \u2014 Vastel - Jacketforge v1.20"));
    const auto* list = jftest::child<QTreeWidget>(window, "coverList");
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(list->topLevelItem(0)->text(0), QString("CD Front"));
    QCOMPARE(list->topLevelItem(0)->text(1), QString("121 \u00d7 121 mm"));
    QCOMPARE(list->topLevelItem(0)->text(2), QString("red.bmp"));
    QTRY_COMPARE(list->topLevelItem(0)->text(3), QString("250 pixels per inch"));
    const auto* note = jftest::child<QLabel>(window, "noteLabel");
    QTRY_COMPARE(note->text(),
                 QString("The picture of \"CD Back\" has 7 pixels per inch at this size "
                         "and may print blurred."));
    QCOMPARE(window.pageCount(), 1);
    auto* marks = jftest::child<QCheckBox>(window, "cutMarksBox");
    QVERIFY(marks->isChecked());
    marks->click();
    QCOMPARE(work.read("SheetSettings.ins"), QByteArray("0\r\n"));
    marks->click();
    QCOMPARE(work.read("SheetSettings.ins"), QByteArray("1\r\n"));

    // Return presses "Print Sheet": one job, both covers on one page.
    QVERIFY(jftest::child<QPushButton>(window, "printSheetButton")->isDefault());
    QTest::keyClick(&window, Qt::Key_Return);
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join('|')));
    QCOMPARE(setup.calls, 1);
    QVERIFY(printtest::pdfInfo(pdf).contains(QRegularExpression("Pages: +1\\n")));
    const QImage page = printtest::renderPdf(pdf, 50);
    QVERIFY(!printtest::boundsOf(page, Qt::red).isNull());
    QVERIFY(!printtest::boundsOf(page, Qt::blue).isNull());

    // Kept for the next start.
    {
        jf::AppController next;
        QCOMPARE(next.workspace().sheet.entries().size(), 2);
        QVERIFY(next.workspace().sheetCutMarks);
    }
    // A picture changed in its file prints as it is now.
    work.solidBitmap("red.bmp", QSize(1200, 1200), Qt::green);
    QTest::keyClick(&window, Qt::Key_Return);
    QVERIFY(!printtest::boundsOf(printtest::renderPdf(pdf, 50), Qt::green).isNull());

    // A picture gone: listed as missing, and "Print Sheet" names it.
    QFile::remove(blue);
    jftest::child<QPushButton>(window, "printSheetButton")->click();
    QVERIFY2(errors.size() == 1 && errors[0].startsWith("The picture of \"CD Back\" (" + blue),
             qPrintable(errors.join('|')));
    QCOMPARE(setup.calls, 2);
    QVERIFY(list->topLevelItem(1)->text(2).endsWith("(missing)"));

    // "Remove" takes the selected cover, "Clear" the rest.
    const_cast<QTreeWidget*>(list)->setCurrentItem(list->topLevelItem(1));
    jftest::child<QPushButton>(window, "removeButton")->click();
    QCOMPARE(work.read("Sheet.txt"), "5\t121\t121\t" + red.toUtf8() + "\r\n");
    jftest::child<QPushButton>(window, "clearButton")->click();
    QCOMPARE(work.read("Sheet.txt"), QByteArray());
    QCOMPARE(list->topLevelItemCount(), 0);

    // A full sheet, half its pictures missing: the window fits the screen
    // with its buttons, draws only the pages in sight, and takes no more.
    for (int i = 0; i < jf::kMostSheetCovers; ++i)
        app.workspace().sheet.append({5, 121, 121, i % 2 ? red : blue});
    jftest::child<QAction>(form, "sheetAction")->trigger();
    QVERIFY(window.screen()->availableGeometry().contains(window.frameGeometry()));
    const auto* close = jftest::child<QPushButton>(window, "closeButton");
    QVERIFY(window.rect().contains(QRect(close->mapTo(&window, QPoint()), close->size())));
    const auto drawn = [&](qsizetype sheet) {
        return !jftest::child<QLabel>(window, qPrintable(QString("page%1").arg(sheet)))
                    ->pixmap()
                    .isNull();
    };
    QTRY_VERIFY(drawn(1));
    QVERIFY(!drawn(window.pageCount()));
    add->trigger();
    QCOMPARE(errors.last(), QString("The sheet holds 500 covers, as many as it takes. Print it, or "
                                    "remove covers first."));
    window.close();
}

QTEST_MAIN(TestMainPrint)
#include "tst_mainprint.moc"
