// The main window: the cover kinds and their sizes, the preview and the
// pictures put in it, the lists, the tips, the menus, dragging and closing;
// and the program without a mouse: the Tab order, the keys, and what
// assistive technology is told about the controls.
#include "Application.h"
#include "ErrorReport.h"
#include "FileDialogs.h"
#include "PicturePreview.h"
#include "ProgramFixture.h"
#include "WindowDrag.h"
#include "WindowLook.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QTreeWidget>
#include <QWindow>

using jf::ImageControl;
using jftest::child;
using jftest::WorkDir;

class TestMainWindow : public QObject, public jftest::ProgramFixture
{
    Q_OBJECT

    // The file spoiled (none: no Data folder at all) and what it then holds (nothing:
    // removed), the message told (%1: the file), kind 3's sizes after.
    using DamagedRow = std::tuple<QString, QByteArray, QString, QString>;
    // What is typed, what the box shows.
    using TypedRow = std::tuple<QString, QString>;
    // The names dropped (in the working folder, or web addresses), the one loaded (none:
    // none), the message told.
    using DropRow = std::tuple<QStringList, QString, QString>;
    // The tips file, the tips skipped, the tips line's texts from then on.
    using TipsRow = std::tuple<QByteArray, int, QStringList>;
    // The control, how its menu is asked for (a right click, Shift+F10 or the Menu key),
    // the menu, its entries apart by "|".
    using MenusRow = std::tuple<QString, QString, QString, QString>;
    // Where the press is, the control under it, how far the window moves.
    using DragRow = std::tuple<QPoint, QString, QPoint>;
    // The control (none: the main window; settings: that window), its role and name,
    // whether it can be pressed.
    using NamedRow = std::tuple<QString, QAccessible::Role, QString, bool>;

    QString boxes() { return edit("widthEdit")->text() + " x " + edit("heightEdit")->text(); }
    // The kind selected, its boxes, and the kind tabs as drawn (1 pressed,
    // 0 raised, - not drawn): "2: 265 x 184 01000000".
    QString state()
    {
        QString drawn;
        for (int kind = 1; kind <= 8; ++kind) {
            const auto& tab =
                child<ImageControl>(form(), qPrintable(QString("coverKindButton%1").arg(kind)))
                    ->picture();
            drawn += tab.isNull() ? '-' : "01"[tab.data() == form().pictures().buttonDown.data()];
        }
        return QString("%1: %2 %3").arg(form().selectedCoverKind()).arg(boxes(), drawn);
    }
    ImageControl* preview() { return child<ImageControl>(form(), "previewImage"); }
    QListWidget* list(const char* name) { return child<QListWidget>(form(), name); }
    void rightClick(QWidget* control, QPoint at)
    {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, control->mapToGlobal(at));
        QApplication::sendEvent(control, &event);
    }

    QAccessibleInterface* accessible(const QObject& parent, const char* name)
    {
        return QAccessible::queryAccessibleInterface(child<QObject>(parent, name));
    }

