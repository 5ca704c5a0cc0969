// The program without a mouse: the Tab order, the shortcuts, Escape in the
// tool windows, the digit filter's modified keys, and what assistive
// technology is told about the controls.
#include "ProgramFixture.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QWindow>

using jftest::child;

class TestKeyboard : public QObject, public jftest::ProgramFixture
{
    Q_OBJECT

    // keys, shown
    using KeysRow = std::tuple<QKeySequence, QString>;
    // window, control, role, name, press
    // (control: empty: the window itself)
    using NamedRow = std::tuple<QString, QString, QAccessible::Role, QString, bool>;

    static QString focusName()
    {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }
    static void press(int key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    void focus(const char* control) { child(form(), control)->setFocus(Qt::TabFocusReason); }
    QAccessibleInterface* accessible(const QObject& parent, const char* name)
    {
        return QAccessible::queryAccessibleInterface(child<QObject>(parent, name));
    }

private slots:
    void init() { renew(); }
    void cleanup() { clear(); }

    void tabVisitsEveryControlInReadingOrder()
    {
        show();
        QCOMPARE(focusName(), "widthEdit"); // where typing starts
        const QStringList order{
            "coverKindLabel1", "printerSetupLabel",  "printCoverLabel",    "settingsLabel",
            "helpLabel",       "importLabel",        "widthEdit",          "heightEdit",
            "disposeLabel",    "viewImageLabel",     "saveSizesLabel",     "restoreSizesLabel",
            "pictureList",     "addPictureLabel",    "deletePictureLabel", "programList",
            "addProgramLabel", "deleteProgramLabel", "closeLabel",         "coverKindLabel1"};
        focus("closeLabel");
        for (const QString& stop : order) {
            press(Qt::Key_Tab);
            QCOMPARE(focusName(), stop);
            QVERIFY(!QAccessible::queryAccessibleInterface(QApplication::focusWidget())
                         ->text(QAccessible::Name)
                         .isEmpty());
        }
        press(Qt::Key_Backtab);
        QCOMPARE(focusName(), "closeLabel");
        // The kinds are one stop, which Up and Down move as they select.
        press(Qt::Key_Tab);
        press(Qt::Key_Down);
        press(Qt::Key_Down);
        press(Qt::Key_Up);
        QCOMPARE(form().selectedCoverKind(), 2);
        press(Qt::Key_Tab);
        press(Qt::Key_Backtab);
        QCOMPARE(focusName(), "coverKindLabel2");
        // Space and Return press a caption.
        focus("importLabel");
        press(Qt::Key_Space);
        press(Qt::Key_Return);
        QCOMPARE(platform().fileDialog.requests.size(), 2);
        // The first arrow key loads the list's first picture; Return starts
        // the selected program, none while none is selected.
        workspace().pictures.append("a", work().solidBitmap("a.bmp", {4, 4}, Qt::red));
        workspace().programs.append("Editor", "/usr/bin/editor");
        form().showFavourites();
        focus("pictureList");
        press(Qt::Key_Down);
        QCOMPARE(QFileInfo(form().currentImagePath()).fileName(), "a.bmp");
        focus("programList");
        press(Qt::Key_Return);
        press(Qt::Key_Down);
        press(Qt::Key_Return);
        QCOMPARE(platform().shell.started, QStringList("/usr/bin/editor"));
    }

    void escapeClosesToolWindows_data()
    {
        QTest::addColumn<QString>("caption"); // that opens it; none: opened directly
        for (const char* caption :
             {"settingsLabel", "helpLabel", "F1", "addProgramLabel", "", "sheet"})
            QTest::newRow(*caption ? caption : "calibration") << QString(caption);
    }
    // What was typed is dropped, as with the "X" (or "Cancel"), and the focus
    // goes back where it was.
    void escapeClosesToolWindows()
    {
        QFETCH(QString, caption);
        show();
        if (caption.isEmpty()) {
            calibration().open("queue", std::nullopt, QPointF());
            caption = "widthEdit";
        } else if (caption == "sheet") {
            trigger("sheetAction");
            caption = "widthEdit";
        } else if (caption == "F1") {
            focus("widthEdit");
            press(Qt::Key_F1);
            caption = "widthEdit";
        } else {
            focus(qPrintable(caption));
            press(Qt::Key_Space);
        }
        QTRY_VERIFY(QApplication::activeWindow() && QApplication::activeWindow() != &form());
        QWidget* tool = QApplication::activeWindow();
        if (auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget()))
            QTest::keyClicks(edit, "7");
        press(Qt::Key_Escape);
        QVERIFY(tool->isHidden());
        QVERIFY(form().isEnabled());
        QCOMPARE(work().read("DefaultNames.ins"), jftest::WorkDir::shipped("DefaultNames.ins"));
        QVERIFY(workspace().programs.names().isEmpty());
        QTRY_COMPARE(focusName(), caption);
    }

