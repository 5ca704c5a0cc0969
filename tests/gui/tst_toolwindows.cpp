// The windows opened over the main window's panel: the settings, the help
// and the add-program dialog, and the programs the dialog adds; and Escape in
// every tool window.
#include "DataFileFormats.h"
#include "Errors.h"
#include "FileDialogs.h"
#include "HangGuard.h"
#include "ProgramFixture.h"

#include <QClipboard>
#include <QComboBox>
#include <QFocusEvent>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWindow>

using jftest::child;
using jftest::WorkDir;

class TestToolWindows : public QObject, public jftest::ProgramFixture
{
    Q_OBJECT

    // The control focused and the keys pressed there to open it (none: opened directly; an
    // action: triggered), where it opens (-1, -1: not over the panel), the control showing
    // the panel (none: none), whether its close mark greys while pointed at.
    using PanelRow = std::tuple<QString, QString, QPoint, QString, bool>;
    // The file made to hold something (nothing: removed), what is changed (a border width
    // chosen, an interval typed, tips typed at the end), the file then written (nothing: as
    // it was), the border width entry shown (-2: not asked).
    using AcceptRow = std::tuple<QString, QByteArray, QString, QByteArray, int>;
    // What fails, the message told.
    using FailureRow = std::tuple<QString, QString>;
    // The interval typed, what follows (waiting, leaving the box, closing or accepting the
    // window), the tick the warning comes on (0: at once, -1: never), whether the tips'
    // period started again.
    using IntervalRow = std::tuple<QString, QString, int, bool>;
    // The program's file, what it holds, the name given.
    using NamesRow = std::tuple<QString, QByteArray, QString>;
    // The command line, the program started and its arguments.
    using CommandRow = std::tuple<QString, QString, QStringList>;

    QString texts(std::initializer_list<const char*> boxes)
    {
        QStringList shown;
        for (const char* box : boxes)
            shown << edit(settings(), box)->text();
        return shown.join('|');
    }

private slots:
    void init() { renew(); }
    void cleanup() { clear(); }

