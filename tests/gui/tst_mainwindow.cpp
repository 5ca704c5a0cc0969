#include "AppGlobals.h"
#include "ErrorReport.h"
#include "FileDialogs.h"
#include "MainWindow.h"
#include "TestPlatform.h"

#include <QContextMenuEvent>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using jftest::TestPlatform;
using jftest::WorkDir;

namespace {

void clearAndType(QLineEdit* edit, const QString& text)
{
    // Select all, then type over it, as a user replaces a value.
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(edit, text);
}

bool showsPicture(const ImageControl* control, const ImageControl* holder)
{
    return !control->picture().isNull() && control->picture().data() == holder->picture().data();
}

QString defaultSizesText()
{
    return "270\r\n184\r\n265\r\n184\r\n280\r\n184\r\n130\r\n184\r\n121\r\n121\r\n120\r\n120\r\n"
           "151\r\n118\r\n117\r\n117\r\n";
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void defaultStart();
    void typedSizesAreStoredOnSelect();
    void saveWritesOnlyStoredSizes();
    void defaultSettingsRestoresEveryKind();
    void digitFilter_data();
    void digitFilter();
    void emptyBoxKeepsKindSelected();
    void reselectingKeepsTextsWithoutRefit();
    void missingDataFolder();
    void missingTipsFile();
    void shortSizesFileAtStart();
    void longStoredSizeShowsWhole();
    void defaultSettingsWithoutSelection();
    void closeWritesTheFourLists();
    void mainMenu();
    void previewFollowsTheBoxes();
    void swapWidthAndHeight();
    void importAndDispose();
    void failedLoadsKeepState_data();
    void failedLoadsKeepState();
    void tipsRotate();
    void closeMarkAndDrag();
    void dialogFiltersIgnoreCase();
    void errorReportShowsCriticalBox();
    void coverMenuOnThePreview();
};

void TestMainWindow::defaultStart()
{
    TestPlatform platform;
    WorkDir work;
    MainWindow form;
    QVERIFY(platform.messages.errors.isEmpty());
    QCOMPARE(form.CurrentItem, 1);
    QCOMPARE(form.Edit_Width->text(), QString("270"));
    QCOMPARE(form.Edit_Height->text(), QString("184"));
    QCOMPARE(form.BaseDir, QDir::currentPath() + "/");
    const QStringList captions{"DVD",      "Slim DVD",  "Large DVD", "DVD Inside",
                               "CD Front", "CD Inside", "CD Back",   "CD Disk"};
    QCOMPARE(form.Label_Item1->text(), captions[0]);
    QCOMPARE(form.Label_Item8->text(), captions[7]);
    QVERIFY(showsPicture(form.Image_Button1, form.Image_PanelButtonDown));
    for (ImageControl* b : {form.Image_Button2, form.Image_Button5, form.Image_Button8})
        QVERIFY(showsPicture(b, form.Image_PanelButtonUP));
    QCOMPARE(form.Image_Preview->size(), QSize(356, 243));
    QCOMPARE(form.Image_Preview->pos(), QPoint(145, 105));
    QCOMPARE(jf::globals().borderWidth, 1);
    QCOMPARE(jf::globals().borderColour, QString("Gray"));
    QCOMPARE(form.tipInterval(), 6000);
    QVERIFY(form.Timer1->isActive());
    QVERIFY(form.TipLines.contains(
        "If you print a DVD Cover, you may have to set your printer to ''landscape''"));
    QCOMPARE(form.ListBox_PicturesNames->count(), 0);
    QCOMPARE(form.size(), QSize(701, 500));
    QCOMPARE(form.pos(), QPoint(384, 280));
    QCOMPARE(form.windowTitle(), QString("Vastel - Jacketforge v1.20"));
    QCOMPARE(form.Label_Save->toolTip(), QString("Save the settings  in all the menu items"));
}

void TestMainWindow::typedSizesAreStoredOnSelect()
{
    TestPlatform platform;
    WorkDir work;
    MainWindow form;
    clearAndType(form.Edit_Width, "200");
    QTest::mouseClick(form.Label_Item2, Qt::LeftButton);
    QCOMPARE(form.CurrentItem, 2);
    QCOMPARE(form.Edit_Width->text(), QString("265"));
    QVERIFY(showsPicture(form.Image_Button2, form.Image_PanelButtonDown));
    QVERIFY(showsPicture(form.Image_Button1, form.Image_PanelButtonUP));
    QTest::mouseClick(form.Image_Button1, Qt::LeftButton);
    QCOMPARE(form.Edit_Width->text(), QString("200"));
    QCOMPARE(form.ItemWidths[1], 200);
    QVERIFY(platform.messages.errors.isEmpty());
}

void TestMainWindow::saveWritesOnlyStoredSizes()
{
    TestPlatform platform;
    WorkDir work;
    MainWindow form;
    clearAndType(form.Edit_Width, "200");
    QTest::mouseClick(form.Label_Save, Qt::LeftButton);
    QCOMPARE(QString(work.read("DefaultSizes.ins")), defaultSizesText());

    // Re-selecting the same kind stores what was typed.
    QTest::mouseClick(form.Label_Item1, Qt::LeftButton);
    QTest::mouseClick(form.Label_Save, Qt::LeftButton);
    QVERIFY(work.read("DefaultSizes.ins").startsWith("200\r\n184\r\n265\r\n"));
    QVERIFY(platform.messages.errors.isEmpty());
}

void TestMainWindow::defaultSettingsRestoresEveryKind()
{
    TestPlatform platform;
    WorkDir work;
    MainWindow form;
    clearAndType(form.Edit_Width, "200");
    QTest::mouseClick(form.Label_Item3, Qt::LeftButton);
    clearAndType(form.Edit_Height, "99");
    QTest::mouseClick(form.Label_DefaultSettings, Qt::LeftButton);
    QCOMPARE(form.CurrentItem, 3);
    QCOMPARE(form.Edit_Height->text(), QString("184"));
    QCOMPARE(form.ItemWidths[1], 270);
    QTest::mouseClick(form.Label_Item1, Qt::LeftButton);
    QCOMPARE(form.Edit_Width->text(), QString("270"));
}

void TestMainWindow::digitFilter_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("digits") << "123"
                            << "123";
    QTest::newRow("letter") << "1a2"
                            << "12";
    QTest::newRow("minus") << "-5"
                           << "5";
    QTest::newRow("space") << "4 4"
                           << "44";
    QTest::newRow("point") << "1.5"
                           << "15";
    QTest::newRow("length limit") << "123456"
                                  << "1234";
}

