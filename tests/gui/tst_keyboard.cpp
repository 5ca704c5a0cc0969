// The program without a mouse: the Tab order, the shortcuts, Escape in the
// tool windows, the digit filter's modified keys, and what assistive
// technology is told about the controls.
#include "../print/PrintTestSupport.h"
#include "ChoiceColumn.h"
#include "ProgramFixture.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QScopeGuard>
#include <QTest>
#include <QWindow>

using jf::ClickLabel;
using jf::MainWindow;

namespace {

QAccessibleInterface* accessible(QObject* control)
{
    return QAccessible::queryAccessibleInterface(control);
}

QString focusName()
{
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

void press(int key, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

    jftest::ProgramFixture m_program;

    jf::AppController* m_app = nullptr;

    MainWindow& startShown()
    {
        auto started = m_program.start();
        m_app = &started.app;
        MainWindow& form = started.form;
        form.show();
        form.activateWindow();
        if (!QTest::qWaitForWindowActive(&form))
            qFatal("the main window did not become active");
        return form;
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
};

void TestKeyboard::tabVisitsEveryControlInReadingOrder()
{
    MainWindow& form = startShown();
    auto& platform = m_program.platform();
    QCOMPARE(focusName(), QString("widthEdit")); // where typing starts, as before
    const QStringList order{
        "coverKindLabel1", "printerSetupLabel",  "printCoverLabel",    "settingsLabel",
        "helpLabel",       "importLabel",        "widthEdit",          "heightEdit",
        "disposeLabel",    "viewImageLabel",     "saveSizesLabel",     "restoreSizesLabel",
        "pictureList",     "addPictureLabel",    "deletePictureLabel", "programList",
        "addProgramLabel", "deleteProgramLabel", "closeLabel",         "coverKindLabel1"};
    jftest::child<QWidget>(form, "closeLabel")->setFocus(Qt::TabFocusReason);
    for (const QString& stop : order) {
        press(Qt::Key_Tab);
        QCOMPARE(focusName(), stop);
        QWidget* control = QApplication::focusWidget();
        QVERIFY(control->focusPolicy() & Qt::TabFocus);
        QVERIFY(!accessible(control)->text(QAccessible::Name).trimmed().isEmpty());
    }
    press(Qt::Key_Backtab);
    QCOMPARE(focusName(), QString("closeLabel"));

    // The kinds are one stop: Down selects the next kind, as a click does,
    // and the stop moves with the selection.
    press(Qt::Key_Tab);
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    QCOMPARE(form.selectedCoverKind(), 3);
    QCOMPARE(focusName(), QString("coverKindLabel3"));
    press(Qt::Key_Up);
    QCOMPARE(form.selectedCoverKind(), 2);
    press(Qt::Key_Tab);
    press(Qt::Key_Backtab);
    QCOMPARE(focusName(), QString("coverKindLabel2"));

    // Space and Return press a caption.
    jftest::child<QWidget>(form, "importLabel")->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Space);
    press(Qt::Key_Return);
    QCOMPARE(platform.fileDialog.requests.size(), 2);

    // The arrow keys load a picture of the list, Return starts a program.
    jf::Workspace& workspace = m_app->workspace();
    for (const char* name : {"a", "b"})
        workspace.pictures.append(
            name, m_program.work().solidBitmap(QString(name) + ".bmp", QSize(4, 4), Qt::red));
    workspace.programs.append("Editor", "/usr/bin/editor");
    form.showFavourites();
    jftest::child<QWidget>(form, "pictureList")->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Down);
    QCOMPARE(QFileInfo(form.currentImagePath()).fileName(), QString("a.bmp"));
    press(Qt::Key_Down);
    QCOMPARE(QFileInfo(form.currentImagePath()).fileName(), QString("b.bmp"));
    jftest::child<QWidget>(form, "programList")->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Return); // nothing selected: nothing started
    press(Qt::Key_Down);
    QVERIFY(platform.shell.started.isEmpty());
    press(Qt::Key_Return);
    QCOMPARE(platform.shell.started, QStringList("/usr/bin/editor"));
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

    // The menus show the keys beside their entries.
    QCOMPARE(jftest::child<QAction>(form, "printAction")->shortcut(), QKeySequence("Ctrl+P"));
    QCOMPARE(jftest::child<QAction>(form, "importAction")->shortcut(), QKeySequence("Ctrl+O"));
    QCOMPARE(jftest::child<QAction>(form, "closeAction")->shortcuts(),
             (QList<QKeySequence>{QKeySequence("Ctrl+Q"), QKeySequence("Ctrl+W")}));

