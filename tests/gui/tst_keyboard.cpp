// The program without a mouse: the Tab order, the shortcuts, Escape in the
// tool windows, the digit filter's modified keys, and what assistive
// technology is told about the controls.
#include "../print/PrintTestSupport.h"
#include "ProgramFixture.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QMenu>
#include <QScopeGuard>
#include <QTest>
#include <QWindow>

using jf::MainWindow;

namespace {

QAccessibleInterface* accessible(const QObject& parent, const char* name)
{
    return QAccessible::queryAccessibleInterface(jftest::child<QObject>(parent, name));
}

QString focusName()
{
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

void press(int key, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
}

void focus(const QWidget& window, const char* control)
{
    jftest::child<QWidget>(window, control)->setFocus(Qt::TabFocusReason);
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

    jftest::ProgramFixture m_program;
    jf::AppController* m_app = nullptr;

    MainWindow& startShown()
    {
        m_app = &m_program.start().app;
        m_app->mainWindow().show();
        m_app->mainWindow().activateWindow();
        if (!QTest::qWaitForWindowActive(&m_app->mainWindow()))
            qFatal("the main window did not become active");
        return m_app->mainWindow();
    }

private slots:
    void init() { m_program.renew(); }
    void cleanup() { m_program.clear(); }

    void tabVisitsEveryControlInReadingOrder();
    void shortcuts();
    void escapeClosesToolWindows_data();
    void escapeClosesToolWindows();
    void modifiedKeysTypeNothing_data();
    void modifiedKeysTypeNothing();
    void controlsAreNamedForAssistiveTechnology_data();
    void controlsAreNamedForAssistiveTechnology();
    void pressActionsAndLiveStates();
    void placingThePicture();
};

void TestKeyboard::tabVisitsEveryControlInReadingOrder()
{
    MainWindow& form = startShown();
    QCOMPARE(focusName(), QString("widthEdit")); // where typing starts, as before
    const QStringList order{
        "coverKindLabel1", "printerSetupLabel",  "printCoverLabel",    "settingsLabel",
        "helpLabel",       "importLabel",        "widthEdit",          "heightEdit",
        "disposeLabel",    "viewImageLabel",     "saveSizesLabel",     "restoreSizesLabel",
        "pictureList",     "addPictureLabel",    "deletePictureLabel", "programList",
        "addProgramLabel", "deleteProgramLabel", "closeLabel",         "coverKindLabel1"};
    focus(form, "closeLabel");
    for (const QString& stop : order) {
        press(Qt::Key_Tab);
        QCOMPARE(focusName(), stop);
        QWidget* control = QApplication::focusWidget();
        QVERIFY(control->focusPolicy() & Qt::TabFocus);
        QVERIFY(!QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name).isEmpty());
    }
    press(Qt::Key_Backtab);
    QCOMPARE(focusName(), QString("closeLabel"));

    // The kinds are one stop, which Up and Down move as they select.
    press(Qt::Key_Tab);
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    press(Qt::Key_Up);
    QCOMPARE(form.selectedCoverKind(), 2);
    press(Qt::Key_Tab);
    press(Qt::Key_Backtab);
    QCOMPARE(focusName(), QString("coverKindLabel2"));

    // Space and Return press a caption.
    focus(form, "importLabel");
    press(Qt::Key_Space);
    press(Qt::Key_Return);
    QCOMPARE(m_program.platform().fileDialog.requests.size(), 2);

    // The first arrow key loads the list's first picture; Return starts the
    // selected program, none while none is selected.
    m_app->workspace().pictures.append("a", m_program.work().solidBitmap("a.bmp", {4, 4}, Qt::red));
    m_app->workspace().programs.append("Editor", "/usr/bin/editor");
    form.showFavourites();
    focus(form, "pictureList");
    press(Qt::Key_Down);
    QCOMPARE(QFileInfo(form.currentImagePath()).fileName(), QString("a.bmp"));
    focus(form, "programList");
    press(Qt::Key_Return);
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    QCOMPARE(m_program.platform().shell.started, QStringList("/usr/bin/editor"));
}

void TestKeyboard::shortcuts()
{
    MainWindow& form = startShown();
    auto& platform = m_program.platform();
    const QString pdf = m_program.work().path() + "/cover.pdf";
    printtest::ScriptedPrinterSetup setup;
    jf::platform().printerSetup = &setup;
    jf::currentPrinter().replace(printtest::pdfPrinter(pdf, QPageLayout::Portrait));
    const auto restore = qScopeGuard([] {
        jf::platform().printerSetup = nullptr;
        jf::currentPrinter().replace(nullptr);
    });

    // Ctrl+O imports a picture, Ctrl+P prints it, typed in the width box.
    platform.fileDialog.answers.enqueue(m_program.work().solidBitmap("red.bmp", {16, 16}, Qt::red));
    press(Qt::Key_O, Qt::ControlModifier);
    press(Qt::Key_P, Qt::ControlModifier);
    QVERIFY2(platform.messages.errors.isEmpty(), qPrintable(platform.messages.errors.join('|')));
    QCOMPARE(setup.calls, 1);
    QVERIFY(QFileInfo(pdf).size() > 0);
    QCOMPARE(jftest::child<QLineEdit>(form, "widthEdit")->text(), QString("270"));

    press(Qt::Key_F1);
    QVERIFY(m_app->helpWindow().isVisible());
    m_app->helpWindow().close();
    QTRY_VERIFY(form.isActiveWindow());

    // Shift+F10, and the Menu key (the window system's menu request), open
    // the main menu at a caption, a list's own menu in a list.
    auto* mainMenu = jftest::child<QMenu>(form, "mainMenu");
    focus(form, "saveSizesLabel");
    press(Qt::Key_F10, Qt::ShiftModifier);
    QTRY_VERIFY(mainMenu->isVisible());
    mainMenu->hide();
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), form.mapToGlobal(QPoint()));
    QApplication::sendEvent(form.windowHandle(), &menuKey);
    QTRY_VERIFY(mainMenu->isVisible());
    mainMenu->hide();
    focus(form, "programList");
    press(Qt::Key_F10, Qt::ShiftModifier);
    QTRY_VERIFY(jftest::child<QMenu>(form, "programMenu")->isVisible());
    jftest::child<QMenu>(form, "programMenu")->hide();
    QTRY_VERIFY(form.isActiveWindow());

    // Ctrl+W (the menu shows Ctrl+Q) closes as "Close" does: lists saved.
    QCOMPARE(jftest::child<QAction>(form, "closeAction")->shortcuts(),
             (QList<QKeySequence>{QKeySequence("Ctrl+Q"), QKeySequence("Ctrl+W")}));
    m_app->workspace().pictures.append("A", "/a.bmp");
    press(Qt::Key_W, Qt::ControlModifier);
    QVERIFY(!form.isVisible());
    QCOMPARE(m_program.work().read("PicturesPaths.txt"), QByteArray("/a.bmp\r\n"));
}

