// The main window's print commands, end to end into a PDF file.
#include "../print/PrintTestSupport.h"
#include "AppController.h"
#include "PrintWindow.h"
#include "TestPlatform.h"

#include <QTest>

using jftest::TestPlatform;
using jftest::WorkDir;

namespace {

// The main window and the print window as the program makes them, printing
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
        jf::currentPrinter().setSetupService(&setup);
        jf::currentPrinter().replace(printtest::pdfPrinter(pdf, QPageLayout::Portrait));
    }
    ~PrintRig()
    {
        jf::currentPrinter().setSetupService(nullptr);
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
};

void TestMainPrint::printCoverFromTheMainWindow()
{
    if (!printtest::havePoppler())
        QSKIP("poppler-utils not installed");
    PrintRig rig("cover.pdf");
    auto& [platform, work, app, setup, pdf] = rig;
    MainWindow& form = app.mainWindow();
    PrintWindow& printWindow = app.printWindow();

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
    QVERIFY(!printWindow.isVisible());
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

QTEST_MAIN(TestMainPrint)
#include "tst_mainprint.moc"