void TestMainWindow::digitFilter()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    TestPlatform platform;
    WorkDir work;
    MainWindow form;
    for (QLineEdit* edit : {form.Edit_Width, form.Edit_Height}) {
        clearAndType(edit, typed);
        QCOMPARE(edit->text(), shown);
    }
    QTest::keyClick(form.Edit_Height, Qt::Key_Backspace);
    QCOMPARE(form.Edit_Height->text(), shown.chopped(1));
}

void TestMainWindow::emptyBoxKeepsKindSelected()
{
    TestPlatform platform;
    WorkDir work;
    MainWindow form;
    clearAndType(form.Edit_Height, "150");
    const QSize fitted = form.Image_Preview->size();
    clearAndType(form.Edit_Width, "");
    QCOMPARE(form.Image_Preview->size(), fitted); // an empty box leaves the preview
    QTest::mouseClick(form.Label_Item2, Qt::LeftButton);
    QCOMPARE(platform.messages.errors, QStringList{"'' is not a valid integer value."});
    QCOMPARE(form.CurrentItem, 1);
    QCOMPARE(form.ItemHeights[1], 150); // the height was stored before the width failed
    QCOMPARE(form.ItemWidths[1], 270);
    QCOMPARE(form.Edit_Height->text(), QString("150"));
    QVERIFY(showsPicture(form.Image_Button1, form.Image_PanelButtonDown));
}

void TestMainWindow::reselectingKeepsTextsWithoutRefit()
{
    TestPlatform platform;
    WorkDir work;
    MainWindow form;
    int changes = 0;
    connect(form.Edit_Width, &QLineEdit::textChanged, [&] { ++changes; });
    connect(form.Edit_Height, &QLineEdit::textChanged, [&] { ++changes; });
    QTest::mouseClick(form.Label_Item1, Qt::LeftButton);
    QCOMPARE(changes, 0);
    // Leading zeros are dropped on re-selection.
    form.Edit_Width->setText("0270");
    changes = 0;
    QTest::mouseClick(form.Label_Item1, Qt::LeftButton);
    QCOMPARE(form.Edit_Width->text(), QString("270"));
    QCOMPARE(changes, 1);
}