    void modifiedKeysTypeNothing_data()
    {
        const auto row = jftest::rows<KeysRow>();
        for (const QString pair :
             {"Alt+P=270", "Alt+5=270", "Ctrl+A, 9=9", "Ctrl+X, Ctrl+V=270", "Ctrl+X, Ctrl+Z=270"})
            row(qPrintable(pair), QKeySequence(pair.section('=', 0, 0)), pair.section('=', 1));
    }
    void modifiedKeysTypeNothing()
    {
        auto [keys, shown] = jftest::fetch<KeysRow>();
        start();
        QLineEdit* width = edit("widthEdit");
        width->selectAll();
        QTest::keySequence(width, keys);
        QCOMPARE(width->text(), shown);
        QVERIFY(errors().isEmpty());
    }

    void controlsAreNamedForAssistiveTechnology_data()
    {
        QTest::addColumn<NamedRow>("row");
        const auto row = [](const char* window, const char* control, QAccessible::Role role,
                            const char* name, bool press = false) {
            QTest::addRow("%s %s", window, control) << NamedRow(window, control, role, name, press);
        };
        row("main", "", QAccessible::Window, "Vastel - Jacketforge v1.20");
        row("main", "printerSetupLabel", QAccessible::Button, "Printer Setup", true);
        row("main", "closeMark", QAccessible::Button, "Close", true);
        row("main", "coverKindColumn", QAccessible::Grouping, "Cover kind");
        row("main", "picturesCaption", QAccessible::StaticText, "Your Images");
        row("main", "coverKindLabel8", QAccessible::RadioButton, "CD Disk", true);
        row("main", "previewImage", QAccessible::Graphic, "Cover preview");
        row("main", "programList", QAccessible::List, "Your Programs");
        row("settings", "", QAccessible::Dialog, "Settings");
        row("settings", "acceptLabel", QAccessible::Button, "Accept (Save)", true);
        row("help", "helpText", QAccessible::EditableText, "Help and About");
        row("add program", "programPathEdit", QAccessible::EditableText, "Program Path");
        row("calibration", "topEdit", QAccessible::EditableText, "Distance from the top edge (mm)");
        row("sheet", "coverList", QAccessible::Tree, "Covers on the sheet");
    }
    void controlsAreNamedForAssistiveTechnology()
    {
        auto [window, control, role, name, press] = jftest::fetch<NamedRow>();
        start();
        const QMap<QString, QWidget*> windows{{"main", &form()},   {"settings", &settings()},
                                              {"help", &help()},   {"add program", &addProgram()},
                                              {"sheet", &sheet()}, {"calibration", &calibration()}};
        QWidget* top = windows.value(window);
        QAccessibleInterface* iface = control.isEmpty() ? QAccessible::queryAccessibleInterface(top)
                                                        : accessible(*top, qPrintable(control));
        QCOMPARE(iface->role(), role);
        QCOMPARE(iface->text(QAccessible::Name), name);
        QAccessibleActionInterface* actions = iface->actionInterface();
        QCOMPARE(actions &&
                     actions->actionNames().contains(QAccessibleActionInterface::pressAction()),
                 press);
    }

    void pressActionsAndLiveStates()
    {
        start();
        const QString press = QAccessibleActionInterface::pressAction();
        // The kinds: checkable buttons, the selected one checked; Press selects.
        QAccessibleInterface* column = accessible(form(), "coverKindColumn");
        QCOMPARE(column->childCount(), 8);
        column->child(1)->actionInterface()->doAction(press);
        QCOMPARE(form().selectedCoverKind(), 2);
        QVERIFY(column->child(1)->state().checked && !column->child(0)->state().checked);
        // A caption's Press does what its click does; the preview is
        // described by its picture's file name, the tip line named by the tip
        // it shows.
        platform().fileDialog.answers.enqueue(work().solidBitmap("sunset.bmp", {4, 4}, Qt::red));
        accessible(form(), "importLabel")->actionInterface()->doAction(press);
        QCOMPARE(accessible(form(), "previewImage")->text(QAccessible::Description), "sunset.bmp");
        form().showNextTip();
        const QString tip = child<QLabel>(form(), "tipLabel")->text();
        QVERIFY(!tip.isEmpty());
        QCOMPARE(accessible(form(), "tipLabel")->text(QAccessible::Name), tip);
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
