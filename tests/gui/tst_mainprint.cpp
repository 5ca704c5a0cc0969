// The main window's print commands, end to end into a PDF file.
#include "../print/PrintTestSupport.h"
#include "ProgramFixture.h"

#include <QCheckBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTreeWidget>

using jftest::child;

class TestMainPrint : public QObject, public jftest::ProgramFixture
{
    Q_OBJECT

    // The queue (none: "Print to File (PDF)"), what is typed or the button clicked, the
    // hole then kept (-1: refused), the reason the tray is disabled.
    using DiscRow = std::tuple<QString, QString, int, QString>;

    printtest::ScriptedPrinterSetup m_setup;
    QString m_pdf;

    void addCover(const QString& picture, int kind)
    {
        platform().fileDialog.answers.enqueue(picture);
        click("importLabel");
        pick(kind);
        trigger("addToSheetAction");
    }

private slots:
    // The main window as the program makes it, printing into a PDF file
    // through a scripted printer-setup dialog.
    void init()
    {
        renew();
        m_setup = {};
        m_pdf = work().path() + "/printed.pdf";
        jf::platform().printerSetup = &m_setup;
        jf::currentPrinter().replace(printtest::pdfPrinter(m_pdf, QPageLayout::Portrait));
    }
    void cleanup()
    {
        jf::platform().printerSetup = nullptr;
        jf::currentPrinter().replace(nullptr);
        clear();
    }

    // Nothing imported yet, or disposed: nothing prints, and the user is
    // told. A red picture, CD Front size, with a black border of 2 pixels
    // prints at its size; Ctrl+O imports it, typed in the width box; the
    // caption, the menu entry and Ctrl+P print, once the setup is confirmed.
    void printCover()
    {
        PRINTTEST_NEED_POPPLER();
        show({{"DefaultSettings.ins", "2\r\nBlack\r\n6000\r\n"}});
        const auto printsNothing = [&] {
            QFile::remove(m_pdf);
            click("printCoverLabel");
            trigger("printPreviewAction");
            QCOMPARE(errors(), QStringList(2, "There is no picture to print. Import one first."));
            errors().clear();
            QVERIFY(!QFile::exists(m_pdf));
        };
        printsNothing();
        platform().fileDialog.answers.enqueue(
            work().solidBitmap("red.bmp", QSize(64, 64), Qt::red));
        press("Ctrl+O", edit("widthEdit"));
        click("coverKindLabel5");
        m_setup.confirm = false;
        click("printCoverLabel");
        QVERIFY(!QFile::exists(m_pdf));
        m_setup.confirm = true;
        click("printCoverLabel");
        QVERIFY2(errors().isEmpty(), qPrintable(errors().join('|')));
        // No window of its own shows while it prints.
        for (const QWidget* window : QApplication::topLevelWidgets())
            QVERIFY2(window == &form() || !window->isVisible(), window->metaObject()->className());
        QVERIFY(printtest::pdfInfo(m_pdf).contains(QRegularExpression("Pages: +1\\n")));
        // 121 mm is 460 cover pixels: 460 / 96 inch on paper.
        const QImage page = printtest::renderPdf(m_pdf, 150);
        const QRect picture = printtest::boundsOf(page, Qt::red);
        const QSizeF mm = printtest::mmOf(picture, 150).size();
        QVERIFY2(qAbs(mm.width() - 121.7) < 0.5 && qAbs(mm.height() - 121.7) < 0.5,
                 qPrintable(QString::number(mm.width())));
        QVERIFY(printtest::boundsOf(page, Qt::black, 60).contains(picture));
        for (const bool byKey : {false, true}) {
            QFile::remove(m_pdf);
            byKey ? press("Ctrl+P", edit("widthEdit")) : trigger("printAction");
            QVERIFY(QFile::exists(m_pdf));
        }
        QCOMPARE(m_setup.calls, 4);
        QCOMPARE(edit("widthEdit")->text(), "121");
        click("disposeLabel");
        printsNothing();
    }