void TestMainWindow::missingDataFolder()
{
    TestPlatform platform;
    WorkDir work(false);
    MainWindow form;
    QCOMPARE(platform.messages.errors,
             QStringList{QString("Cannot open file \"%1/Data/ProgramsNames.txt\". No such file "
                                 "or directory.")
                             .arg(QDir::currentPath())});
    QCOMPARE(form.CurrentItem, 0);
    QCOMPARE(form.Edit_Width->text(), QString("0"));
    QCOMPARE(form.Edit_Height->text(), QString("0"));
    QCOMPARE(form.Label_Item4->text(), QString("DVD Inside"));
    QVERIFY(form.Image_Button1->picture().isNull());
    QCOMPARE(jf::globals().borderColour, QString());
    QCOMPARE(form.tipInterval(), 6000);
    // A kind can still be selected, with the zero sizes.
    QTest::mouseClick(form.Label_Item2, Qt::LeftButton);
    QCOMPARE(form.CurrentItem, 2);
    QVERIFY(showsPicture(form.Image_Button2, form.Image_PanelButtonDown));
}

void TestMainWindow::missingTipsFile()
{
    TestPlatform platform;
    WorkDir work;
    work.remove("Tips.txt");
    work.write("PicturesNames.txt", "Summer\r\n");
    work.write("PicturesPaths.txt", "/pictures/Summer.jpg\r\n");
    MainWindow form;
    QCOMPARE(platform.messages.errors, QStringList{"File not found."});
    QCOMPARE(form.CurrentItem, 0);
    QCOMPARE(form.ItemWidths[5], 121);
    QCOMPARE(form.Label_Item2->text(), QString("Slim DVD"));
    QCOMPARE(jf::globals().borderColour, QString("Gray"));
    QCOMPARE(form.ListBox_PicturesNames->count(), 1);
    QVERIFY(form.TipLines.isEmpty());
    QVERIFY(form.Image_Button1->picture().isNull());
    QTest::mouseClick(form.Label_Item5, Qt::LeftButton);
    QCOMPARE(form.Edit_Width->text(), QString("121"));
}

void TestMainWindow::shortSizesFileAtStart()
{
    TestPlatform platform;
    WorkDir work;
    work.write("DefaultSizes.ins", "270\r\n184\r\n265\r\n184\r\n280\r\n184\r\n\r\n");
    MainWindow form;
    QCOMPARE(platform.messages.errors, QStringList{"'' is not a valid integer value."});
    QCOMPARE(form.ItemWidths[3], 280);
    QCOMPARE(form.ItemWidths[4], 0);
    // Captions were not read: the built-in ones stay.
    QCOMPARE(form.Label_Item1->text(), QString("DVD"));
    QCOMPARE(form.CurrentItem, 0);
}

void TestMainWindow::longStoredSizeShowsWhole()
{
    TestPlatform platform;
    WorkDir work;
    work.write("DefaultSizes.ins", "12345\r\n-184\r\n" + defaultSizesText().mid(10).toLatin1());
    MainWindow form;
    QCOMPARE(form.Edit_Width->text(), QString("12345"));
    QCOMPARE(form.Edit_Height->text(), QString("-184"));
    // Typing cannot make it longer; deleting works.
    form.Edit_Width->setFocus();
    form.Edit_Width->end(false);
    QTest::keyClick(form.Edit_Width, Qt::Key_7);
    QCOMPARE(form.Edit_Width->text(), QString("12345"));
    QTest::keyClick(form.Edit_Width, Qt::Key_Backspace);
    QTest::keyClick(form.Edit_Width, Qt::Key_Backspace);
    QTest::keyClick(form.Edit_Width, Qt::Key_9);
    QCOMPARE(form.Edit_Width->text(), QString("1239"));
    QTest::keyClick(form.Edit_Width, Qt::Key_9);
    QCOMPARE(form.Edit_Width->text(), QString("1239"));
}