private slots:
    void init() { renew(); }
    void cleanup() { clear(); }

    // What the start leaves until after the first frame runs once: when the
    // window is painted, or after a second for one that never is.
    void afterFirstFrame_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::newRow("painted") << true;
        QTest::newRow("never shown") << false;
    }
    void afterFirstFrame()
    {
        QFETCH(bool, shown);
        start();
        int runs = 0;
        jf::afterFirstFrame(form(), [&runs] { ++runs; });
        QCOMPARE(runs, 0);
        if (shown)
            form().show();
        QTRY_COMPARE_WITH_TIMEOUT(runs, 1, 3000);
        QTest::qWait(1100);
        QCOMPARE(runs, 1);
    }

    // The controls are built in the window font while Qt's default font, that
    // of menus and message boxes, stays the desktop's.
    void buildingKeepsTheDefaultFont()
    {
        const QFont before = QGuiApplication::font();
        start();
        QCOMPARE(QGuiApplication::font(), before);
        QCOMPARE(child(form(), "widthEdit")->font(), jf::windowFont());
        auto* menu = child<QMenu>(form(), "mainMenu");
        QCOMPARE(menu->font(), QApplication::font(menu));
    }

    void startWithDamagedData_data()
    {
        const auto row = jftest::rows<DamagedRow>();
        row("no Data folder", "", QByteArray(),
            "Cannot open file \"%1/Data/ProgramsNames.txt\". No such file or directory.", "0 x 0");
        row("tips gone", "Tips.txt", QByteArray(), "File not found: \"%1\"", "280 x 184");
        row("sizes cut short", "DefaultSizes.ins",
            QByteArray("270\r\n184\r\n265\r\n184\r\n280\r\n184\r\n\r\n"),
            "'' is not a valid integer value.", "280 x 184");
    }
    // The failure is told, the window shows what was read and no kind is
    // selected, "Default Settings" included, until one is picked.
    void startWithDamagedData()
    {
        auto [file, content, message, kind3] = jftest::fetch<DamagedRow>();
        renew(!file.isEmpty());
        start([&](const WorkDir& folder) {
            if (file.isEmpty())
                return;
            folder.write("PicturesNames.txt", "Summer\r\n");
            folder.write("PicturesPaths.txt", "/pictures/Summer.jpg\r\n");
            content.isEmpty() ? folder.remove(file) : folder.write(file, content);
        });
        QCOMPARE(errors(), QStringList{message.arg(file.isEmpty() ? QDir::currentPath()
                                                                  : work().data(file))});
        click("restoreSizesLabel");
        QCOMPARE(state(), "0: 0 x 0 --------");
        QCOMPARE(caption("coverKindLabel4"), "DVD Inside"); // built in where not read
        QCOMPARE(list("pictureList")->count(), file.isEmpty() ? 0 : 1);
        QCOMPARE(workspace().preferences.borderColour, file == "Tips.txt" ? "Gray" : "");
        QCOMPARE(form().tipInterval(), 6000);
        pick(3);
        QCOMPARE(state(), "3: " + kind3 + " 00100000");
    }

    void digitFilter_data()
    {
        const auto row = jftest::rows<TypedRow>();
        for (const QString pair :
             {"123=123", "1a2=12", "-5=5", "4 4=44", "1.5=15", "123456=1234", "Alt+P=270",
              "Alt+5=270", "Ctrl+A, 9=9", "Ctrl+X, Ctrl+V=270", "Ctrl+X, Ctrl+Z=270"})
            row(qPrintable(pair), pair.section('=', 0, 0), pair.section('=', 1));
    }
    // Typed or committed by an input method, only digits go in, four at most;
    // keys held with Alt or Ctrl type nothing.
    void digitFilter()
    {
        auto [typed, shown] = jftest::fetch<TypedRow>();
        start();
        if (typed.contains(QRegularExpression("Alt|Ctrl"))) {
            edit("widthEdit")->selectAll();
            QTest::keySequence(edit("widthEdit"), QKeySequence(typed));
            QCOMPARE(edit("widthEdit")->text(), shown);
            QVERIFY(errors().isEmpty());
            return;
        }
        type("widthEdit", typed);
        type("heightEdit", typed);
        QCOMPARE(boxes(), shown + " x " + shown);
        QTest::keyClick(edit("heightEdit"), Qt::Key_Backspace);
        QCOMPARE(edit("heightEdit")->text(), shown.chopped(1));
        edit("widthEdit")->clear();
        QInputMethodEvent commit;
        commit.setCommitString(typed);
        QApplication::sendEvent(edit("widthEdit"), &commit);
        QCOMPARE(edit("widthEdit")->text(), shown);
    }

    // At start kind 1 is selected. The preview follows the boxes; an equal
    // text (a kind selected again, a square swapped) changes nothing.
    void previewFollowsTheBoxes()
    {
        start();
        QCOMPARE(state(), "1: 270 x 184 10000000");
        QCOMPARE(workspace().folder.baseDir(), QDir::currentPath() + "/");
        QCOMPARE(preview()->geometry(), QRect(145, 105, 356, 243));
        QVERIFY(child<QTimer>(form(), "tipTimer")->isActive());
        int changes = 0;
        for (const char* box : {"widthEdit", "heightEdit"})
            connect(edit(box), &QLineEdit::textChanged, [&] { ++changes; });
        pick(1);
        QCOMPARE(changes, 0);
        // Leading zeros are dropped on re-selection.
        edit("widthEdit")->setText("0270");
        changes = 0;
        pick(1);
        QCOMPARE(boxes(), "270 x 184");
        QCOMPARE(changes, 1);
        trigger("swapSizesAction");
        QCOMPARE(boxes(), "184 x 270");
        QCOMPARE(preview()->size(), QSize(188, 276));
        pick(6);
        changes = 0;
        trigger("swapSizesAction");
        QCOMPARE(changes, 0);
        pick(4);
        QCOMPARE(preview()->size(), QSize(195, 276));
        type("widthEdit", "0");
        QCOMPARE(preview()->size(), QSize(195, 276));
        type("widthEdit", "8");
        type("heightEdit", "3");
        QCOMPARE(preview()->geometry(), QRect(145, 105, 356, 134));
        // A width of "00" cannot be fitted; a failing refit ends the swap,
        // the height keeps its text.
        type("widthEdit", "00");
        QCOMPARE(errors(), QStringList{"Floating point division by zero."});
        QCOMPARE(preview()->size(), QSize(356, 276));
        edit("widthEdit")->setText("270");
        edit("heightEdit")->setText("00");
        trigger("swapSizesAction");
        QCOMPARE(errors().last(), "Invalid floating point operation.");
        QCOMPARE(boxes(), "00 x 00");
        // A failed selection still ends on a kind, with its own sizes.
        renew();
        start();
        // An empty box: the preview stays, and the kind cannot change; the
        // height was stored before the width failed.
        type("heightEdit", "150");
        const QSize fitted = preview()->size();
        type("widthEdit", "");
        QCOMPARE(preview()->size(), fitted);
        pick(2);
        QCOMPARE(errors(), QStringList{"'' is not a valid integer value."});
        QCOMPARE(state(), "1:  x 150 10000000");
        QCOMPARE(workspace().sizes.height(1), 150);
        // "00": kind 5's height beside it cannot be fitted.
        edit("widthEdit")->setText("00");
        pick(5);
        QCOMPARE(errors().last(), "Floating point division by zero.");
        QCOMPARE(state(), "5: 121 x 121 00001000");
        QCOMPARE(workspace().sizes.width(1), 0);
        // "Default Settings" in the same state ends with the kind selected.
        edit("widthEdit")->setText("00");
        pick(1);
        edit("widthEdit")->setText("00");
        click("restoreSizesLabel");
        QCOMPARE(state(), "1: 270 x 184 10000000");
        // A stored size longer than a box takes shows whole: typing cannot make
        // it longer, deleting can. Typed sizes are stored on a kind when a kind
        // is selected, the same one too; "Save Settings" writes what is stored,
        // "Default Settings" reads back what was saved.
        const QByteArray sizes = "12345\r\n-184\r\n" + WorkDir::shipped("DefaultSizes.ins").mid(10);
        renew();
        start({{"DefaultSizes.ins", sizes}});
        QCOMPARE(boxes(), "12345 x -184");
        QLineEdit* width = edit("widthEdit");
        width->setFocus();
        width->end(false);
        QTest::keyClicks(width, "7");
        QCOMPARE(width->text(), "12345");
        press("Backspace, Backspace, 9, 9", width);
        QCOMPARE(width->text(), "1239");
        click("saveSizesLabel");
        QCOMPARE(work().read("DefaultSizes.ins"), sizes);
        pick(1);
        click("saveSizesLabel");
        QVERIFY(work().read("DefaultSizes.ins").startsWith("1239\r\n-184\r\n265\r\n"));
        type("widthEdit", "201");
        pick(2);
        QCOMPARE(state(), "2: 265 x 184 01000000");
        click("coverKindButton1");
        QCOMPARE(boxes(), "201 x -184");
        pick(3);
        type("heightEdit", "99");
        click("restoreSizesLabel");
        QCOMPARE(state(), "3: 280 x 184 00100000");
        QCOMPARE(workspace().sizes.width(1), 1239);
        QVERIFY(errors().isEmpty());
    }

    // The picture dialog opens first where pictures are (the Pictures folder,
    // else home), then on the file chosen last; a cancel loads nothing, a
    // load does not refit. "View Image" hands the path on, and says when the
    // desktop has no viewer, also when xdg-open ends with 3 for none.
    void importViewAndDispose()
    {
        start();
        const QString home = work().path(), jpe = home + "/photo.JPE";
        const QString path = qEnvironmentVariable("PATH");
        const auto restore =
            jftest::setEnvironment("HOME=" + home + "|XDG_CONFIG_HOME|PATH=" + path);
        QCOMPARE(jf::picturesFolder(), home); // no Pictures folder: home
        QVERIFY(QDir(home).mkdir("Pictures"));
        const QString bmp = work().solidBitmap("PHOTO.BMP", QSize(40, 20), Qt::red);
        QVERIFY(QImage(8, 6, QImage::Format_RGB32).save(jpe, "JPG"));
        const auto placeholder = [&] {
            return preview()->picture().data() == form().pictures().placeholder.data();
        };
        click("viewImageLabel");
        QCOMPARE(platform().shell.opened, QStringList{QString()});
        platform().fileDialog.answers << std::nullopt << bmp << jpe;
        click("importLabel");
        QVERIFY(placeholder());
        click("importLabel");
        QCOMPARE(preview()->picture().size(), QSize(40, 20));
        QCOMPARE(preview()->size(), QSize(356, 243));
        trigger("importAction");
        QCOMPARE(form().previewPicture().size(), QSize(8, 6));
        const QList<jf::OpenFileRequest>& requests = platform().fileDialog.requests;
        QCOMPARE(requests[0].initialFolder, home + "/Pictures");
        QCOMPARE(requests[2].initialFile, bmp);
        QCOMPARE(requests[0].filterIndex, 1);
        // Named without regard to case: "Graphic" lists every JPEG ending.
        const QStringList filters = jf::caseInsensitiveNameFilters(requests[0].filter);
        QCOMPARE(filters.value(1), "Graphic (*.[jJ][pP][gG] *.[jJ][pP][eE][gG] *.[jJ][pP][eE])");
        QCOMPARE(filters.last(), "Other (*)");
        trigger("disposeAction");
        QVERIFY(placeholder());
        trigger("viewImageAction");
        QCOMPARE(platform().shell.opened.last(), jpe);
        platform().shell.hasViewer = false;
        trigger("viewImageAction");
        QCOMPARE(errors(), QStringList{jf::errorReportText(jf::noViewerMessage(jpe))});
        QVERIFY(QDir(home).mkdir("bin"));
        QFile::setPermissions(work().put("bin/xdg-open", "#!/bin/sh\nexit 3\n"),
                              QFile::ExeOwner | QFile::ReadOwner);
        qputenv("PATH", QFile::encodeName(home + "/bin:" + path));
        jf::restoreDesktopPlatform();
        jf::platform().messages = &platform().messages;
        trigger("viewImageAction");
        QTRY_COMPARE(errors().size(), 2);
        QCOMPARE(errors().last(), errors().first());
    }

    void dropLoadsFirstLocalFile_data()
    {
        const auto row = jftest::rows<DropRow>();
        const QString web = "https://example.org/a.png";
        row("png", QStringList{"green.png"}, "green.png", "");
        row("several: the first", QStringList{"green.PNG", "good.bmp"}, "green.PNG", "");
        row("web address first", QStringList{web, "green.png"}, "green.png", "");
        row("web address only", QStringList{web}, "", "");
        row("damaged", QStringList{"cut.png"}, "", "PNG image is not valid.");
    }
    // A failed load keeps the picture shown before.
    void dropLoadsFirstLocalFile()
    {
        auto [dropped, loaded, message] = jftest::fetch<DropRow>();
        start();
        const QString good = work().solidBitmap("good.bmp", QSize(8, 8), Qt::blue);
        form().openPicture(good);
        const QImage green(work().solidBitmap("green.bmp", QSize(30, 20), Qt::green));
        QVERIFY(green.save(work().path() + "/green.png") &&
                green.save(work().path() + "/green.PNG", "PNG"));
        work().put("cut.png", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16));
        QList<QUrl> urls;
        for (const QString& name : dropped)
            urls << (name.startsWith("https:") ? QUrl(name)
                                               : QUrl::fromLocalFile(work().path() + "/" + name));
        QMimeData mime;
        mime.setUrls(urls);
        const QPoint at = preview()->geometry().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&form(), &enter);
        QCOMPARE(enter.isAccepted(), !loaded.isEmpty() || !message.isEmpty());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&form(), &drop);
        QCOMPARE(errors(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(form().currentImagePath(), loaded.isEmpty() ? good : work().path() + "/" + loaded);
        QCOMPARE(preview()->picture().scaledTo(QSize(3, 2)).pixel(1, 1),
                 loaded.isEmpty() ? qRgb(0, 0, 255) : qRgb(0, 255, 0));
        // The picture dialog reopens on a dropped local file, loaded or not.
        trigger("importAction");
        QString expected = good;
        for (qsizetype i = urls.size() - 1; i >= 0; --i)
            expected = urls[i].isLocalFile() ? urls[i].toLocalFile() : expected;
        QCOMPARE(platform().fileDialog.requests.last().initialFile, expected);
    }

    void tipSequence_data()
    {
        const auto row = jftest::rows<TipsRow>();
        QByteArray many;
        for (int i = 0; i < 130; ++i)
            many += QByteArray::number(i) + "\r\n";
        row("an empty one", QByteArray("A\r\n\r\nC\r\n"), 0, QStringList{"", "A", "", "C", "A"});
        row("no tips", QByteArray(), 0, QStringList{"", ""});
        row("130 tips", many, 127, QStringList{"126", "127", "128", "129", "0"});
    }
    // The tips line starts empty and goes round the tips.
    void tipSequence()
    {
        auto [tipsFile, skipped, shown] = jftest::fetch<TipsRow>();
        start({{"Tips.txt", tipsFile}});
        for (int i = 0; i < skipped; ++i)
            form().showNextTip();
        QStringList seen{caption("tipLabel")};
        while (seen.size() < shown.size()) {
            form().showNextTip();
            seen << caption("tipLabel");
        }
        QCOMPARE(seen, shown);
    }

    // Names and tips show as they were read: no markup, a long one cut.
    void textsShowAsRead()
    {
        start({{"DefaultNames.ins", "<b>DVD</b>\r\n" + QByteArray(1000000, 'n') + "\r\n"},
               {"Tips.txt", "<i>tip</i>\r\n"},
               {"PicturesNames.txt", "<u>x</u>\r\n"},
               {"PicturesPaths.txt", "/x.bmp\r\n"}});
        form().showNextTip();
        for (const char* name : {"coverKindLabel1", "tipLabel"})
            QCOMPARE(child<QLabel>(form(), name)->textFormat(), Qt::PlainText);
        QCOMPARE(caption("coverKindLabel1") + caption("tipLabel") +
                     list("pictureList")->item(0)->text(),
                 "<b>DVD</b><i>tip</i><u>x</u>");
        QVERIFY(caption("coverKindLabel2").size() < 10000);
        QCOMPARE(workspace().coverNames[1].size(), 1000000);
    }

    void menus_data()
    {
        const auto row = jftest::rows<MenusRow>();
        const QString main =
            "Print|Print Preview|Stretch to Cover|Fill Cover|Fit in Cover|Add to Sheet|Sheet...|"
            "Disc Label...|Settings|Calibrate Printer...|Close";
        const QString programs = "Start Selected|Add program|Delete Selected";
        row("window", "backgroundImage", "click", "mainMenu", main);
        row("preview", "previewImage", "click", "coverMenu",
            "Import Image|Dispose Image|View Image|Change Height to Width");
        row("pictures", "pictureList", "click", "pictureMenu", "Add Image|Delete Image");
        row("programs", "programList", "click", "programMenu", programs);
        row("Shift+F10 at a caption", "saveSizesLabel", "Shift+F10", "mainMenu", main);
        row("Shift+F10 in a list", "programList", "Shift+F10", "programMenu", programs);
        row("Menu key", "saveSizesLabel", "key", "mainMenu", main);
    }
    void menus()
    {
        auto [control, how, menu, texts] = jftest::fetch<MenusRow>();
        show();
        auto* target = child(form(), qPrintable(control));
        if (auto* list = qobject_cast<QListWidget*>(target); list && how == "click")
            target = list->viewport();
        target->setFocus(Qt::TabFocusReason);
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(), form().mapToGlobal(QPoint()));
        if (how == "click")
            rightClick(target, QPoint(20, 20));
        else if (how == "key") // the window system's menu request
            QApplication::sendEvent(form().windowHandle(), &key);
        else
            QTest::keyClick(target, Qt::Key_F10, Qt::ShiftModifier);
        auto* shown = child<QMenu>(form(), qPrintable(menu));
        QTRY_VERIFY(shown->isVisible());
        for (QMenu* other : form().findChildren<QMenu*>())
            QCOMPARE(other->isVisible(), other == shown);
        QCOMPARE(entries(shown).join('|'), texts);
        shown->hide();
    }

    void closeSavesTheLists_data()
    {
        QTest::addColumn<QString>("how");
        for (const char* how : {"closeLabel", "closeMark", "closeAction", "Ctrl+W", "Ctrl+Q"})
            QTest::newRow(how) << QString(how);
    }
    // Closing saves the lists, each file only when its list changed; the
    // sizes wait for "Save Settings".
    void closeSavesTheLists()
    {
        QFETCH(QString, how);
        show({{"ProgramsNames.txt", "Editor"}, {"ProgramsPaths.txt", "/usr/bin/editor --new"}});
        workspace().pictures.append("Summer", "/home/me/Summer.jpg");
        type("widthEdit", "200");
        if (how.startsWith("Ctrl"))
            QTest::keySequence(&form(), QKeySequence(how));
        else
            how.endsWith("Action") ? trigger(qPrintable(how)) : click(qPrintable(how));
        QVERIFY(!form().isVisible());
        QCOMPARE(work().read("ProgramsNames.txt") + work().read("ProgramsPaths.txt"),
                 "Editor/usr/bin/editor --new");
        QCOMPARE(work().read("PicturesNames.txt") + work().read("PicturesPaths.txt"),
                 "Summer\r\n/home/me/Summer.jpg\r\n");
        QCOMPARE(work().read("DefaultSizes.ins"), WorkDir::shipped("DefaultSizes.ins"));
        QVERIFY(errors().isEmpty());
    }

    // Files that were read only in part, or not at all, are not written over.
    void unreadFilesAreNotOverwritten()
    {
        // A list saved as UTF-16 reads up to its first NUL; a sizes file
        // that fails at kind 4 keeps its lines from there on.
        const QByteArray utf16("S\0u\0m\0\r\0\n\0", 10);
        QByteArray sizes = WorkDir::shipped("DefaultSizes.ins").replace("130\r\n", "13O\r\n");
        show({{"PicturesNames.txt", utf16},
              {"PicturesPaths.txt", "/a.jpg\r\n"},
              {"DefaultSizes.ins", sizes}});
        QCOMPARE(errors(), QStringList{"'13O' is not a valid integer value."});
        pick(2);
        edit("widthEdit")->setText("266");
        pick(3);
        click("saveSizesLabel");
        click("closeLabel");
        QVERIFY(!form().isVisible());
        QCOMPARE(errors().size(), 1);
        sizes.replace("265\r\n", "266\r\n");
        QCOMPARE(work().read("DefaultSizes.ins"), sizes);
        QCOMPARE(work().read("PicturesNames.txt"), utf16);
        // A list file that cannot be read stops start-up; closing then
        // writes none of the lists that were not read, "Save Settings" the
        // sizes as they were. Nor do sheet settings that cannot be read
        // leave the sheet unread.
        show([](const WorkDir& folder) {
            folder.remove("ProgramsNames.txt");
            folder.write("PicturesNames.txt", "Kept\r\n");
            QVERIFY(QDir().mkdir(folder.data("SheetSettings.ins")));
            folder.write("Sheet.txt", "5\t121\t121\t/a.jpg\r\n");
        });
        trigger("sheetAction");
        QCOMPARE(child<QTreeWidget>(sheet(), "coverList")->topLevelItemCount(), 1);
        pick(1);
        click("saveSizesLabel");
        click("closeLabel");
        QVERIFY(!form().isVisible());
        QCOMPARE(work().read("PicturesNames.txt") + work().read("ProgramsNames.txt"),
                 "Kept\r\n<missing>");
        QCOMPARE(work().read("DefaultSizes.ins"), sizes);
    }

    void dragStartsOnlyOnTheBareBackground_data()
    {
        const auto row = jftest::rows<DragRow>();
        row("bare title strip", QPoint(300, 20), "backgroundImage", QPoint(30, -5));
        row("panel", QPoint(625, 380), "panelImage", QPoint());
        row("a caption", QPoint(20, 10), "titleLabel", QPoint());
        row("kind tab", QPoint(125, 120), "coverKindButton1", QPoint());
        row("between two kinds", QPoint(60, 137), "backgroundImage", QPoint(30, -5));
    }
    // Through the window, as the pointer does: Qt hands the press to the
    // control under it, and the moves to the control that took the press. A
    // window left open over the panel while the main window is enabled is
    // carried along and given the focus; once hidden it stays.
    void dragStartsOnlyOnTheBareBackground()
    {
        auto [press, control, moved] = jftest::fetch<DragRow>();
        show();
        QWidget companion(nullptr, Qt::Window | Qt::FramelessWindowHint);
        companion.resize(502, 390);
        companion.move(form().panelTopLeft());
        companion.show();
        QVERIFY(QTest::qWaitForWindowExposed(&companion));
        form().carryWhenDragged(&companion);
        form().activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &form());
        QCOMPARE(form().childAt(press)->objectName(), control);
        const QPoint start = form().pos(), carried = companion.pos() + moved;
        const auto drag = [&, window = form().windowHandle()] {
            QTest::mouseMove(window, press + QPoint(30, -5)); // no press yet: nothing moves
            QTest::mousePress(window, Qt::LeftButton, {}, press);
            QTest::mouseMove(window, press + QPoint(30, -5));
            QTest::mouseMove(window, press); // relative to the moved window: no movement
            QTest::mouseRelease(window, Qt::LeftButton, {}, press);
            QTest::mouseMove(window, press + QPoint(40, 40)); // released: nothing moves
        };
        drag();
        QCOMPARE(form().pos(), start + moved);
        QVERIFY(!form().findChild<jf::WindowDrag*>()->isActive());
        QCOMPARE(companion.pos(), carried);
        QTRY_COMPARE(QApplication::activeWindow(), moved.isNull() ? &form() : &companion);
        companion.hide();
        drag();
        QCOMPARE(form().pos(), start + moved * 2);
        QCOMPARE(companion.pos(), carried);
    }

    // Shown as it is, on one line: no heading, and no file read for a picture.
    void errorReportShowsCriticalBox()
    {
        work().solidBitmap("tall.bmp", QSize(10, 400), Qt::red);
        const QString message = "File <h1>a</h1><img src=tall.bmp> not found";
        jf::restoreDesktopPlatform();
        QStringList seen;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            const auto* label = box->findChild<QLabel*>("qt_msgbox_label");
            seen << box->windowTitle() << box->text() << QString::number(box->icon())
                 << QString::number(box->buttons().size())
                 << QString::number(label->sizeHint().height() / label->fontMetrics().height());
            box->accept();
        });
        jf::guarded([&] { throw jf::Error(message); });
        QCOMPARE(seen, (QStringList{"Vastel - Jacketforge v1.20", message + ".",
                                    QString::number(QMessageBox::Critical), "1", "1"}));
    }

    // The two files of a list stay in step as pictures are added and
    // deleted; a picture is named by its file name without the last four
    // characters; adding loads nothing.
    void lists()
    {
        const auto select = [](QListWidget* in, int row) {
            in->setFocus();
            QTest::mouseClick(in->viewport(), Qt::LeftButton, {},
                              in->visualItemRect(in->item(row)).center());
        };
        start();
        const jf::Favourites& favourites = workspace().pictures;
        const QStringList paths = QString("/home/me/Summer.jpg|/p/photo.jpeg|/p/a.jp|/p/ab.jp|"
                                          "/usr/bin/gimp|/opt/My Tools/Cover Editor.bin")
                                      .split('|');
        for (const QString& path : paths)
            platform().fileDialog.answers << path;
        for (qsizetype i = 0; i <= paths.size(); ++i) // the last one cancelled: nothing changes
            i % 2 ? click("addPictureLabel") : trigger("addPictureAction");
        const QStringList names{"Summer", "photo.", "", "a", "", "Cover Editor"};
        QCOMPARE(favourites.names() + favourites.paths(), names + paths);
        QCOMPARE(list("pictureList")->item(5)->text(), "Cover Editor");
        QCOMPARE(form().currentImagePath(), QString());
        // Deleting with nothing selected changes nothing.
        list("pictureList")->clearSelection();
        click("deletePictureLabel");
        list("pictureList")->setCurrentRow(1);
        trigger("deletePictureAction");
        list("pictureList")->setCurrentRow(0);
        click("deletePictureLabel");
        QCOMPARE(favourites.names() + favourites.paths(), names.mid(2) + paths.mid(2));
        QCOMPARE(list("pictureList")->count(), 4);
        // Selecting a picture loads it into the preview.
        renew();
        const QString red = work().solidBitmap("red.bmp", QSize(30, 10), Qt::red);
        const QString gone = work().path() + "/gone.bmp";
        show({{"PicturesNames.txt", "red\r\ngone\r\n"},
              {"PicturesPaths.txt", (red + "\r\n" + gone + "\r\n").toUtf8()}});
        QListWidget* pictures = list("pictureList");
        const QSize fitted = preview()->size();
        select(pictures, 0);
        QCOMPARE(form().currentImagePath(), red);
        QCOMPARE(form().previewPicture().size(), QSize(30, 10));
        QCOMPARE(preview()->size(), fitted);
        // A file that has gone: reported, and the preview and path stay.
        select(pictures, 1);
        QCOMPARE(
            errors(),
            QStringList{QString("Cannot open file \"%1\". No such file or directory.").arg(gone)});
        QCOMPARE(form().currentImagePath(), red);
        QCOMPARE(form().previewPicture().size(), QSize(30, 10));
        // A click on the highlighted picture loads it again.
        select(pictures, 0);
        trigger("disposeAction");
        select(pictures, 0);
        QCOMPARE(form().previewPicture().size(), QSize(30, 10));
        // A right click opens the menu only: nothing loads, the highlight stays.
        const QPoint onGone = pictures->visualItemRect(pictures->item(1)).center();
        QTest::mousePress(pictures->viewport(), Qt::RightButton, {}, onGone);
        rightClick(pictures->viewport(), onGone);
        QVERIFY(child<QMenu>(form(), "pictureMenu")->isVisible());
        child<QMenu>(form(), "pictureMenu")->close();
        QCOMPARE(pictures->selectedItems(), QList{pictures->item(0)});
        // Adding to one list keeps the other list's highlight.
        trigger("addProgramAction");
        click(addProgram(), "okLabel");
        select(list("programList"), 0);
        platform().fileDialog.answers.enqueue(red);
        trigger("addPictureAction");
        QCOMPARE(pictures->selectedItems(), QList{pictures->item(0)});
        QCOMPARE(list("programList")->selectedItems(), QList{list("programList")->item(0)});
        QCOMPARE(errors().size(), 1);
        // Files edited out of step are taken as they are: the extra name is
        // out of bounds, and deleted alone. A double click, and the menu's
        // entry, start the selected program: its command line goes to the
        // desktop unchanged, without quotes added; with none selected, none.
        renew();
        show({{"PicturesNames.txt", "a\r\nb\r\n"},
              {"PicturesPaths.txt", "/a.bmp\r\n"},
              {"ProgramsNames.txt", "Editor\r\n"},
              {"ProgramsPaths.txt", "/opt/My Tools/editor --new\r\n"}});
        list("pictureList")->setCurrentRow(1);
        QCOMPARE(errors(), QStringList{"List index out of bounds (1)"});
        click("deletePictureLabel");
        QCOMPARE(workspace().pictures.names() + workspace().pictures.paths(),
                 (QStringList{"a", "/a.bmp"}));
        trigger("startProgramAction");
        QCOMPARE(errors().last(), "List index out of bounds (-1)");
        QListWidget* programs = list("programList");
        select(programs, 0);
        QTest::mouseDClick(programs->viewport(), Qt::LeftButton, {},
                           programs->visualItemRect(programs->item(0)).center());
        trigger("startProgramAction");
        QCOMPARE(platform().shell.started, QStringList(2, "/opt/My Tools/editor --new"));
        trigger("deleteProgramAction");
        QVERIFY(workspace().programs.paths().isEmpty());
        QCOMPARE(errors().size(), 2);
    }

    // The doubled set of pictures serves screens of 1.5 and 2: each picture
    // is its control's size times the set's scale, so the screen shows it
    // unstretched; the selected kind's tab is open towards the panel.
    void windowPicturesFitTheScreen()
    {
        for (const auto& [ratio, scale] : {std::pair{1.0, 1}, {1.5, 2}, {2.0, 2}}) {
            const jf::WindowPictures pictures = jf::WindowPictures::decode(ratio);
            QCOMPARE(pictures.background.size(), QSize(701, 500) * scale);
            QCOMPARE(pictures.buttonDown.size(), QSize(122, 30) * scale);
            QCOMPARE(qAlpha(pictures.buttonDown.fullImage().pixel(121 * scale, 15 * scale)), 255);
            QCOMPARE(qAlpha(pictures.buttonUp.fullImage().pixel(121 * scale, 15 * scale)), 0);
        }
    }

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
            press("Tab");
            QCOMPARE(focusName(), stop);
            QVERIFY(!accessible(form(), qPrintable(stop))->text(QAccessible::Name).isEmpty());
        }
        press("Backtab");
        QCOMPARE(focusName(), "closeLabel");
        // The kinds are one stop, which Up and Down move as they select.
        press("Tab, Down, Down, Up");
        QCOMPARE(form().selectedCoverKind(), 2);
        press("Tab, Backtab");
        QCOMPARE(focusName(), "coverKindLabel2");
        // Space and Return press a caption.
        focus("importLabel");
        press("Space, Return");
        QCOMPARE(platform().fileDialog.requests.size(), 2);
        // The first arrow key loads the list's first picture; Return starts
        // the selected program, none while none is selected.
        workspace().pictures.append("a", work().solidBitmap("a.bmp", {4, 4}, Qt::red));
        workspace().programs.append("Editor", "/usr/bin/editor");
        form().showFavourites();
        focus("pictureList");
        press("Down");
        QCOMPARE(QFileInfo(form().currentImagePath()).fileName(), "a.bmp");
        focus("programList");
        press("Return, Down, Return");
        QCOMPARE(platform().shell.started, QStringList("/usr/bin/editor"));
        // To assistive technology the kinds are checkable buttons, the
        // selected one checked; Press selects.
        const QString pressAction = QAccessibleActionInterface::pressAction();
        QAccessibleInterface* column = accessible(form(), "coverKindColumn");
        QCOMPARE(column->childCount(), 8);
        column->child(2)->actionInterface()->doAction(pressAction);
        QCOMPARE(form().selectedCoverKind(), 3);
        QVERIFY(column->child(2)->state().checked && !column->child(1)->state().checked);
        // A caption's Press does what its click does; the preview is
        // described by its picture's file name, the tip line named by the tip
        // it shows.
        platform().fileDialog.answers.enqueue(work().solidBitmap("sunset.bmp", {4, 4}, Qt::red));
        accessible(form(), "importLabel")->actionInterface()->doAction(pressAction);
        QCOMPARE(accessible(form(), "previewImage")->text(QAccessible::Description),
                 "sunset.bmp, Stretch to Cover");
        form().showNextTip();
        const QString tip = child<QLabel>(form(), "tipLabel")->text();
        QVERIFY(!tip.isEmpty());
        QCOMPARE(accessible(form(), "tipLabel")->text(QAccessible::Name), tip);
        // The three ways in the main menu, the one in force checked and
        // remembered; in "Fill Cover" the preview is a Tab stop before "Import
        // Image" whose keys move and zoom the crop, and its description says so.
        form().selectCoverKind(1);
        QVERIFY(child<QAction>(form(), "stretchAction")->isChecked());
        platform().fileDialog.answers.enqueue(work().solidBitmap("wide.bmp", {400, 100}, Qt::red));
        click("importLabel");
        trigger("fillAction");
        QVERIFY(child<QAction>(form(), "fillAction")->isChecked());
        QCOMPARE(work().read("PictureFit.ins"), "fill\r\n");
        focus("helpLabel");
        press("Tab");
        QCOMPARE(focusName(), "previewImage");
        // Unzoomed, the picture is as high as the cover: Down moves nothing.
        press("Down, +, +, Shift+Right");
        const jf::Crop crop = form().placement().crop;
        QVERIFY2(QLineF(crop.centreX, crop.centreY, 0.4, 0.5).length() < 1e-9 &&
                     crop.zoom == 1.5625,
                 qPrintable(QString("%1, %2").arg(crop.centreX).arg(crop.centreY)));
        QCOMPARE(accessible(form(), "previewImage")->text(QAccessible::Description),
                 "wide.bmp, Fill Cover, zoom 1.6 \u00d7");
        press("Home");
        QCOMPARE(form().placement().crop, (jf::Crop{0.5, 0.5, 1.5625}));
        press("Tab");
        QCOMPARE(focusName(), "importLabel");
        // The sheet keeps the cover as it was added.
        trigger("addToSheetAction");
        QVERIFY(work().read("Sheet.txt").endsWith("wide.bmp\tfill\t0.5\t0.5\t1.5625\r\n"));
        // A new kind starts the crop afresh; the way is kept for the next start.
        form().selectCoverKind(2);
        QCOMPARE(form().placement().crop, jf::Crop());
        start();
        QCOMPARE(form().placement().fit, jf::PictureFit::Fill);
        QVERIFY(child<QAction>(form(), "fillAction")->isChecked());
        // The eighth kind, whatever its name, previews as a ring of the boxes'
        // size with the workspace's hole, which the program may change.
        const auto disc = [&] { return child<jf::PicturePreview>(form(), "previewImage")->disc(); };
        QVERIFY(!disc());
        pick(8);
        QVERIFY(disc() == (jf::DiscSize{QSizeF(117, 117), 41}));
        type("widthEdit", "120");
        form().setDiscHole(0);
        QVERIFY(disc() == (jf::DiscSize{QSizeF(120, 117), 0}));
        form().setDiscHole(99);
        QCOMPARE(workspace().discHoleMm, 60);
        pick(7);
        QVERIFY(!disc());
        QVERIFY(errors().isEmpty());
    }

    // Only what the program's own accessible interfaces decide: the window
    // or dialog, and each kind of caption and picture.
    void controlsAreNamedForAssistiveTechnology_data()
    {
        const auto row = jftest::rows<NamedRow>();
        row("window", "", QAccessible::Window, "Vastel - Jacketforge v1.20", false);
        row("dialog", "settings", QAccessible::Dialog, "Settings", false);
        row("caption", "printerSetupLabel", QAccessible::Button, "Printer Setup", true);
        row("close mark", "closeMark", QAccessible::Button, "Close", true);
        row("kinds", "coverKindColumn", QAccessible::Grouping, "Cover kind", false);
        row("heading", "picturesCaption", QAccessible::StaticText, "Your Images", false);
        row("kind", "coverKindLabel8", QAccessible::RadioButton, "CD Disk", true);
        row("preview", "previewImage", QAccessible::Graphic, "Cover preview", false);
    }
    void controlsAreNamedForAssistiveTechnology()
    {
        auto [control, role, name, press] = jftest::fetch<NamedRow>();
        start();
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(
            control.isEmpty()       ? &form()
            : control == "settings" ? static_cast<QWidget*>(&settings())
                                    : child(form(), qPrintable(control)));
        QCOMPARE(iface->role(), role);
        QCOMPARE(iface->text(QAccessible::Name), name);
        QAccessibleActionInterface* actions = iface->actionInterface();
        QCOMPARE(actions &&
                     actions->actionNames().contains(QAccessibleActionInterface::pressAction()),
                 press);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
