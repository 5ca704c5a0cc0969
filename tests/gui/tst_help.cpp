// The help window, opened from the main window as the program does it.
#include "AppController.h"
#include "HelpWindow.h"
#include "TestPlatform.h"

#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

using jf::ClickLabel;
using jf::CloseLabel;
using jf::HelpWindow;
using jf::ImageControl;
using jf::MainWindow;
using jftest::TestPlatform;
using jftest::WorkDir;

namespace {

struct HelpRig
{
    TestPlatform platform;
    WorkDir work;
    jf::AppController app;
    MainWindow& main = app.mainWindow();
    HelpWindow& help = app.helpWindow();

    HelpRig()
    {
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
    }
    void open() const
    {
        QTest::mouseClick(jftest::child<ClickLabel>(main, "helpLabel"), Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowExposed(&help));
    }
    void close() const
    {
        QTest::mouseClick(jftest::child<CloseLabel>(help, "closeMark"), Qt::LeftButton);
    }
    QTextEdit* text() const { return jftest::child<QTextEdit>(help, "helpText"); }
};

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT

private slots:
    void opensOverThePanel();
    void closeMarkKeepsItsColourAndCloses();
    void keepsScrollAndTypedTextUntilExit();
    void documentHasItsSixParts();
    void documentDescribesTheProgramAsItIs();
};

void TestHelp::opensOverThePanel()
{
    HelpRig rig;
    QVERIFY(!rig.help.isVisible());
    rig.open();
    QVERIFY(rig.help.isVisible());
    QCOMPARE(rig.help.pos(), QPoint(514, 370));
    QCOMPARE(rig.help.size(), QSize(502, 390));
    QVERIFY(!rig.main.isEnabled());
    QVERIFY(rig.help.isEnabled());
    // Window managers keep only dialog-type transients above their parent.
    QCOMPARE(rig.help.windowType(), Qt::Dialog);
    QCOMPARE(rig.help.windowHandle()->transientParent(), rig.main.windowHandle());
    const ImageControl* panel = jftest::child<ImageControl>(rig.main, "panelImage");
    const ImageControl* background = jftest::child<ImageControl>(rig.help, "panelImage");
    QVERIFY(!background->picture().isNull());
    QCOMPARE(background->picture().data(), panel->picture().data());

    // The disabled main window cannot be dragged, and the help window stays.
    ImageControl* handle = jftest::child<ImageControl>(rig.main, "backgroundImage");
    QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(300, 20));
    QMouseEvent move(QEvent::MouseMove, QPointF(330, 15), rig.main.mapToGlobal(QPointF(330, 15)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(handle, &move);
    QCOMPARE(rig.main.pos(), QPoint(384, 280));
    QCOMPARE(rig.help.pos(), QPoint(514, 370));
    QVERIFY(rig.platform.messages.errors.isEmpty());
}

void TestHelp::closeMarkKeepsItsColourAndCloses()
{
    HelpRig rig;
    rig.open();
    CloseLabel* mark = jftest::child<CloseLabel>(rig.help, "closeMark");
    const QColor before = mark->palette().color(QPalette::WindowText);
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), mark->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(mark, &enter);
    QCOMPARE(mark->palette().color(QPalette::WindowText), before);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(mark, &leave);
    QCOMPARE(mark->palette().color(QPalette::WindowText), before);

    rig.close();
    QVERIFY(!rig.help.isVisible());
    QVERIFY(rig.main.isEnabled());
    QVERIFY(rig.main.isVisible());
}

void TestHelp::keepsScrollAndTypedTextUntilExit()
{
    QString typed;
    {
        HelpRig rig;
        rig.open();
        QTextEdit* text = rig.text();
        QTest::keyClick(text, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClicks(text, "my own note ");
        typed = text->toPlainText();
        QVERIFY(typed.startsWith("my own note "));

        QVERIFY(text->find("CONTACT", QTextDocument::FindCaseSensitively));
        text->ensureCursorVisible();
        const int scrolled = text->verticalScrollBar()->value();
        QVERIFY(scrolled > 0);
        rig.close();
        rig.open();
        QCOMPARE(rig.help.pos(), QPoint(514, 370));
        QCOMPARE(text->verticalScrollBar()->value(), scrolled);
        QCOMPARE(text->toPlainText(), typed);
    }
    HelpRig restarted;
    QVERIFY(!restarted.text()->toPlainText().startsWith("my own note"));
}

void TestHelp::documentHasItsSixParts()
{
    HelpRig rig;
    const QTextDocument* document = rig.text()->document();
    QCOMPARE(document->blockCount(), 157);
    QCOMPARE(document->findBlockByNumber(1).text(), QString("Title: Vastel - Jacketforge "));
    QCOMPARE(document->findBlockByNumber(2).text(), QString("Version 1,20"));
    // The headings, in their order, each on a line of its own.
    const QStringList headings{"Table of Contents", "ABOUT THIS PROGRAM",
                               "HOW TO USE",        "Help Button",
                               "Print Buttons",     "Settings button",
                               "Item Menu",         "Main workspace. ",
                               "TROUBLESHOOTING",   "CONTACT"};
    int next = 0;
    for (QTextBlock block = document->begin(); block.isValid() && next < headings.size();
         block = block.next()) {
        if (block.text() == headings[next])
            ++next;
    }
    QCOMPARE(next, headings.size());
    QVERIFY(!rig.text()->isReadOnly());
}

void TestHelp::documentDescribesTheProgramAsItIs()
{
    HelpRig rig;
    const QString text = rig.text()->toPlainText().simplified();
    // The main menu's entries, in the menu's order.
    qsizetype at = text.indexOf("A right click on the window shows a small menu with");
    for (const QAction* action : jftest::child<QMenu>(rig.main, "mainMenu")->actions()) {
        at = text.indexOf(action->text(), at);
        QVERIFY2(at >= 0, qPrintable(action->text()));
    }
    for (const char* subject : {"Print Calibration Page", "Calibration.txt", "drop a picture",
                                "Open With", "jacketforge PICTURE", "WebP, TIFF, GIF, SVG"})
        QVERIFY2(text.contains(subject), subject);
}

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