void TestMainWindow::defaultSettingsWithoutSelection()
{
    TestPlatform platform;
    WorkDir work;
    work.remove("Tips.txt");
    MainWindow form;
    platform.messages.errors.clear();
    QTest::mouseClick(form.Label_DefaultSettings, Qt::LeftButton);
    QVERIFY(platform.messages.errors.isEmpty());
    QCOMPARE(form.CurrentItem, 0);
    QCOMPARE(form.Edit_Width->text(), QString("0"));
    QVERIFY(form.Image_Button1->picture().isNull());
}

void TestMainWindow::closeWritesTheFourLists()
{
    TestPlatform platform;
    WorkDir work;
    work.write("ProgramsNames.txt", "Editor");
    work.write("ProgramsPaths.txt", "/usr/bin/editor --new");
    {
        MainWindow form;
        form.show();
        form.ListBox_PicturesNames->addItem("Summer");
        form.ListBox_PicturesPaths->addItem("/home/me/Summer.jpg");
        QTest::mouseClick(form.Label_Close, Qt::LeftButton);
        QVERIFY(!form.isVisible());
    }
    QCOMPARE(work.read("ProgramsNames.txt"), QByteArray("Editor\r\n"));
    QCOMPARE(work.read("ProgramsPaths.txt"), QByteArray("/usr/bin/editor --new\r\n"));
    QCOMPARE(work.read("PicturesNames.txt"), QByteArray("Summer\r\n"));
    QCOMPARE(work.read("PicturesPaths.txt"), QByteArray("/home/me/Summer.jpg\r\n"));
    // Sizes are not saved at exit.
    QCOMPARE(QString(work.read("DefaultSizes.ins")), defaultSizesText());

    // The X mark closes as well.
    MainWindow again;
    again.show();
    again.ListBox_ProgramsNames->clear();
    again.ListBox_ProgramsPaths->clear();
    QTest::mouseClick(again.Label_X, Qt::LeftButton);
    QVERIFY(!again.isVisible());
    QCOMPARE(work.read("ProgramsNames.txt"), QByteArray());
    QVERIFY(platform.messages.errors.isEmpty());
}

void TestMainWindow::mainMenu()
{
    TestPlatform platform;
    WorkDir work;
    MainWindow form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QPoint at(300, 20);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, form.mapToGlobal(at));
    QApplication::sendEvent(form.Image_BackGroundMain, &event);
    QTRY_VERIFY(form.PopupMenu_Main->isVisible());
    QStringList entries;
    for (QAction* a : form.PopupMenu_Main->actions())
        entries << a->text();
    QCOMPARE(entries, (QStringList{"Print", "Settings", "Close"}));
    form.PopupMenu_Main->hide();

    form.ListBox_PicturesNames->addItem("A");
    form.ListBox_PicturesPaths->addItem("/a.bmp");
    form.Close1->trigger();
    QVERIFY(!form.isVisible());
    QCOMPARE(work.read("PicturesPaths.txt"), QByteArray("/a.bmp\r\n"));
}

void TestMainWindow::previewFollowsTheBoxes()
{
    TestPlatform platform;
    WorkDir work;
    MainWindow form;
    QTest::mouseClick(form.Label_Item4, Qt::LeftButton);
    QCOMPARE(form.Image_Preview->size(), QSize(195, 276));
    clearAndType(form.Edit_Width, "0");
    QCOMPARE(form.Image_Preview->size(), QSize(195, 276));
    clearAndType(form.Edit_Width, "00");
    QCOMPARE(platform.messages.errors.last(), QString("Floating point division by zero."));
    QCOMPARE(form.Image_Preview->size(), QSize(356, 276));
    clearAndType(form.Edit_Width, "8");
    clearAndType(form.Edit_Height, "3");
    QCOMPARE(form.Image_Preview->size(), QSize(356, 134));
    QCOMPARE(form.Image_Preview->pos(), QPoint(145, 105));
}