    void opensOverThePanel_data()
    {
        const auto row = jftest::rows<PanelRow>();
        row("Settings", "settingsLabel", "Space", QPoint(514, 370), "backgroundImage", true);
        row("Help", "helpLabel", "Space", QPoint(514, 370), "panelImage", false);
        row("Help by F1", "widthEdit", "F1", QPoint(514, 370), "panelImage", false);
        row("Add program", "addProgramLabel", "Space", QPoint(), "", false);
        row("Calibration", "widthEdit", "", QPoint(-1, -1), "", false);
        row("Sheet", "widthEdit", "sheetAction", QPoint(-1, -1), "", false);
    }
    // Escape closes a tool window as its "X" (or "Cancel") does: what was
    // typed is dropped, and the focus goes back where it was. A window over
    // the panel disables the main window, which then can be neither used nor
    // dragged; its close mark closes it.
    void opensOverThePanel()
    {
        auto [control, keys, at, background, hoverGrey] = jftest::fetch<PanelRow>();
        jf::MainWindow& main = show();
        const auto open = [&, control = control, keys = keys] {
            focus(qPrintable(control));
            if (keys.isEmpty())
                calibration().open("queue", std::nullopt, QPointF());
            else
                keys.endsWith("Action") ? trigger(qPrintable(keys)) : press(keys);
            QTRY_VERIFY(QApplication::activeWindow() && QApplication::activeWindow() != &main);
        };
        open();
        QWidget* tool = QApplication::activeWindow();
        if (auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget()))
            QTest::keyClicks(box, "7");
        press("Esc");
        QVERIFY(tool->isHidden() && main.isEnabled());
        QCOMPARE(work().read("DefaultNames.ins"), WorkDir::shipped("DefaultNames.ins"));
        QTRY_COMPARE(focusName(), control);
        if (at.x() < 0)
            return;
        open();
        QVERIFY(tool->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(!main.isEnabled() && tool->isEnabled());
        if (!background.isEmpty()) {
            QCOMPARE(tool->geometry(), QRect(at, QSize(502, 390)));
            QCOMPARE(child<jf::ImageControl>(*tool, qPrintable(background))->picture().data(),
                     main.panelPicture().data());
        }
        // Window managers keep only dialog-type transients above their parent.
        if (qobject_cast<jf::HelpWindow*>(tool))
            QCOMPARE(tool->windowHandle()->transientParent(), main.windowHandle());
        click("coverKindLabel3");
        auto* handle = child(main, "backgroundImage");
        QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(300, 20));
        QMouseEvent move(QEvent::MouseMove, QPointF(330, 15), main.mapToGlobal(QPointF(330, 15)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(handle, &move);
        QCOMPARE(main.pos(), QPoint(384, 280));
        QCOMPARE(tool->pos(), at);
        QCOMPARE(main.selectedCoverKind(), 1);
        auto* mark = child<QLabel>(*tool, "closeMark");
        const QString before = mark->palette().color(QPalette::WindowText).name();
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), mark->mapToGlobal(QPointF(2, 2)));
        QEvent leave(QEvent::Leave);
        QStringList colours;
        for (QEvent* event : std::initializer_list<QEvent*>{&enter, &leave}) {
            QApplication::sendEvent(mark, event);
            colours << mark->palette().color(QPalette::WindowText).name();
        }
        QCOMPARE(colours, hoverGrey ? (QStringList{"#808080", "#000000"}) : QStringList(2, before));
        click(*tool, "closeMark");
        QVERIFY(!tool->isVisible() && main.isEnabled());
        click("coverKindLabel3");
        QCOMPARE(main.selectedCoverKind(), 3);
        QVERIFY(errors().isEmpty());
        QVERIFY(workspace().programs.names().isEmpty());
    }

    // The settings window shows the files as they are: odd lines in the
    // width column, even ones in the height column, unconverted; a short
    // names file leaves the last boxes empty. "Default Settings" fills the
    // boxes; "Cancel" writes nothing and drops the sizes typed in the main
    // window and not saved; the window shows the files again when it opens.
    // A list cleared stays cleared after "Cancel"; its files follow when the
    // main window closes.
    void settingsShowTheFiles()
    {
        const QByteArray entry = "entry\r\n";
        start({{"ProgramsNames.txt", entry},
               {"ProgramsPaths.txt", entry},
               {"PicturesNames.txt", entry},
               {"PicturesPaths.txt", entry}});
        form().selectCoverKind(3);
        edit("widthEdit")->setText("200");
        form().selectCoverKind(2);
        edit("heightEdit")->setText("99");
        const QByteArray sizes = "0270\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r"
                                 "\n13\r\n14\r\n15\r\n16\r\n";
        const QByteArray names = "A\r\nB\r\nC\r\nD\r\nE\r\nA name of sixteen\r\n";
        work().write("DefaultSizes.ins", sizes);
        work().write("DefaultNames.ins", names);
        work().write("DefaultSettings.ins", "3\r\nPurple\r\n12345\r\n");
        work().write("Tips.txt", "One\r\nTwo");
        trigger("settingsAction");
        const auto boxes = {"widthEdit1", "heightEdit1", "widthEdit2",  "heightEdit8",
                            "nameEdit6",  "nameEdit7",   "intervalEdit"};
        QCOMPARE(texts(boxes), "0270|2|3|16|A name of sixteen||12345");
        QCOMPARE(child<QComboBox>(settings(), "borderColourBox")->currentText(), "Purple");
        QCOMPARE(child<QPlainTextEdit>(settings(), "tipsEdit")->toPlainText(), "One\nTwo");
        click(settings(), "defaultSizesLabel");
        click(settings(), "defaultNamesLabel");
        QCOMPARE(texts({"widthEdit1", "heightEdit7", "nameEdit8"}), "270|118|CD Disk");
        click(settings(), "clearProgramsLabel");
        click(settings(), "cancelLabel");
        QCOMPARE(child<QListWidget>(form(), "programList")->count(), 0);
        QCOMPARE(child<QListWidget>(form(), "pictureList")->count(), 1);
        QCOMPARE(work().read("DefaultSizes.ins") + work().read("DefaultNames.ins"), sizes + names);
        QCOMPARE(form().selectedCoverKind(), 2);
        QCOMPARE(edit("widthEdit")->text() + " x " + edit("heightEdit")->text(), "3 x 4");
        QCOMPARE(workspace().sizes.width(3), 5);
        trigger("settingsAction");
        QCOMPARE(texts(boxes), "0270|2|3|16|A name of sixteen||12345");
        click(settings(), "clearPicturesLabel");
        click(settings(), "cancelLabel");
        QCOMPARE(work().read("ProgramsNames.txt") + work().read("PicturesNames.txt"),
                 entry + entry);
        form().close();
        QCOMPARE(work().read("ProgramsNames.txt") + work().read("PicturesNames.txt"), QByteArray());
        QVERIFY(errors().isEmpty());
        // A folder in place of the names file: opening fills the sizes only,
        // "Accept" writes the sizes and stops at the names, "Cancel" reads the
        // sizes back into the main window and stops too; the window stays, over
        // an enabled main window.
        renew();
        start();
        work().write("DefaultSizes.ins", WorkDir::shipped("DefaultSizes.ins").replace("270", "99"));
        work().remove("DefaultNames.ins");
        QVERIFY(QDir().mkdir(work().data("DefaultNames.ins")));
        trigger("settingsAction");
        QCOMPARE(texts({"widthEdit1", "nameEdit1"}), "99|");
        edit(settings(), "widthEdit1")->setText("98");
        click(settings(), "acceptLabel");
        QVERIFY(work().read("DefaultSizes.ins").startsWith("98\r\n"));
        click(settings(), "cancelLabel");
        QCOMPARE(errors().size(), 3);
        QVERIFY(errors()[0].contains("DefaultNames.ins"));
        QVERIFY(settings().isVisible() && form().isEnabled());
        QCOMPARE(workspace().sizes.width(1), 98);
    }

    void acceptWritesOnlyWhatChanged_data()
    {
        const auto row = jftest::rows<AcceptRow>();
        const QString settings = "DefaultSettings.ins", tips = "Tips.txt";
        const QByteArray none, gray7("7\r\nGray\r\n6000\r\n"), ctrlZ("A\r\n\032B\r\n");
        // The tips box holds the file's text exactly: every other byte comes back.
        const QByteArray odd("No-break\xc2\xa0space\r\nLine\xe2\x80\xa8separator\r\n"
                             "Para\xe2\x80\xa9separator\r\n\tTab and blanks  \r\n"
                             "Lone\rCR\r\nNot UTF-8 \xff\xfe\xc3\r\nMark \xef\xa3\xbf\r\n");
        row("shipped files", settings, WorkDir::shipped(settings), "", none, 1);
        row("3 px", settings, QByteArray("3\r\nRed\r\n6000\r\n"), "", none, 3);
        row("width no entry offers", settings, gray7, "", none, -1);
        row("width with a sign", settings, QByteArray("+2\r\nGray\r\n6000\r\n"), "", none, 2);
        row("width chosen", settings, gray7, "2 px", QByteArray("2\r\nGray\r\n6000\r\n"), -1);
        // Line 1 fails to convert: the colour and interval were not shown;
        // only the typed interval is written, the other lines stay the file's.
        row("settings line 1 damaged, interval typed", settings, QByteArray("x\r\nRed\r\n2000\r\n"),
            "1500", QByteArray("x\r\nRed\r\n1500\r\n"), -2);
        row("last tip without line end", tips, QByteArray("A\r\n\r\nB"), "", none, -2);
        row("tips with LF", tips, QByteArray("x\n"), "", none, -2);
        row("names missing", "DefaultNames.ins", none, "", none, -2);
        row("tips over the ceiling", tips, QByteArray(1360 * 1024, 'T'), "", none, -2);
        row("sizes over the ceiling", "DefaultSizes.ins", QByteArray(1100 * 1024, '1'), "", none,
            -2);
        row("odd characters", tips, odd, "", none, -2);
        row("odd characters, typed", tips, odd, "new", odd + "new", -2);
        row("Ctrl+Z", tips, ctrlZ, "", none, -2);
        row("Ctrl+Z, typed", tips, ctrlZ, "new", QByteArray("A\r\nnew\032B\r\n"), -2);
    }
    // "Accept (Save)" writes a file only where the user changed what it
    // holds; what could not be read stays byte for byte.
    void acceptWritesOnlyWhatChanged()
    {
        auto [file, content, typed, written, border] = jftest::fetch<AcceptRow>();
        const jftest::HangGuard hang(30);
        QMap<QString, QByteArray> files;
        start([&](const WorkDir& folder) {
            content.isEmpty() ? folder.remove(file) : folder.write(file, content);
            for (const char* name :
                 {"DefaultSizes.ins", "DefaultNames.ins", "DefaultSettings.ins", "Tips.txt"})
                files[name] = folder.read(name);
        });
        trigger("settingsAction");
        auto* widths = child<QComboBox>(settings(), "borderWidthList");
        if (border > -2)
            QCOMPARE(widths->currentIndex(), border);
        auto* tips = child<QPlainTextEdit>(settings(), "tipsEdit");
        tips->moveCursor(QTextCursor::End);
        if (typed == "2 px") {
            widths->setCurrentIndex(1);
            QTest::keyClick(widths, Qt::Key_Down); // the user's choice
        } else if (typed == "new") {
            tips->insertPlainText(typed);
        } else if (!typed.isEmpty()) {
            edit(settings(), "intervalEdit")->setText(typed);
        }
        const bool failed = !errors().isEmpty();
        click(settings(), "acceptLabel");
        files[file] = written.isEmpty() ? files[file] : written;
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            QCOMPARE(work().read(it.key()), it.value());
        QCOMPARE(settings().isVisible(), failed);
        if (typed == "2 px")
            QCOMPARE(workspace().preferences.borderWidth, 2);
    }

    void failedRefresh_data()
    {
        const auto row = jftest::rows<FailureRow>();
        row("names file missing", "names", "DefaultNames.ins");
        row("size line 26S", "26S", "'26S' is not a valid integer value.");
        row("x- accepted in a width box", "x-", "'x-' is not a valid integer value.");
        row("empty width box", "", "'' is not a valid integer value.");
    }
    // After a failed refresh the settings window stays over an enabled main
    // window with no kind selected; closing the main window still ends the
    // program.
    void failedRefresh()
    {
        auto [failure, message] = jftest::fetch<FailureRow>();
        const jftest::HangGuard hang(30);
        show();
        QString state;
        QTimer::singleShot(0, [&] {
            trigger("settingsAction");
            if (failure == "names") {
                work().remove("DefaultNames.ins");
                click(settings(), "cancelLabel");
            } else if (failure == "26S") {
                work().write("DefaultSizes.ins", "26S\r\n");
                click(settings(), "closeMark");
            } else {
                edit(settings(), "widthEdit1")->setText(failure);
                click(settings(), "acceptLabel");
            }
            state = QString("%1 %2 %3")
                        .arg(settings().isVisible())
                        .arg(form().isEnabled())
                        .arg(form().selectedCoverKind());
            form().close();
        });
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(state, failure == "names" ? "1 1 1" : "1 1 0"); // the sizes were read
        QCOMPARE(errors().size(), 1);
        QVERIFY2(errors().first().contains(message), qPrintable(errors().first()));
        if (failure.isEmpty() || failure == "x-")
            QVERIFY(work()
                        .read("DefaultSizes.ins")
                        .startsWith(failure.toLatin1() + "\r\n184\r\n265\r\n"));
    }

    void intervalChange_data()
    {
        const auto row = jftest::rows<IntervalRow>();
        row("below 1000: third tick", "999", "wait", 3, false);
        row("a further 0 cancels", "9990", "wait", -1, false);
        row("leaving with 500", "500", "leave", 0, false);
        row("leaving with 1000", "1000", "leave", -1, false);
        row("closed before the third tick", "500", "cancel", 3, false);
        row("accepted, same interval", "300", "accept", 3, false);
        row("accepted, other interval", "400", "accept", 3, true);
        row("accepted, 0 stops", "0", "accept", 3, false);
    }
    // An interval below 1000 is warned about on the third tick, or at once
    // when the box is left. Once accepted, a changed interval restarts the
    // tips' period, 0 stops them (the last tip stays), and a shorter list of
    // tips starts again at its first.
    void intervalChange()
    {
        auto [typed, then, warnedOnTick, restarted] = jftest::fetch<IntervalRow>();
        start({{"DefaultSettings.ins", "1\r\nGray\r\n300\r\n"},
               {"Tips.txt", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n"}});
        const QStringList& warnings = platform().messages.messages;
        auto* timer = child<QTimer>(settings(), "warningTimer");
        timer->setInterval(20);
        int ticks = 0, warnedAt = -1;
        connect(timer, &QTimer::timeout, [&] {
            ++ticks;
            warnedAt = warnedAt < 0 && !warnings.isEmpty() ? ticks : warnedAt;
        });
        auto* tipTimer = child<QTimer>(form(), "tipTimer");
        for (int tick = 1; tick <= 5; ++tick)
            form().showNextTip();
        tipTimer->start(); // a fresh period, to measure against
        trigger("settingsAction");
        QLineEdit* interval = edit(settings(), "intervalEdit");
        interval->setFocus();
        press("Ctrl+A", interval);
        QTest::keyClicks(interval, typed);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        if (then == "leave")
            QApplication::sendEvent(interval, &out);
        else if (then == "cancel")
            click(settings(), "cancelLabel");
        warnedAt = warnings.isEmpty() ? -1 : 0;
        if (then == "accept") {
            child<QPlainTextEdit>(settings(), "tipsEdit")->setPlainText("A\nB\nC\n");
            QTest::qWait(150);
            click(settings(), "acceptLabel");
            QCOMPARE(tipTimer->isActive(), typed != "0");
            QCOMPARE(tipTimer->isActive() && tipTimer->remainingTime() > 200, restarted);
            QCOMPARE(caption("tipLabel"), "5");
            form().showNextTip();
            QCOMPARE(caption("tipLabel"), "A");
        }
        QTest::qWait(200);
        QCOMPARE(warnedAt, warnedOnTick);
        QCOMPARE(warnings, QStringList(warnedOnTick < 0 ? 0 : 1, "Your tips wil change very "
                                                                 "rapidly, if you are not sure, "
                                                                 "change it back"));
        QVERIFY(!timer->isActive());
        QVERIFY(errors().isEmpty());
    }

    void programNames_data()
    {
        const auto row = jftest::rows<NamesRow>();
        const QByteArray none;
        row("no extension", "openbox", none, "openbox");
        row("extension", "Editor.exe", none, "Editor");
        row("numbers", "python3.11", none, "python3.11");
        row("hidden", ".tool", none, ".tool");
        row("desktop entry", "a.desktop",
            QByteArray("[Desktop Action New]\nName=New\n[Desktop Entry]\nName[xx]=Malen\nName = "
                       "Paint\\sBox\n"),
            "Paint Box");
        row("no Name", "tool.desktop", QByteArray("[Desktop Entry]\n"), "tool");
    }
    // The program dialog lists desktop entries beside programs, and names
    // what is chosen by its file, or by the entry's name.
    void programNames()
    {
        auto [file, content, name] = jftest::fetch<NamesRow>();
        const QString path = work().put(file, content);
        QCOMPARE(jf::programNameFromPath(path), name);
        QCOMPARE(jf::listedAsProgram(QFileInfo(path)), file.endsWith(".desktop"));
        QCOMPARE(jf::desktopEntryName(content, "xx_YY.UTF-8"),
                 content.contains("xx") ? "Malen" : "");
    }

    void commandStart_data()
    {
        const auto row = jftest::rows<CommandRow>();
        row("with arguments", "/bin/true -n \"a b\"", "/bin/true", QStringList{"-n", "a b"});
        row("missing program", "/no/such/program --x", "/no/such/program", QStringList{"--x"});
        row("empty", "", "", QStringList());
        // An executable whose path holds blanks runs as it stands.
        row("blanks in the path", "My Tools/cover tool", "My Tools/cover tool", QStringList());
    }
    // A program of the list is started by the desktop's own service,
    // detached; a failure is ignored.
    void commandStart()
    {
        auto [line, program, arguments] = jftest::fetch<CommandRow>();
        if (line.startsWith("My Tools")) {
            QDir().mkpath(work().path() + "/My Tools");
            QFile::setPermissions(work().put(line, "#!/bin/sh\n"),
                                  QFile::ReadOwner | QFile::ExeOwner);
            line = program = work().path() + "/" + line;
        }
        QCOMPARE(jf::commandStartFor(line).program, program);
        QCOMPARE(jf::commandStartFor(line).arguments, arguments);
        jf::restoreDesktopPlatform();
        jf::platform().shell->startCommand(line);
    }

    void addProgramDialog()
    {
        start();
        jf::AddProgramDialog& dialog = addProgram();
        QLineEdit* path = edit(dialog, "programPathEdit");
        QLineEdit* name = edit(dialog, "programNameEdit");
        const auto browse = [&](const QString& answer) {
            platform().fileDialog.answers.enqueue(answer);
            click(dialog, "browseLabel");
            return path->text() + "|" + name->text();
        };
        // Browse replaces the default name once; OK appends path, then name.
        click("addProgramLabel");
        QCOMPARE(browse("/usr/local/bin/Editor.exe"), "/usr/local/bin/Editor.exe|Editor");
        QCOMPARE(browse("/usr/bin/other.bin"), "/usr/bin/other.bin|Editor");
        QVERIFY(platform().fileDialog.requests.last().executablesOnly);
        QCOMPARE(platform().fileDialog.requests.last().initialFile, "/usr/local/bin/Editor.exe");
        click(dialog, "okLabel");
        QVERIFY(!dialog.isVisible());
        // A name differing only in case is kept; Cancel adds nothing and resets.
        click("addProgramLabel");
        QCOMPARE(path->text() + "|" + name->text(), "|My Program Name");
        name->setText("my program name");
        QCOMPARE(browse("/usr/bin/tool.bin"), "/usr/bin/tool.bin|my program name");
        click(dialog, "cancelLabel");
        // Untouched boxes are appended as they are.
        click("addProgramLabel");
        click(dialog, "okLabel");
        QCOMPARE(workspace().programs.paths(), (QStringList{"/usr/bin/other.bin", ""}));
        QCOMPARE(workspace().programs.names(), (QStringList{"Editor", "My Program Name"}));
        QCOMPARE(child<QListWidget>(form(), "programList")->item(1)->text(), "My Program Name");
    }

    // Pasted line breaks become blanks in every box; a picture whose path
    // holds one loads but is not listed; the files written read back.
    void entriesStayOneLine()
    {
        show();
        const auto paste = [](QLineEdit* edit, const QString& text) {
            QGuiApplication::clipboard()->setText(text);
            edit->setFocus();
            press("Ctrl+A, Ctrl+V", edit);
        };
        click("settingsLabel");
        paste(edit(settings(), "nameEdit1"), "Ab\u2028C\r\nD");
        paste(edit(settings(), "widthEdit1"),
              "\r27"); // a blank before a number reads as the number
        paste(edit(settings(), "intervalEdit"), "\n6000");
        paste(child<QComboBox>(settings(), "borderColourBox")->lineEdit(), "Red\nBlue");
        click(settings(), "acceptLabel");
        QCOMPARE(work().read("DefaultSettings.ins"), "1\r\nRed Blue\r\n 6000\r\n");
        click("addProgramLabel");
        paste(edit(addProgram(), "programPathEdit"), "/bin/two\nlines");
        paste(edit(addProgram(), "programNameEdit"), "Two\u2029Lines");
        click(addProgram(), "okLabel");
        const QString odd = work().solidBitmap("two\nlines.bmp", QSize(4, 4), Qt::red);
        platform().fileDialog.answers << odd << odd;
        trigger("importAction");
        trigger("addPictureAction");
        QCOMPARE(form().currentImagePath(), odd);
        QCOMPARE(
            errors(),
            QStringList{
                "This picture's file name contains a line break and cannot be kept in the list."});
        form().close();
        QCOMPARE(work().read("ProgramsNames.txt") + work().read("ProgramsPaths.txt"),
                 "Two Lines\r\n/bin/two lines\r\n");
        QCOMPARE(work().read("PicturesPaths.txt"), QByteArray());
        // After a restart every caption stays on its kind.
        start();
        QCOMPARE(workspace().coverNames.first() + "|" + workspace().coverNames.last(),
                 "Ab C D|CD Disk");
        QCOMPARE(edit("widthEdit")->text(), "27");
        QCOMPARE(errors().size(), 1);
        // The writers refuse what a box would not let through; a pair of
        // list files is written whole or not at all.
        jf::Favourites programs(jf::datafile::programsNames, jf::datafile::programsPaths);
        programs.append("Editor", "/usr/bin/ed\r");
        QVERIFY_THROWS_EXCEPTION(jf::Error, programs.save(workspace().folder));
        QCOMPARE(work().read("ProgramsNames.txt"), "Two Lines\r\n");
        QVERIFY_THROWS_EXCEPTION(
            jf::Error, jf::writeSettingsFile(work().data("DefaultNames.ins"), {"a\u2028b"}));
        QVERIFY(work().read("DefaultNames.ins").startsWith("Ab C D\r\n"));
    }

    // The help describes the program as it is, its parts in order, each
    // heading on a line of its own; until the program ends it keeps what was
    // typed in it.
    void helpText()
    {
        show();
        click("helpLabel");
        auto* text = child<QTextEdit>(help(), "helpText");
        const QString plain = text->toPlainText();
        const auto inOrder = [](QStringList parts, const QString& between, const QString& in) {
            for (QString& part : parts)
                part = QRegularExpression::escape(part);
            return in.contains(QRegularExpression(parts.join(between),
                                                  QRegularExpression::DotMatchesEverythingOption));
        };
        QVERIFY(inOrder({"\nTable of Contents", "ABOUT THIS PROGRAM", "HOW TO USE", "Help Button",
                         "Print Buttons", "Settings button", "Item Menu", "Main workspace. ",
                         "TROUBLESHOOTING", "CONTACT\n"},
                        "\\n.*\\n", plain));
        QVERIFY(inOrder(QStringList{"A right click on the window shows a small menu with"} +
                            entries(child<QMenu>(form(), "mainMenu")),
                        ".*", plain.simplified()));
        for (const char* subject : {"Print Calibration Page", "Calibration.txt", "drop a picture",
                                    "Open With", "jacketforge PICTURE", "WebP, TIFF, GIF, SVG"})
            QVERIFY2(plain.simplified().contains(subject), subject);
        QTest::keyClick(text, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClicks(text, "my own note ");
        click(help(), "closeMark");
        click("helpLabel");
        QCOMPARE(text->toPlainText(), "my own note " + plain);
        start();
        QCOMPARE(child<QTextEdit>(help(), "helpText")->toPlainText(), plain);
    }
};

QTEST_MAIN(TestToolWindows)
#include "tst_toolwindows.moc"