    // "Printer Setup" alone edits the printer and prints nothing.
    void printerSetupAndCalibration()
    {
        start();
        m_setup.edit = [](QPrinter& printer) {
            printer.setPageOrientation(QPageLayout::Landscape);
        };
        click("printerSetupLabel");
        QCOMPARE(m_setup.calls, 1);
        QVERIFY(errors().isEmpty());
        QVERIFY(!QFile::exists(m_pdf));
        QCOMPARE(jf::currentPrinter().printer().pageLayout().orientation(), QPageLayout::Landscape);
        // "Print to File (PDF)" has no queue: refused, nothing saved.
        trigger("calibrateAction");
        QCOMPARE(errors(),
                 QStringList("\"Print to File (PDF)\" is not a printer and cannot be calibrated. "
                             "Choose a printer in Printer Setup first."));
        QVERIFY(calibration().isHidden());
        QVERIFY(!QFile::exists(work().data("Calibration.txt")));
        const QString queue = QPrinterInfo::defaultPrinter().printerName();
        if (QPrinterInfo::availablePrinters().isEmpty() || queue.isEmpty())
            QSKIP("no print queue here (scripts/cups-start adds one)");
        jf::currentPrinter().replace(nullptr);
        jf::CalibrationTable table;
        table.set(queue, {148.5, 101.0, 1.25, -0.5});
        table.write(work().data("Calibration.txt"));
        const QByteArray line = work().read("Calibration.txt");
        // Read at start, every saved value shows, the distances where the
        // rectangle lands.
        start();
        trigger("calibrateAction");
        jf::CalibrationWindow& window = calibration();
        QVERIFY(window.isVisible());
        const QPointF corner = jf::paperOf(jf::currentPrinter().printer())
                                   .printable(jf::PaperOrientation::Portrait)
                                   .topLeft();
        const jf::CalibrationMeasurements shown = window.measurements();
        QCOMPARE(shown.width + " " + shown.height, "148.5 101.0");
        QCOMPARE(shown.left, QString::number(corner.x() + 1.25 + 148.5 / 150 * 10 / 3.8, 'f', 1));
        QCOMPARE(shown.top, QString::number(corner.y() - 0.5 + 101.0 / 100 * 10 / 3.8, 'f', 1));
        // Save without edits writes the same line back, and says so.
        click(window, "saveLabel");
        QVERIFY2(errors().size() == 1, qPrintable(errors().join('|')));
        QCOMPARE(work().read("Calibration.txt"), line);
        QVERIFY(caption(window, "statusLabel").startsWith("Saved"));
        // Reset removes the printer's line; it was the last, so the file goes.
        click(window, "resetLabel");
        QVERIFY(!QFile::exists(work().data("Calibration.txt")));
        QVERIFY(window.measurements().width.isEmpty());
        QVERIFY(caption(window, "statusLabel").startsWith("Reset"));
        window.close();
    }