void TestKeyboard::escapeClosesToolWindows_data()
{
    QTest::addColumn<QString>("caption"); // that opens it; none: opened directly
    QTest::newRow("settings") << "settingsLabel";
    QTest::newRow("help") << "helpLabel";
    QTest::newRow("add program") << "addProgramLabel";
    QTest::newRow("calibration") << "";
    QTest::newRow("sheet") << "sheet";
}

void TestKeyboard::escapeClosesToolWindows()
{
    QFETCH(QString, caption);
    MainWindow& form = startShown();
    const QByteArray names = m_program.work().read("DefaultNames.ins");
    if (caption.isEmpty()) {
        m_app->calibrationWindow().open("queue", std::nullopt, QPointF());
        caption = "widthEdit";
    } else if (caption == "sheet") {
        emit form.sheetRequested();
        caption = "widthEdit";
    } else {
        focus(form, qPrintable(caption));
        press(Qt::Key_Space);
    }
    QTRY_VERIFY(QApplication::activeWindow() && QApplication::activeWindow() != &form);
    QWidget* tool = QApplication::activeWindow();
    // What is typed is dropped, as with the "X" (or "Cancel").
    if (auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget()))
        QTest::keyClicks(edit, "7");
    press(Qt::Key_Escape);
    QVERIFY(tool->isHidden());
    QVERIFY(form.isEnabled());
    QCOMPARE(m_program.work().read("DefaultNames.ins"), names);
    QVERIFY(m_app->workspace().programs.names().isEmpty());
    QTRY_COMPARE(focusName(), caption); // the focus is back where it was
}