    // Ctrl+O imports a picture, Ctrl+P prints it; the keys work in a size box.
    platform.fileDialog.answers.enqueue(
        m_program.work().solidBitmap("red.bmp", QSize(16, 16), Qt::red));
    press(Qt::Key_O, Qt::ControlModifier);
    QVERIFY(!form.showsPlaceholder());
    QCOMPARE(focusName(), QString("widthEdit"));
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
    jftest::child<QWidget>(form, "saveSizesLabel")->setFocus(Qt::TabFocusReason);
    press(Qt::Key_F10, Qt::ShiftModifier);
    QTRY_VERIFY(mainMenu->isVisible());
    mainMenu->hide();
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), form.mapToGlobal(QPoint()));
    QApplication::sendEvent(form.windowHandle(), &menuKey);
    QTRY_VERIFY(mainMenu->isVisible());
    mainMenu->hide();
    jftest::child<QWidget>(form, "programList")->setFocus(Qt::TabFocusReason);
    press(Qt::Key_F10, Qt::ShiftModifier);
    QTRY_VERIFY(jftest::child<QMenu>(form, "programMenu")->isVisible());
    jftest::child<QMenu>(form, "programMenu")->hide();
    QTRY_VERIFY(form.isActiveWindow());

    // Ctrl+W closes as "Close" does: the lists are saved.
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
}

void TestKeyboard::escapeClosesToolWindows()
{
    QFETCH(QString, caption);
    MainWindow& form = startShown();
    const QByteArray names = m_program.work().read("DefaultNames.ins");
    if (caption.isEmpty()) {
        m_app->calibrationWindow().open("queue", std::nullopt, QPointF());
        caption = "widthEdit";
    } else {
        jftest::child<QWidget>(form, qPrintable(caption))->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Space);
    }
    QTRY_VERIFY(QApplication::activeWindow() && QApplication::activeWindow() != &form);
    QWidget* tool = QApplication::activeWindow();
    QVERIFY(!form.isEnabled());
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
    QTest::newRow("Ctrl+X") << QKeySequence("Ctrl+X") << "";
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
    row("main", "addProgramLabel", QAccessible::Button, "Add ", true);
    row("main", "closeMark", QAccessible::Button, "Close", true);
    row("main", "coverKindColumn", QAccessible::Grouping, "Cover kind");
    row("main", "coverKindLabel8", QAccessible::RadioButton, "CD Disk", true);
    row("main", "picturesCaption", QAccessible::StaticText, "Your Images");
    row("main", "previewImage", QAccessible::Graphic, "Cover preview");
    row("main", "backgroundImage", QAccessible::Client, "");
    row("main", "widthEdit", QAccessible::EditableText, "Width (mm)");
    row("main", "heightEdit", QAccessible::EditableText, "Height (mm)");
    row("main", "pictureList", QAccessible::List, "Your Images");
    row("main", "programList", QAccessible::List, "Your Programs");
    row("settings", "", QAccessible::Dialog, "Settings");
    row("settings", "acceptLabel", QAccessible::Button, "Accept (Save)", true);
    row("settings", "heightEdit3", QAccessible::EditableText, "Height of item 3 (mm)");
    row("settings", "intervalEdit", QAccessible::EditableText, "Interval between Tips (ms)");
    row("help", "helpText", QAccessible::EditableText, "Help and About");
    row("add program", "programPathEdit", QAccessible::EditableText, "Program Path");
    row("add program", "browseLabel", QAccessible::Button, "Browse", true);
    row("calibration", "topEdit", QAccessible::EditableText, "Distance from the top edge (mm)");
    row("calibration", "printPageLabel", QAccessible::Button, "Print Calibration Page", true);
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
                                          {"calibration", &app.calibrationWindow()}};
    QWidget* top = windows.value(window);
    QObject* object = control.isEmpty() ? top : jftest::child<QObject>(*top, qPrintable(control));
    QAccessibleInterface* iface = accessible(object);
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
    QAccessibleInterface* column = accessible(jftest::child<QObject>(form, "coverKindColumn"));
    QCOMPARE(column->childCount(), 8);
    QAccessibleInterface* slim = column->child(1);
    QCOMPARE(slim->text(QAccessible::Name), QString("Slim DVD"));
    QVERIFY(slim->state().checkable && !slim->state().checked);
    QVERIFY(column->child(0)->state().checked);
    slim->actionInterface()->doAction(press);
    QCOMPARE(form.selectedCoverKind(), 2);
    QVERIFY(slim->state().checked && !column->child(0)->state().checked);

    // A caption's Press does what its click does.
    accessible(jftest::child<QObject>(form, "addProgramLabel"))->actionInterface()->doAction(press);
    QVERIFY(app.addProgramDialog().isVisible());
    app.addProgramDialog().close();

    // The preview is described by its picture's file name, the tip line
    // named by the tip it shows.
    platform.fileDialog.answers.enqueue(work.solidBitmap("sunset.bmp", QSize(4, 4), Qt::red));
    accessible(jftest::child<QObject>(form, "importLabel"))->actionInterface()->doAction(press);
    QAccessibleInterface* preview = accessible(jftest::child<QObject>(form, "previewImage"));
    QCOMPARE(preview->text(QAccessible::Description), QString("sunset.bmp"));
    form.showNextTip();
    auto* tip = jftest::child<QLabel>(form, "tipLabel");
    QVERIFY(!tip->text().isEmpty());
    QCOMPARE(accessible(tip)->role(), QAccessible::StaticText);
    QCOMPARE(accessible(tip)->text(QAccessible::Name), tip->text());
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