void TestMainWindow::swapWidthAndHeight()
{
    TestPlatform platform;
    WorkDir work;
    MainWindow form;
    form.ChangeHeighttoWidth1->trigger();
    QCOMPARE(form.Edit_Width->text(), QString("184"));
    QCOMPARE(form.Edit_Height->text(), QString("270"));
    QCOMPARE(form.Image_Preview->size(), QSize(188, 276));

    QTest::mouseClick(form.Label_Item6, Qt::LeftButton);
    int changes = 0;
    connect(form.Edit_Width, &QLineEdit::textChanged, [&] { ++changes; });
    form.ChangeHeighttoWidth1->trigger();
    QCOMPARE(changes, 0);
    QVERIFY(platform.messages.errors.isEmpty());

    // A failing refit ends the swap: the height keeps its text.
    form.Edit_Width->setText("270");
    form.Edit_Height->setText("00");
    platform.messages.errors.clear();
    form.ChangeHeighttoWidth1->trigger();
    QCOMPARE(platform.messages.errors, QStringList{"Invalid floating point operation."});
    QCOMPARE(form.Edit_Width->text(), QString("00"));
    QCOMPARE(form.Edit_Height->text(), QString("00"));
    QCOMPARE(form.Image_Preview->size(), QSize(356, 276));
}

void TestMainWindow::importAndDispose()
{
    TestPlatform platform;
    WorkDir work;
    MainWindow form;
    const QString bmp = work.solidBitmap("PHOTO.BMP", QSize(40, 20), Qt::red);
    QVERIFY(!bmp.isEmpty());

    // View before any load hands an empty path on.
    QTest::mouseClick(form.Label_ViewImage, Qt::LeftButton);
    QCOMPARE(platform.shell.opened, QStringList{QString()});

    platform.fileDialog.answers.enqueue(std::nullopt);
    QTest::mouseClick(form.Label_Import, Qt::LeftButton);
    QVERIFY(showsPicture(form.Image_Preview, form.Image_PreviewEmpty));
    QCOMPARE(jf::globals().currentImagePath, QString());

    platform.fileDialog.answers.enqueue(bmp);
    QTest::mouseClick(form.Label_Import, Qt::LeftButton);
    QVERIFY(platform.messages.errors.isEmpty());
    QCOMPARE(jf::globals().currentImagePath, bmp);
    QCOMPARE(form.Image_Preview->picture().size(), QSize(40, 20));
    QCOMPARE(form.Image_Preview->size(), QSize(356, 243)); // loading does not refit
    const jf::OpenFileRequest first = platform.fileDialog.requests.first();
    QCOMPARE(first.filter, QString("Bitmap|*.bmp|Graphic|*.jpg|Other|*.*"));
    QCOMPARE(first.filterIndex, 1);

    // The dialog reopens on the file chosen last.
    platform.fileDialog.answers.enqueue(std::nullopt);
    form.ImportImage1->trigger();
    QCOMPARE(platform.fileDialog.requests.last().initialFile, bmp);

    form.DisposeImage1->trigger();
    QVERIFY(showsPicture(form.Image_Preview, form.Image_PreviewEmpty));
    QCOMPARE(jf::globals().currentImagePath, bmp);
    form.ViewImage1->trigger();
    QCOMPARE(platform.shell.opened.last(), bmp);
}

void TestMainWindow::failedLoadsKeepState_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown extension")
        << "notes.txt" << QByteArray("x") << "Unknown picture file extension (.txt)";
    QTest::newRow("no extension") << "README" << QByteArray("x")
                                  << "Unknown picture file extension (.)";
    QTest::newRow("missing") << "" << QByteArray() << "";
}

void TestMainWindow::failedLoadsKeepState()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    TestPlatform platform;
    WorkDir work;
    MainWindow form;
    const QString good = work.solidBitmap("good.bmp", QSize(8, 8), Qt::blue);
    QVERIFY(!good.isEmpty());
    platform.fileDialog.answers.enqueue(good);
    QTest::mouseClick(form.Label_Import, Qt::LeftButton);
    const auto before = form.Image_Preview->picture().data();

    QString path = work.path() + "/" + name;
    if (name.isEmpty()) {
        path = work.path() + "/gone.jpg";
        message = QString("Cannot open file \"%1\". No such file or directory.").arg(path);
    } else {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    platform.fileDialog.answers.enqueue(path);
    QTest::mouseClick(form.Label_Import, Qt::LeftButton);
    QCOMPARE(platform.messages.errors, QStringList{message});
    QCOMPARE(form.Image_Preview->picture().data(), before);
    QCOMPARE(jf::globals().currentImagePath, good);
}