void TestKeyboard::modifiedKeysTypeNothing_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("shown");
    QTest::newRow("Alt+P") << QKeySequence("Alt+P") << "270";
    QTest::newRow("Alt+5") << QKeySequence("Alt+5") << "270";
    QTest::newRow("Ctrl+A, 9") << QKeySequence("Ctrl+A, 9") << "9";
    QTest::newRow("Ctrl+X, Ctrl+V") << QKeySequence("Ctrl+X, Ctrl+V") << "270";
    QTest::newRow("Ctrl+X, Ctrl+Z") << QKeySequence("Ctrl+X, Ctrl+Z") << "270";
}

void TestKeyboard::modifiedKeysTypeNothing()
{
    QFETCH(QKeySequence, keys);
    QFETCH(QString, shown);
    auto [platform, work, app, form] = m_program.start();
    auto* width = jftest::child<QLineEdit>(form, "widthEdit");
    width->selectAll();
    QTest::keySequence(width, keys);
    QCOMPARE(width->text(), shown);
    QVERIFY(platform.messages.errors.isEmpty());
}

void TestKeyboard::controlsAreNamedForAssistiveTechnology_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control"); // empty: the window itself
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("press");
    const auto row = [](const char* window, const char* control, QAccessible::Role role,
                        const char* name, bool press = false) {
        QTest::addRow("%s %s", window, control) << window << control << role << name << press;
    };
    row("main", "", QAccessible::Window, "Vastel - Jacketforge v1.20");
    row("main", "printerSetupLabel", QAccessible::Button, "Printer Setup", true);
    row("main", "closeMark", QAccessible::Button, "Close", true);
    row("main", "coverKindColumn", QAccessible::Grouping, "Cover kind");
    row("main", "coverKindLabel8", QAccessible::RadioButton, "CD Disk", true);
    row("main", "picturesCaption", QAccessible::StaticText, "Your Images");
    row("main", "previewImage", QAccessible::Graphic, "Cover preview");
    row("main", "widthEdit", QAccessible::EditableText, "Width (mm)");
    row("main", "programList", QAccessible::List, "Your Programs");
    row("settings", "", QAccessible::Dialog, "Settings");
    row("settings", "acceptLabel", QAccessible::Button, "Accept (Save)", true);
    row("settings", "heightEdit3", QAccessible::EditableText, "Height of item 3 (mm)");
    row("help", "helpText", QAccessible::EditableText, "Help and About");
    row("add program", "programPathEdit", QAccessible::EditableText, "Program Path");
    row("calibration", "topEdit", QAccessible::EditableText, "Distance from the top edge (mm)");
    row("sheet", "coverList", QAccessible::Tree, "Covers on the sheet");
    row("sheet", "printSheetButton", QAccessible::Button, "Print Sheet", true);
}

void TestKeyboard::controlsAreNamedForAssistiveTechnology()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QAccessible::Role, role);
    QFETCH(QString, name);
    QFETCH(bool, press);
    auto [platform, work, app, form] = m_program.start();
    const QMap<QString, QWidget*> windows{{"main", &form},
                                          {"settings", &app.settingsWindow()},
                                          {"help", &app.helpWindow()},
                                          {"add program", &app.addProgramDialog()},
                                          {"calibration", &app.calibrationWindow()},
                                          {"sheet", &app.sheetWindow()}};
    QWidget* top = windows.value(window);
    QAccessibleInterface* iface = control.isEmpty() ? QAccessible::queryAccessibleInterface(top)
                                                    : accessible(*top, qPrintable(control));
    QCOMPARE(iface->role(), role);
    QCOMPARE(iface->text(QAccessible::Name), name);
    QAccessibleActionInterface* actions = iface->actionInterface();
    QCOMPARE(actions && actions->actionNames().contains(QAccessibleActionInterface::pressAction()),
             press);
}