    void discLabelWindow_data()
    {
        const auto row = jftest::rows<DiscRow>();
        const QString toFile = "\"Print to File (PDF)\" has no disc tray.";
        row("typed", "", "2x2", 22, toFile);
        row("17 clicked, cups-pdf queue", "JacketforgePDF", "hole17Button", 17,
            "This printer's driver has no disc tray.");
        row("0 clicked", "", "hole0Button", 0, toFile);
        row("over 60", "", "75", -1, toFile);
    }
    // "Disc Label...": the hole typed (digits only) or clicked goes to
    // Disc.ins and is read at the next start; one over 60 mm is refused. A
    // destination without a disc tray has the tray's choices disabled, with
    // the reason. Escape closes the window.
    void discLabelWindow()
    {
        auto [queue, input, hole, reason] = jftest::fetch<DiscRow>();
        if (!queue.isEmpty()) {
            if (!QPrinterInfo::availablePrinterNames().contains(queue))
                QSKIP("no cups-pdf queue here (scripts/cups-start adds it)");
            printtest::useQueue(queue);
        }
        start();
        trigger("discLabelAction");
        jf::DiscLabelWindow& window = discLabel();
        QVERIFY(window.isVisible() && !window.isModal());
        QLineEdit* box = edit(window, "holeEdit");
        QCOMPARE(box->text(), "41");
        if (input.startsWith("hole")) {
            click(window, qPrintable(input));
        } else {
            type(box, input);
            press("Return", box);
        }
        const int kept = hole < 0 ? 41 : hole;
        QCOMPARE(errors(), QStringList(hole < 0, "The hole's diameter must be from 0 to 60 mm."));
        QCOMPARE(work().read("Disc.ins"),
                 hole < 0 ? "<missing>" : QByteArray::number(hole) + "\r\n");
        QCOMPARE(box->text(), QString::number(kept));
        QTRY_COMPARE(child<QLabel>(window, "reasonLabel")->text(), reason);
        const auto* tray = child<QCheckBox>(window, "trayBox");
        QVERIFY(!tray->isEnabled() && !tray->isChecked());
        QVERIFY(!child<QPushButton>(window, "printTestButton")->isEnabled());
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(window.isHidden());
        start();
        QCOMPARE(workspace().discHoleMm, kept);
    }