void TestMainWindow::tipsRotate()
{
    TestPlatform platform;
    WorkDir work;
    work.write("Tips.txt", "A\r\n\r\nC\r\n");
    MainWindow form;
    QCOMPARE(form.Label_Tips->text(), QString());
    QStringList shown;
    for (int i = 0; i < 5; ++i) {
        form.Timer1Timer();
        shown << form.Label_Tips->text();
    }
    QCOMPARE(shown, (QStringList{"A", "", "C", "A", ""}));
    form.setTipInterval(0);
    QVERIFY(!form.Timer1->isActive());
    form.setTipInterval(1000);
    QVERIFY(form.Timer1->isActive());
    QCOMPARE(form.Timer1->interval(), 1000);
}

void TestMainWindow::closeMarkAndDrag()
{
    TestPlatform platform;
    WorkDir work;
    MainWindow form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.Label_XMouseEnter();
    QCOMPARE(form.Label_X->palette().color(QPalette::WindowText), QColor(0x80, 0x80, 0x80));
    form.Label_XMouseLeave();
    QCOMPARE(form.Label_X->palette().color(QPalette::WindowText), QColor(Qt::black));

    const QPoint start = form.pos();
    form.Image_BackGroundMainMouseMove(QPoint(330, 15)); // no press yet: nothing moves
    QCOMPARE(form.pos(), start);
    QTest::mousePress(form.Image_BackGroundMain, Qt::LeftButton, {}, QPoint(300, 20));
    form.Image_BackGroundMainMouseMove(QPoint(330, 15));
    QCOMPARE(form.pos(), start + QPoint(30, -5));
    form.Image_BackGroundMainMouseMove(QPoint(300, 20));
    QCOMPARE(form.pos(), start + QPoint(30, -5));
    QTest::mouseRelease(form.Image_BackGroundMain, Qt::LeftButton, {}, QPoint(300, 20));
    QVERIFY(!jf::globals().dragActive);
}

void TestMainWindow::dialogFiltersIgnoreCase()
{
    const QStringList filters =
        jf::caseInsensitiveNameFilters("Bitmap|*.bmp|Graphic|*.jpg|Other|*.*");
    QCOMPARE(filters,
             (QStringList{"Bitmap (*.[bB][mM][pP])", "Graphic (*.[jJ][pP][gG])", "Other (*.*)"}));
    // Qt's own wildcard matching then lists PHOTO.JPG under "Graphic".
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression("*.[jJ][pP][gG]"));
    QVERIFY(re.match("PHOTO.JPG").hasMatch());
    QVERIFY(re.match("photo.jpg").hasMatch());
    QVERIFY(!re.match("photo.jpeg").hasMatch());
}

void TestMainWindow::errorReportShowsCriticalBox()
{
    jf::restoreDesktopPlatform();
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                title = box->windowTitle();
                text = box->text();
                icon = box->icon();
                buttons = int(box->buttons().size());
                box->accept();
            }
        }
    });
    jf::guarded([] { throw jf::InOutError(ENOENT); });
    QCOMPARE(title, QString("Vastel - Jacketforge v1.20"));
    QCOMPARE(text, QString("File not found."));
    QCOMPARE(icon, QMessageBox::Critical);
    QCOMPARE(buttons, 1);
}

void TestMainWindow::coverMenuOnThePreview()
{
    TestPlatform platform;
    WorkDir work;
    MainWindow form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QPoint at(20, 20);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, form.Image_Preview->mapToGlobal(at));
    QApplication::sendEvent(form.Image_Preview, &event);
    QTRY_VERIFY(form.PopupMenu_Cover->isVisible());
    QVERIFY(!form.PopupMenu_Main->isVisible());
    QStringList entries;
    for (QAction* a : form.PopupMenu_Cover->actions())
        entries << a->text();
    QCOMPARE(entries, (QStringList{"Import Image", "Dispose Image", "View Image",
                                   "Change Height to Width"}));
    form.PopupMenu_Cover->hide();
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