void TestKeyboard::pressActionsAndLiveStates()
{
    auto [platform, work, app, form] = m_program.start();
    const QString press = QAccessibleActionInterface::pressAction();

    // The kinds: checkable buttons, the selected one checked; Press selects.
    QAccessibleInterface* column = accessible(form, "coverKindColumn");
    QCOMPARE(column->childCount(), 8);
    column->child(1)->actionInterface()->doAction(press);
    QCOMPARE(form.selectedCoverKind(), 2);
    QVERIFY(column->child(1)->state().checked && !column->child(0)->state().checked);

    // A caption's Press does what its click does; the preview is described
    // by its picture's file name, the tip line named by the tip it shows.
    platform.fileDialog.answers.enqueue(work.solidBitmap("sunset.bmp", {4, 4}, Qt::red));
    accessible(form, "importLabel")->actionInterface()->doAction(press);
    QCOMPARE(accessible(form, "previewImage")->text(QAccessible::Description),
             QString("sunset.bmp, Stretch to Cover"));
    form.showNextTip();
    const QString tip = jftest::child<QLabel>(form, "tipLabel")->text();
    QVERIFY(!tip.isEmpty());
    QCOMPARE(accessible(form, "tipLabel")->text(QAccessible::Name), tip);
}

// The three ways in the main menu, checkable, the one in force checked and
// remembered; in "Fill Cover" the preview is a Tab stop before "Import
// Image" whose keys move and zoom the crop, and its description says so.
void TestKeyboard::placingThePicture()
{
    MainWindow& form = startShown();
    QVERIFY(
        jftest::child<QAction>(form, "stretchAction")->isChecked()); // menu order: tst_mainwindow
    m_program.platform().fileDialog.answers.enqueue(
        m_program.work().solidBitmap("wide.bmp", {400, 100}, Qt::red));
    focus(form, "importLabel");
    press(Qt::Key_Space);
    jftest::child<QAction>(form, "fillAction")->trigger();
    QVERIFY(jftest::child<QAction>(form, "fillAction")->isChecked());
    QCOMPARE(m_program.work().read("PictureFit.ins"), QByteArray("fill\r\n"));
    focus(form, "helpLabel");
    press(Qt::Key_Tab);
    QCOMPARE(focusName(), QString("previewImage"));
    press(Qt::Key_Down); // unzoomed, the picture is as high as the cover: nothing moves
    press(Qt::Key_Plus);
    press(Qt::Key_Plus);
    press(Qt::Key_Right, Qt::ShiftModifier);
    const jf::Crop crop = form.placement().crop;
    QCOMPARE(crop.zoom, 1.5625);
    QVERIFY2(qAbs(crop.centreX - 0.4) < 1e-9 && qAbs(crop.centreY - 0.5) < 1e-9,
             qPrintable(QString("%1, %2").arg(crop.centreX).arg(crop.centreY)));
    QCOMPARE(accessible(form, "previewImage")->text(QAccessible::Description),
             QString("wide.bmp, Fill Cover, zoom 1.6 \u00d7"));
    press(Qt::Key_Home);
    QCOMPARE(form.placement().crop, (jf::Crop{0.5, 0.5, 1.5625}));
    press(Qt::Key_Tab);
    QCOMPARE(focusName(), QString("importLabel"));
    // The sheet keeps the cover as it was added.
    jftest::child<QAction>(form, "addToSheetAction")->trigger();
    QVERIFY(m_program.work().read("Sheet.txt").endsWith("wide.bmp\tfill\t0.5\t0.5\t1.5625\r\n"));
    // A new kind starts the crop afresh; the way is kept for the next start.
    form.selectCoverKind(2);
    QCOMPARE(form.placement().crop, jf::Crop());
    m_app = &m_program.start().app;
    QCOMPARE(m_app->mainWindow().placement().fit, jf::PictureFit::Fill);
    QVERIFY(jftest::child<QAction>(m_app->mainWindow(), "fillAction")->isChecked());
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