    void sheetFromTheMainWindow()
    {
        PRINTTEST_NEED_POPPLER();
        start();
        trigger("addToSheetAction");
        QCOMPARE(errors(), QStringList("There is no picture to add. Import one first."));
        errors().clear();
        // "CD Front" from a sharp picture, "CD Back" from a tiny one.
        const QString red = work().solidBitmap("red.bmp", QSize(1200, 1200), Qt::red);
        const QString blue = work().solidBitmap("blue.bmp", QSize(40, 40), Qt::blue);
        addCover(red, 5);
        addCover(blue, 7);
        QVERIFY2(errors().isEmpty(), qPrintable(errors().join('|')));
        const QByteArray twoCovers =
            "5\t121\t121\t" + red.toUtf8() + "\r\n7\t151\t118\t" + blue.toUtf8() + "\r\n";
        QCOMPARE(work().read("Sheet.txt"), twoCovers);
        // Too large for any sheet of the paper, or a size no cover has:
        // refused as "Print Cover" refuses it, nothing written.
        for (const char* width : {"999", "0", "-5", "1e-300"}) {
            edit("widthEdit")->setText(width);
            trigger("addToSheetAction");
            const QString refusal = width[0] == '9' ? "The cover needs 1009.6 \u00d7 " : width;
            QVERIFY2(!errors().isEmpty() && errors().last().contains(refusal),
                     qPrintable(errors().join('|')));
            errors().clear();
        }
        QCOMPARE(work().read("Sheet.txt"), twoCovers);

        trigger("sheetAction");
        jf::SheetWindow& window = sheet();
        QVERIFY(window.isVisible() && !window.isModal());
        auto* list = child<QTreeWidget>(window, "coverList");
        QCOMPARE(list->topLevelItemCount(), 2);
        const QTreeWidgetItem* first = list->topLevelItem(0);
        QCOMPARE(first->text(0) + "|" + first->text(1) + "|" + first->text(2) + "|" +
                     first->text(3),
                 "CD Front|121 \u00d7 121 mm|red.bmp|Stretch");
        QTRY_COMPARE(first->text(4), "250 pixels per inch");
        QTRY_COMPARE(
            child<QLabel>(window, "noteLabel")->text(),
            "The picture of \"CD Back\" has 7 pixels per inch at this size and may print blurred.");
        QCOMPARE(window.pageCount(), 1);
        // The page fills its pane across or down.
        const QSize pane = child<QScrollArea>(window, "pagesArea")->viewport()->size();
        const QSize shown = child<QLabel>(window, "page1")->size();
        QVERIFY(shown.width() > pane.width() * 0.9 || shown.height() > pane.height() * 0.9);
        auto* marks = child<QCheckBox>(window, "cutMarksBox");
        QVERIFY(marks->isChecked());
        marks->click();
        QCOMPARE(work().read("SheetSettings.ins"), "0\r\n0\r\n");
        marks->click();
        QCOMPARE(work().read("SheetSettings.ins"), "1\r\n0\r\n");
        child<QSpinBox>(window, "bleedBox")->setValue(2);
        QCOMPARE(work().read("SheetSettings.ins"), "1\r\n2\r\n");

        // Return presses "Print Sheet": one job, both covers on one page.
        QTest::keyClick(&window, Qt::Key_Return);
        QVERIFY2(errors().isEmpty(), qPrintable(errors().join('|')));
        QCOMPARE(m_setup.calls, 1);
        QVERIFY(printtest::pdfInfo(m_pdf).contains(QRegularExpression("Pages: +1\\n")));
        const QImage page = printtest::renderPdf(m_pdf, 50);
        QVERIFY(!printtest::boundsOf(page, Qt::red).isNull());
        QVERIFY(!printtest::boundsOf(page, Qt::blue).isNull());
        // A picture changed in its file prints as it is now.
        work().solidBitmap("red.bmp", QSize(1200, 1200), Qt::green);
        QTest::keyClick(&window, Qt::Key_Return);
        QVERIFY(!printtest::boundsOf(printtest::renderPdf(m_pdf, 50), Qt::green).isNull());
        // A picture gone: listed as missing, and "Print Sheet" names it.
        QFile::remove(blue);
        child<QPushButton>(window, "printSheetButton")->click();
        QVERIFY2(errors().size() == 1 &&
                     errors()[0].startsWith("The picture of \"CD Back\" (" + blue),
                 qPrintable(errors().join('|')));
        QCOMPARE(m_setup.calls, 2);
        QVERIFY(list->topLevelItem(1)->text(2).endsWith("(missing)"));
        // "Remove" takes the selected cover, "Clear" the rest.
        list->setCurrentItem(list->topLevelItem(1));
        child<QPushButton>(window, "removeButton")->click();
        QCOMPARE(work().read("Sheet.txt"), "5\t121\t121\t" + red.toUtf8() + "\r\n");
        child<QPushButton>(window, "clearButton")->click();
        QCOMPARE(work().read("Sheet.txt"), QByteArray());
        QCOMPARE(list->topLevelItemCount(), 0);

        // Read at the next start: a full sheet, half its pictures missing,
        // with cut marks. The window fits the screen with its buttons,
        // draws only the pages in sight, and takes no more.
        work().write(
            "Sheet.txt",
            ("5\t121\t121\t" + red + "\r\n5\t121\t121\t" + blue + "\r\n").toUtf8().repeated(250));
        start();
        trigger("sheetAction");
        jf::SheetWindow& full = sheet();
        QCOMPARE(child<QTreeWidget>(full, "coverList")->topLevelItemCount(), 500);
        QVERIFY(child<QCheckBox>(full, "cutMarksBox")->isChecked());
        QVERIFY(full.screen()->availableGeometry().contains(full.frameGeometry()));
        const auto* close = child<QPushButton>(full, "closeButton");
        QVERIFY(full.rect().contains(QRect(close->mapTo(&full, QPoint()), close->size())));
        const auto drawn = [&](qsizetype sheet) {
            return !child<QLabel>(full, qPrintable(QString("page%1").arg(sheet)))
                        ->pixmap()
                        .isNull();
        };
        QTRY_VERIFY(drawn(1));
        QVERIFY(!drawn(full.pageCount()));
        form().openPicture(red);
        trigger("addToSheetAction");
        QCOMPARE(
            errors().last(),
            "The sheet holds 500 covers, as many as it takes. Print it, or remove covers first.");
        full.close();
    }
};

QTEST_MAIN(TestMainPrint)
#include "tst_mainprint.moc"
