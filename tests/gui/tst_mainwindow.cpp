#include "AppController.h"
#include "ErrorReport.h"
#include "FileDialogs.h"
#include "ProgramFixture.h"
#include "TestPlatform.h"
#include "WindowDrag.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <QWindow>

using jf::ClickLabel;
using jf::CloseLabel;
using jf::ImageControl;
using jf::MainWindow;
using jf::WindowDrag;
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

bool showsPicture(const ImageControl* control, const jf::Picture& picture)
{
    return !control->picture().isNull() && control->picture().data() == picture.data();
}

// Loads a blue bitmap into the preview through "Import Image", as the state
// a failed load must keep; its path, empty when it could not be made.
QString importBluePicture(TestPlatform& platform, const WorkDir& work, MainWindow& form)
{
    const QString path = work.solidBitmap("good.bmp", QSize(8, 8), Qt::blue);
    platform.fileDialog.answers.enqueue(path);
    QTest::mouseClick(jftest::child<ClickLabel>(form, "importLabel"), Qt::LeftButton);
    return path;
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

    jftest::ProgramFixture m_program;

private slots:
    void init();
    void cleanup();

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
    void pictureDialogStartsWherePicturesAre();
    void failedLoadsKeepState_data();
    void failedLoadsKeepState();
    void dropLoadsFirstLocalFile_data();
    void dropLoadsFirstLocalFile();
    void tipsRotate();
    void tipSequence_data();
    void tipSequence();
    void closeMarkAndDrag();
    void dragStartsOnlyOnTheBareBackground_data();
    void dragStartsOnlyOnTheBareBackground();
    void dragCarriesAVisibleCompanion();
    void dialogFiltersIgnoreCase();
    void errorReportShowsCriticalBox();
    void coverMenuOnThePreview();
    void failedSelectionStaysConsistent();
    void textsShowAsRead();
    void inputMethodCommitsOnlyDigits();
    void unreadFilesAreNotOverwritten();
    void windowPicturesFitTheScreen_data();
    void windowPicturesFitTheScreen();
};

void TestMainWindow::init()
{
    m_program.renew();
}

void TestMainWindow::cleanup()
{
    m_program.clear();
}

void TestMainWindow::defaultStart()
{
    auto [platform, work, formApp, form] = m_program.start();
    QVERIFY(platform.messages.errors.isEmpty());
    QCOMPARE(form.selectedCoverKind(), 1);
    QCOMPARE(jftest::child<QLineEdit>(form, "widthEdit")->text(), QString("270"));
    QCOMPARE(jftest::child<QLineEdit>(form, "heightEdit")->text(), QString("184"));
    QCOMPARE(formApp.workspace().folder.baseDir(), QDir::currentPath() + "/");
    const QStringList captions{"DVD",      "Slim DVD",  "Large DVD", "DVD Inside",
                               "CD Front", "CD Inside", "CD Back",   "CD Disk"};
    QCOMPARE(jftest::child<ClickLabel>(form, "coverKindLabel1")->text(), captions[0]);
    QCOMPARE(jftest::child<ClickLabel>(form, "coverKindLabel8")->text(), captions[7]);
    QVERIFY(showsPicture(jftest::child<ImageControl>(form, "coverKindButton1"),
                         form.pictures().buttonDown));
    for (ImageControl* b : {jftest::child<ImageControl>(form, "coverKindButton2"),
                            jftest::child<ImageControl>(form, "coverKindButton5"),
                            jftest::child<ImageControl>(form, "coverKindButton8")})
        QVERIFY(showsPicture(b, form.pictures().buttonUp));
    QCOMPARE(jftest::child<ImageControl>(form, "previewImage")->size(), QSize(356, 243));
    QCOMPARE(jftest::child<ImageControl>(form, "previewImage")->pos(), QPoint(145, 105));
    QCOMPARE(formApp.workspace().preferences.borderWidth, 1);
    QCOMPARE(formApp.workspace().preferences.borderColour, QString("Gray"));
    QCOMPARE(form.tipInterval(), 6000);
    QVERIFY(jftest::child<QTimer>(form, "tipTimer")->isActive());
    QVERIFY(formApp.workspace().tips.tips().contains(
        "If you print a DVD Cover, you may have to set your printer to ''landscape''"));
    QCOMPARE(jftest::child<QListWidget>(form, "pictureList")->count(), 0);
    QCOMPARE(form.size(), QSize(701, 500));
    QCOMPARE(form.pos(), QPoint(384, 280));
    QCOMPARE(form.windowTitle(), QString("Vastel - Jacketforge v1.20"));
    QCOMPARE(jftest::child<ClickLabel>(form, "saveSizesLabel")->toolTip(),
             QString("Save the settings  in all the menu items"));
}

void TestMainWindow::typedSizesAreStoredOnSelect()
{
    auto [platform, work, formApp, form] = m_program.start();
    clearAndType(jftest::child<QLineEdit>(form, "widthEdit"), "200");
    QTest::mouseClick(jftest::child<ClickLabel>(form, "coverKindLabel2"), Qt::LeftButton);
    QCOMPARE(form.selectedCoverKind(), 2);
    QCOMPARE(jftest::child<QLineEdit>(form, "widthEdit")->text(), QString("265"));
    QVERIFY(showsPicture(jftest::child<ImageControl>(form, "coverKindButton2"),
                         form.pictures().buttonDown));
    QVERIFY(showsPicture(jftest::child<ImageControl>(form, "coverKindButton1"),
                         form.pictures().buttonUp));
    QTest::mouseClick(jftest::child<ImageControl>(form, "coverKindButton1"), Qt::LeftButton);
    QCOMPARE(jftest::child<QLineEdit>(form, "widthEdit")->text(), QString("200"));
    QCOMPARE(formApp.workspace().sizes.width(1), 200);
    QVERIFY(platform.messages.errors.isEmpty());
}

void TestMainWindow::saveWritesOnlyStoredSizes()
{
    auto [platform, work, formApp, form] = m_program.start();
    clearAndType(jftest::child<QLineEdit>(form, "widthEdit"), "200");
    QTest::mouseClick(jftest::child<ClickLabel>(form, "saveSizesLabel"), Qt::LeftButton);
    QCOMPARE(QString(work.read("DefaultSizes.ins")), defaultSizesText());

    // Re-selecting the same kind stores what was typed.
    QTest::mouseClick(jftest::child<ClickLabel>(form, "coverKindLabel1"), Qt::LeftButton);
    QTest::mouseClick(jftest::child<ClickLabel>(form, "saveSizesLabel"), Qt::LeftButton);
    QVERIFY(work.read("DefaultSizes.ins").startsWith("200\r\n184\r\n265\r\n"));
    QVERIFY(platform.messages.errors.isEmpty());
}

void TestMainWindow::defaultSettingsRestoresEveryKind()
{
    auto [platform, work, formApp, form] = m_program.start();
    clearAndType(jftest::child<QLineEdit>(form, "widthEdit"), "200");
    QTest::mouseClick(jftest::child<ClickLabel>(form, "coverKindLabel3"), Qt::LeftButton);
    clearAndType(jftest::child<QLineEdit>(form, "heightEdit"), "99");
    QTest::mouseClick(jftest::child<ClickLabel>(form, "restoreSizesLabel"), Qt::LeftButton);
    QCOMPARE(form.selectedCoverKind(), 3);
    QCOMPARE(jftest::child<QLineEdit>(form, "heightEdit")->text(), QString("184"));
    QCOMPARE(formApp.workspace().sizes.width(1), 270);
    QTest::mouseClick(jftest::child<ClickLabel>(form, "coverKindLabel1"), Qt::LeftButton);
    QCOMPARE(jftest::child<QLineEdit>(form, "widthEdit")->text(), QString("270"));
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
    auto [platform, work, formApp, form] = m_program.start();
    for (QLineEdit* edit : {jftest::child<QLineEdit>(form, "widthEdit"),
                            jftest::child<QLineEdit>(form, "heightEdit")}) {
        clearAndType(edit, typed);
        QCOMPARE(edit->text(), shown);
    }
    QTest::keyClick(jftest::child<QLineEdit>(form, "heightEdit"), Qt::Key_Backspace);
    QCOMPARE(jftest::child<QLineEdit>(form, "heightEdit")->text(), shown.chopped(1));
}

void TestMainWindow::emptyBoxKeepsKindSelected()
{
    auto [platform, work, formApp, form] = m_program.start();
    clearAndType(jftest::child<QLineEdit>(form, "heightEdit"), "150");
    const QSize fitted = jftest::child<ImageControl>(form, "previewImage")->size();
    clearAndType(jftest::child<QLineEdit>(form, "widthEdit"), "");
    QCOMPARE(jftest::child<ImageControl>(form, "previewImage")->size(),
             fitted); // an empty box leaves the preview
    QTest::mouseClick(jftest::child<ClickLabel>(form, "coverKindLabel2"), Qt::LeftButton);
    QCOMPARE(platform.messages.errors, QStringList{"'' is not a valid integer value."});
    QCOMPARE(form.selectedCoverKind(), 1);
    QCOMPARE(formApp.workspace().sizes.height(1),
             150); // the height was stored before the width failed
    QCOMPARE(formApp.workspace().sizes.width(1), 270);
    QCOMPARE(jftest::child<QLineEdit>(form, "heightEdit")->text(), QString("150"));
    QVERIFY(showsPicture(jftest::child<ImageControl>(form, "coverKindButton1"),
                         form.pictures().buttonDown));
}

void TestMainWindow::reselectingKeepsTextsWithoutRefit()
{
    auto [platform, work, formApp, form] = m_program.start();
    int changes = 0;
    connect(jftest::child<QLineEdit>(form, "widthEdit"), &QLineEdit::textChanged,
            [&] { ++changes; });
    connect(jftest::child<QLineEdit>(form, "heightEdit"), &QLineEdit::textChanged,
            [&] { ++changes; });
    QTest::mouseClick(jftest::child<ClickLabel>(form, "coverKindLabel1"), Qt::LeftButton);
    QCOMPARE(changes, 0);
    // Leading zeros are dropped on re-selection.
    jftest::child<QLineEdit>(form, "widthEdit")->setText("0270");
    changes = 0;
    QTest::mouseClick(jftest::child<ClickLabel>(form, "coverKindLabel1"), Qt::LeftButton);
    QCOMPARE(jftest::child<QLineEdit>(form, "widthEdit")->text(), QString("270"));
    QCOMPARE(changes, 1);
}

void TestMainWindow::missingDataFolder()
{
    m_program.renew(false);
    auto [platform, work, formApp, form] = m_program.start();
    QCOMPARE(platform.messages.errors,
             QStringList{QString("Cannot open file \"%1/Data/ProgramsNames.txt\". No such file "
                                 "or directory.")
                             .arg(QDir::currentPath())});
    QCOMPARE(form.selectedCoverKind(), 0);
    QCOMPARE(jftest::child<QLineEdit>(form, "widthEdit")->text(), QString("0"));
    QCOMPARE(jftest::child<QLineEdit>(form, "heightEdit")->text(), QString("0"));
    QCOMPARE(jftest::child<ClickLabel>(form, "coverKindLabel4")->text(), QString("DVD Inside"));
    QVERIFY(jftest::child<ImageControl>(form, "coverKindButton1")->picture().isNull());
    QCOMPARE(formApp.workspace().preferences.borderColour, QString());
    QCOMPARE(form.tipInterval(), 6000);
    // A kind can still be selected, with the zero sizes.
    QTest::mouseClick(jftest::child<ClickLabel>(form, "coverKindLabel2"), Qt::LeftButton);
    QCOMPARE(form.selectedCoverKind(), 2);
    QVERIFY(showsPicture(jftest::child<ImageControl>(form, "coverKindButton2"),
                         form.pictures().buttonDown));
}

void TestMainWindow::missingTipsFile()
{
    auto [platform, work, formApp, form] = m_program.start([&](const WorkDir& folder) {
        folder.remove("Tips.txt");
        folder.write("PicturesNames.txt", "Summer\r\n");
        folder.write("PicturesPaths.txt", "/pictures/Summer.jpg\r\n");
    });
    QCOMPARE(platform.messages.errors,
             QStringList{QString("File not found: \"%1\"").arg(work.data("Tips.txt"))});
    QCOMPARE(form.selectedCoverKind(), 0);
    QCOMPARE(formApp.workspace().sizes.width(5), 121);
    QCOMPARE(jftest::child<ClickLabel>(form, "coverKindLabel2")->text(), QString("Slim DVD"));
    QCOMPARE(formApp.workspace().preferences.borderColour, QString("Gray"));
    QCOMPARE(jftest::child<QListWidget>(form, "pictureList")->count(), 1);
    QVERIFY(formApp.workspace().tips.tips().isEmpty());
    QVERIFY(jftest::child<ImageControl>(form, "coverKindButton1")->picture().isNull());
    QTest::mouseClick(jftest::child<ClickLabel>(form, "coverKindLabel5"), Qt::LeftButton);
    QCOMPARE(jftest::child<QLineEdit>(form, "widthEdit")->text(), QString("121"));
}

void TestMainWindow::shortSizesFileAtStart()
{
    auto [platform, work, formApp, form] = m_program.start([&](const WorkDir& folder) {
        folder.write("DefaultSizes.ins", "270\r\n184\r\n265\r\n184\r\n280\r\n184\r\n\r\n");
    });
    QCOMPARE(platform.messages.errors, QStringList{"'' is not a valid integer value."});
    QCOMPARE(formApp.workspace().sizes.width(3), 280);
    QCOMPARE(formApp.workspace().sizes.width(4), 0);
    // Captions were not read: the built-in ones stay.
    QCOMPARE(jftest::child<ClickLabel>(form, "coverKindLabel1")->text(), QString("DVD"));
    QCOMPARE(form.selectedCoverKind(), 0);
}

void TestMainWindow::longStoredSizeShowsWhole()
{
    auto [platform, work, formApp, form] = m_program.start([&](const WorkDir& folder) {
        folder.write("DefaultSizes.ins",
                     "12345\r\n-184\r\n" + defaultSizesText().mid(10).toLatin1());
    });
    QCOMPARE(jftest::child<QLineEdit>(form, "widthEdit")->text(), QString("12345"));
    QCOMPARE(jftest::child<QLineEdit>(form, "heightEdit")->text(), QString("-184"));
    // Typing cannot make it longer; deleting works.
    jftest::child<QLineEdit>(form, "widthEdit")->setFocus();
    jftest::child<QLineEdit>(form, "widthEdit")->end(false);
    QTest::keyClick(jftest::child<QLineEdit>(form, "widthEdit"), Qt::Key_7);
    QCOMPARE(jftest::child<QLineEdit>(form, "widthEdit")->text(), QString("12345"));
    QTest::keyClick(jftest::child<QLineEdit>(form, "widthEdit"), Qt::Key_Backspace);
    QTest::keyClick(jftest::child<QLineEdit>(form, "widthEdit"), Qt::Key_Backspace);
    QTest::keyClick(jftest::child<QLineEdit>(form, "widthEdit"), Qt::Key_9);
    QCOMPARE(jftest::child<QLineEdit>(form, "widthEdit")->text(), QString("1239"));
    QTest::keyClick(jftest::child<QLineEdit>(form, "widthEdit"), Qt::Key_9);
    QCOMPARE(jftest::child<QLineEdit>(form, "widthEdit")->text(), QString("1239"));
}

void TestMainWindow::defaultSettingsWithoutSelection()
{
    auto [platform, work, formApp, form] =
        m_program.start([&](const WorkDir& folder) { folder.remove("Tips.txt"); });
    platform.messages.errors.clear();
    QTest::mouseClick(jftest::child<ClickLabel>(form, "restoreSizesLabel"), Qt::LeftButton);
    QVERIFY(platform.messages.errors.isEmpty());
    QCOMPARE(form.selectedCoverKind(), 0);
    QCOMPARE(jftest::child<QLineEdit>(form, "widthEdit")->text(), QString("0"));
    QVERIFY(jftest::child<ImageControl>(form, "coverKindButton1")->picture().isNull());
}

void TestMainWindow::closeWritesTheFourLists()
{
    TestPlatform& platform = m_program.platform();
    const WorkDir& work = m_program.work();
    work.write("ProgramsNames.txt", "Editor");
    work.write("ProgramsPaths.txt", "/usr/bin/editor --new");
    {
        jf::AppController formApp;
        MainWindow& form = formApp.mainWindow();
        form.show();
        formApp.workspace().pictures.append("Summer", "/home/me/Summer.jpg");
        QTest::mouseClick(jftest::child<ClickLabel>(form, "closeLabel"), Qt::LeftButton);
        QVERIFY(!form.isVisible());
    }
    // Lists that did not change keep their files byte for byte.
    QCOMPARE(work.read("ProgramsNames.txt"), QByteArray("Editor"));
    QCOMPARE(work.read("ProgramsPaths.txt"), QByteArray("/usr/bin/editor --new"));
    QCOMPARE(work.read("PicturesNames.txt"), QByteArray("Summer\r\n"));
    QCOMPARE(work.read("PicturesPaths.txt"), QByteArray("/home/me/Summer.jpg\r\n"));
    // Sizes are not saved at exit.
    QCOMPARE(QString(work.read("DefaultSizes.ins")), defaultSizesText());

    // The X mark closes as well.
    jf::AppController againApp;
    MainWindow& again = againApp.mainWindow();
    again.show();
    againApp.workspace().programs.clear();
    QTest::mouseClick(jftest::child<CloseLabel>(again, "closeMark"), Qt::LeftButton);
    QVERIFY(!again.isVisible());
    QCOMPARE(work.read("ProgramsNames.txt"), QByteArray());
    QVERIFY(platform.messages.errors.isEmpty());
}

void TestMainWindow::mainMenu()
{
    auto [platform, work, formApp, form] = m_program.start();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QPoint at(300, 20);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, form.mapToGlobal(at));
    QApplication::sendEvent(jftest::child<ImageControl>(form, "backgroundImage"), &event);
    QTRY_VERIFY(jftest::child<QMenu>(form, "mainMenu")->isVisible());
    QStringList entries;
    for (QAction* a : jftest::child<QMenu>(form, "mainMenu")->actions())
        entries << a->text();
    QCOMPARE(entries,
             (QStringList{"Print", "Print Preview", "Add to Sheet", "Sheet...", "Settings",
                          "Calibrate Printer...", "Close"}));
    jftest::child<QMenu>(form, "mainMenu")->hide();

    formApp.workspace().pictures.append("A", "/a.bmp");
    jftest::child<QAction>(form, "closeAction")->trigger();
    QVERIFY(!form.isVisible());
    QCOMPARE(work.read("PicturesPaths.txt"), QByteArray("/a.bmp\r\n"));
}

void TestMainWindow::previewFollowsTheBoxes()
{
    auto [platform, work, formApp, form] = m_program.start();
    QTest::mouseClick(jftest::child<ClickLabel>(form, "coverKindLabel4"), Qt::LeftButton);
    QCOMPARE(jftest::child<ImageControl>(form, "previewImage")->size(), QSize(195, 276));
    clearAndType(jftest::child<QLineEdit>(form, "widthEdit"), "0");
    QCOMPARE(jftest::child<ImageControl>(form, "previewImage")->size(), QSize(195, 276));
    clearAndType(jftest::child<QLineEdit>(form, "widthEdit"), "00");
    QCOMPARE(platform.messages.errors.last(), QString("Floating point division by zero."));
    QCOMPARE(jftest::child<ImageControl>(form, "previewImage")->size(), QSize(356, 276));
    clearAndType(jftest::child<QLineEdit>(form, "widthEdit"), "8");
    clearAndType(jftest::child<QLineEdit>(form, "heightEdit"), "3");
    QCOMPARE(jftest::child<ImageControl>(form, "previewImage")->size(), QSize(356, 134));
    QCOMPARE(jftest::child<ImageControl>(form, "previewImage")->pos(), QPoint(145, 105));
}

void TestMainWindow::swapWidthAndHeight()
{
    auto [platform, work, formApp, form] = m_program.start();
    jftest::child<QAction>(form, "swapSizesAction")->trigger();
    QCOMPARE(jftest::child<QLineEdit>(form, "widthEdit")->text(), QString("184"));
    QCOMPARE(jftest::child<QLineEdit>(form, "heightEdit")->text(), QString("270"));
    QCOMPARE(jftest::child<ImageControl>(form, "previewImage")->size(), QSize(188, 276));

    QTest::mouseClick(jftest::child<ClickLabel>(form, "coverKindLabel6"), Qt::LeftButton);
    int changes = 0;
    connect(jftest::child<QLineEdit>(form, "widthEdit"), &QLineEdit::textChanged,
            [&] { ++changes; });
    jftest::child<QAction>(form, "swapSizesAction")->trigger();
    QCOMPARE(changes, 0);
    QVERIFY(platform.messages.errors.isEmpty());

    // A failing refit ends the swap: the height keeps its text.
    jftest::child<QLineEdit>(form, "widthEdit")->setText("270");
    jftest::child<QLineEdit>(form, "heightEdit")->setText("00");
    platform.messages.errors.clear();
    jftest::child<QAction>(form, "swapSizesAction")->trigger();
    QCOMPARE(platform.messages.errors, QStringList{"Invalid floating point operation."});
    QCOMPARE(jftest::child<QLineEdit>(form, "widthEdit")->text(), QString("00"));
    QCOMPARE(jftest::child<QLineEdit>(form, "heightEdit")->text(), QString("00"));
    QCOMPARE(jftest::child<ImageControl>(form, "previewImage")->size(), QSize(356, 276));
}

void TestMainWindow::importAndDispose()
{
    auto [platform, work, formApp, form] = m_program.start();
    const QString bmp = work.solidBitmap("PHOTO.BMP", QSize(40, 20), Qt::red);
    QVERIFY(!bmp.isEmpty());

    // View before any load hands an empty path on.
    QTest::mouseClick(jftest::child<ClickLabel>(form, "viewImageLabel"), Qt::LeftButton);
    QCOMPARE(platform.shell.opened, QStringList{QString()});

    platform.fileDialog.answers.enqueue(std::nullopt);
    QTest::mouseClick(jftest::child<ClickLabel>(form, "importLabel"), Qt::LeftButton);
    QVERIFY(showsPicture(jftest::child<ImageControl>(form, "previewImage"),
                         form.pictures().placeholder));
    QCOMPARE(form.currentImagePath(), QString());

    platform.fileDialog.answers.enqueue(bmp);
    QTest::mouseClick(jftest::child<ClickLabel>(form, "importLabel"), Qt::LeftButton);
    QVERIFY(platform.messages.errors.isEmpty());
    QCOMPARE(form.currentImagePath(), bmp);
    QCOMPARE(jftest::child<ImageControl>(form, "previewImage")->picture().size(), QSize(40, 20));
    QCOMPARE(jftest::child<ImageControl>(form, "previewImage")->size(),
             QSize(356, 243)); // loading does not refit
    const jf::OpenFileRequest first = platform.fileDialog.requests.first();
    QCOMPARE(first.filter, QString("Bitmap|*.bmp|Graphic|*.jpg;*.jpeg;*.jpe|PNG|*.png|WebP|*.webp|"
                                   "TIFF|*.tif;*.tiff|GIF|*.gif|SVG|*.svg|"
                                   "HEIC|*.heic;*.heif|Other|*.*"));
    QCOMPARE(first.filterIndex, 1);

    // The dialog reopens on the file chosen last.
    platform.fileDialog.answers.enqueue(std::nullopt);
    jftest::child<QAction>(form, "importAction")->trigger();
    QCOMPARE(platform.fileDialog.requests.last().initialFile, bmp);

    jftest::child<QAction>(form, "disposeAction")->trigger();
    QVERIFY(showsPicture(jftest::child<ImageControl>(form, "previewImage"),
                         form.pictures().placeholder));
    QCOMPARE(form.currentImagePath(), bmp);
    jftest::child<QAction>(form, "viewImageAction")->trigger();
    QCOMPARE(platform.shell.opened.last(), bmp);
}

void TestMainWindow::pictureDialogStartsWherePicturesAre()
{
    auto [platform, work, app, form] = m_program.start();
    const QByteArray home = qgetenv("HOME");
    const auto restoreHome = qScopeGuard([&] { qputenv("HOME", home); });
    qputenv("HOME", work.path().toLocal8Bit());
    qunsetenv("XDG_CONFIG_HOME");
    QCOMPARE(jf::picturesFolder(), work.path()); // no Pictures folder: home
    QVERIFY(QDir(work.path()).mkdir("Pictures"));

    QImage jpeg(8, 6, QImage::Format_RGB32);
    jpeg.fill(Qt::blue);
    QVERIFY(jpeg.save(work.path() + "/photo.JPE", "JPG"));
    platform.fileDialog.answers.enqueue(work.path() + "/photo.JPE");
    jftest::child<QAction>(form, "importAction")->trigger();
    jftest::child<QAction>(form, "importAction")->trigger();
    QCOMPARE(platform.fileDialog.requests.first().initialFolder, work.path() + "/Pictures");
    QCOMPARE(platform.fileDialog.requests.last().initialFile, work.path() + "/photo.JPE");
    // "Graphic" lists every JPEG ending, and a file it lists loads.
    QCOMPARE(jf::caseInsensitiveNameFilters(platform.fileDialog.requests.first().filter).value(1),
             QString("Graphic (*.[jJ][pP][gG] *.[jJ][pP][eE][gG] *.[jJ][pP][eE])"));
    QCOMPARE(form.previewPicture().size(), QSize(8, 6));

    // "View Image" without a viewer on the desktop says so.
    platform.shell.hasViewer = false;
    jftest::child<QAction>(form, "viewImageAction")->trigger();
    QCOMPARE(platform.messages.errors.size(), 1);
    QCOMPARE(platform.messages.errors.first(),
             jf::errorReportText(jf::noViewerMessage(work.path() + "/photo.JPE")));

    // The desktop's xdg-open ends with 3 when it finds no program: so said too.
    QVERIFY(QDir(work.path()).mkdir("bin"));
    QFile xdgOpen(work.path() + "/bin/xdg-open");
    QVERIFY(xdgOpen.open(QIODevice::WriteOnly) && xdgOpen.write("#!/bin/sh\nexit 3\n") > 0);
    xdgOpen.close();
    xdgOpen.setPermissions(xdgOpen.permissions() | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    const auto restorePath = qScopeGuard([&] { qputenv("PATH", path); });
    qputenv("PATH", work.path().toLocal8Bit() + "/bin:" + path);
    jf::restoreDesktopPlatform();
    jf::platform().messages = &platform.messages;
    jftest::child<QAction>(form, "viewImageAction")->trigger();
    QTRY_COMPARE(platform.messages.errors.size(), 2);
    QCOMPARE(platform.messages.errors.last(), platform.messages.errors.first());
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
    auto [platform, work, formApp, form] = m_program.start();
    const QString good = importBluePicture(platform, work, form);
    QVERIFY(!good.isEmpty());
    const auto before = jftest::child<ImageControl>(form, "previewImage")->picture().data();

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
    QTest::mouseClick(jftest::child<ClickLabel>(form, "importLabel"), Qt::LeftButton);
    QCOMPARE(platform.messages.errors, QStringList{message});
    QCOMPARE(jftest::child<ImageControl>(form, "previewImage")->picture().data(), before);
    QCOMPARE(form.currentImagePath(), good);
}

void TestMainWindow::dropLoadsFirstLocalFile_data()
{
    QTest::addColumn<QStringList>("dropped"); // names in the working folder, or URLs
    QTest::addColumn<QString>("loaded");      // the name loaded, empty for none
    QTest::addColumn<QString>("message");
    QTest::newRow("png") << QStringList{"green.png"} << "green.png"
                         << "";
    QTest::newRow("several: the first") << QStringList{"green.PNG", "good.bmp"} << "green.PNG"
                                        << "";
    QTest::newRow("web address first")
        << QStringList{"https://example.org/a.png", "green.png"} << "green.png"
        << "";
    QTest::newRow("web address only") << QStringList{"https://example.org/a.png"} << ""
                                      << "";
    QTest::newRow("damaged") << QStringList{"cut.png"} << ""
                             << "PNG image is not valid.";
}

void TestMainWindow::dropLoadsFirstLocalFile()
{
    QFETCH(QStringList, dropped);
    QFETCH(QString, loaded);
    QFETCH(QString, message);
    auto [platform, work, formApp, form] = m_program.start();
    const QString good = importBluePicture(platform, work, form);
    QImage green(30, 20, QImage::Format_RGB32);
    green.fill(Qt::green);
    QVERIFY(green.save(work.path() + "/green.png", "PNG"));
    QVERIFY(QFile::copy(work.path() + "/green.png", work.path() + "/green.PNG"));
    QFile cut(work.path() + "/cut.png");
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16));
    cut.close();
    auto* preview = jftest::child<ImageControl>(form, "previewImage");
    const auto before = preview->picture().data();

    QList<QUrl> urls;
    for (const QString& name : dropped)
        urls << (name.startsWith("https:") ? QUrl(name)
                                           : QUrl::fromLocalFile(work.path() + "/" + name));
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint at = preview->geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &enter);
    const bool local = !loaded.isEmpty() || !message.isEmpty();
    QCOMPARE(enter.isAccepted(), local);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &drop);

    QCOMPARE(platform.messages.errors, message.isEmpty() ? QStringList() : QStringList{message});
    if (loaded.isEmpty()) {
        QCOMPARE(preview->picture().data(), before);
        QCOMPARE(form.currentImagePath(), good);
    } else {
        QCOMPARE(form.currentImagePath(), work.path() + "/" + loaded);
        QCOMPARE(preview->picture().size(), QSize(30, 20));
        QCOMPARE(preview->picture().scaledTo(QSize(3, 2)).pixel(1, 1), qRgb(0, 255, 0));
    }
    // The picture dialog reopens on a dropped local file, loaded or not.
    platform.fileDialog.answers.enqueue(std::nullopt);
    jftest::child<QAction>(form, "importAction")->trigger();
    QString expected = good;
    for (qsizetype i = urls.size() - 1; i >= 0; --i)
        expected = urls[i].isLocalFile() ? urls[i].toLocalFile() : expected;
    QCOMPARE(platform.fileDialog.requests.last().initialFile, expected);
}

void TestMainWindow::tipsRotate()
{
    auto [platform, work, formApp, form] =
        m_program.start([&](const WorkDir& folder) { folder.write("Tips.txt", "A\r\n\r\nC\r\n"); });
    QCOMPARE(jftest::child<ClickLabel>(form, "tipLabel")->text(), QString());
    QStringList shown;
    for (int i = 0; i < 5; ++i) {
        form.showNextTip();
        shown << jftest::child<ClickLabel>(form, "tipLabel")->text();
    }
    QCOMPARE(shown, (QStringList{"A", "", "C", "A", ""}));
    form.setTipInterval(0);
    QVERIFY(!jftest::child<QTimer>(form, "tipTimer")->isActive());
    form.setTipInterval(1000);
    QVERIFY(jftest::child<QTimer>(form, "tipTimer")->isActive());
    QCOMPARE(jftest::child<QTimer>(form, "tipTimer")->interval(), 1000);
}

void TestMainWindow::tipSequence_data()
{
    QTest::addColumn<QByteArray>("tipsFile");
    QTest::addColumn<int>("skipped");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("three tips") << QByteArray("A\r\nB\r\nC\r\n") << 0
                                << QStringList{"A", "B", "C", "A"};
    QTest::newRow("no tips") << QByteArray() << 0 << QStringList{"", ""};
    QTest::newRow("one tip") << QByteArray("A") << 0 << QStringList{"A", "A"};
    QByteArray many;
    for (int i = 0; i < 130; ++i)
        many += QByteArray::number(i) + "\r\n";
    QTest::newRow("130 tips") << many << 127 << QStringList{"127", "128", "129", "0", "1"};
}

void TestMainWindow::tipSequence()
{
    QFETCH(QByteArray, tipsFile);
    QFETCH(int, skipped);
    QFETCH(QStringList, shown);
    auto [platform, work, formApp, form] =
        m_program.start([&](const WorkDir& folder) { folder.write("Tips.txt", tipsFile); });
    for (int i = 0; i < skipped; ++i)
        form.showNextTip();
    QStringList seen;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        form.showNextTip();
        seen << jftest::child<ClickLabel>(form, "tipLabel")->text();
    }
    QCOMPARE(seen, shown);
}

void TestMainWindow::closeMarkAndDrag()
{
    auto [platform, work, formApp, form] = m_program.start();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    CloseLabel* closeMark = jftest::child<CloseLabel>(form, "closeMark");
    // The first exit turns it black whatever colour it started in.
    QPalette red = closeMark->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    closeMark->setPalette(red);
    QEvent firstLeave(QEvent::Leave);
    QApplication::sendEvent(closeMark, &firstLeave);
    QCOMPARE(closeMark->palette().color(QPalette::WindowText), QColor(Qt::black));
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(form.mapToGlobal(QPoint(677, 2))));
    QApplication::sendEvent(closeMark, &enter);
    QCOMPARE(jftest::child<CloseLabel>(form, "closeMark")->palette().color(QPalette::WindowText),
             QColor(0x80, 0x80, 0x80));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(closeMark, &leave);
    QCOMPARE(jftest::child<CloseLabel>(form, "closeMark")->palette().color(QPalette::WindowText),
             QColor(Qt::black));

    ImageControl* background = jftest::child<ImageControl>(form, "backgroundImage");
    const auto moveTo = [&](QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, form.mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(background, &move);
    };
    const QPoint start = form.pos();
    moveTo(QPoint(330, 15)); // no press yet: nothing moves
    QCOMPARE(form.pos(), start);
    QTest::mousePress(jftest::child<ImageControl>(form, "backgroundImage"), Qt::LeftButton, {},
                      QPoint(300, 20));
    moveTo(QPoint(330, 15));
    QCOMPARE(form.pos(), start + QPoint(30, -5));
    moveTo(QPoint(300, 20));
    QCOMPARE(form.pos(), start + QPoint(30, -5));
    QTest::mouseRelease(jftest::child<ImageControl>(form, "backgroundImage"), Qt::LeftButton, {},
                        QPoint(300, 20));
    QVERIFY(!form.findChild<WindowDrag*>()->isActive());
}

void TestMainWindow::dragStartsOnlyOnTheBareBackground_data()
{
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QString>("control"); // what lies under the press
    QTest::addColumn<QPoint>("moved");
    QTest::newRow("bare title strip") << QPoint(300, 20) << "backgroundImage" << QPoint(30, -5);
    QTest::newRow("panel") << QPoint(625, 380) << "panelImage" << QPoint();
    QTest::newRow("title label") << QPoint(20, 10) << "titleLabel" << QPoint();
    QTest::newRow("help label") << QPoint(590, 50) << "helpLabel" << QPoint();
    QTest::newRow("kind tab") << QPoint(125, 120) << "coverKindButton1" << QPoint();
    QTest::newRow("between two kinds") << QPoint(60, 137) << "backgroundImage" << QPoint(30, -5);
}

void TestMainWindow::dragStartsOnlyOnTheBareBackground()
{
    QFETCH(QPoint, press);
    QFETCH(QString, control);
    QFETCH(QPoint, moved);
    auto [platform, work, formApp, form] = m_program.start();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.childAt(press)->objectName(), control);

    // Through the window, as the pointer does: Qt hands the press to the
    // control under it, and the moves to the control that took the press.
    QWindow* window = form.windowHandle();
    const QPoint start = form.pos();
    QTest::mousePress(window, Qt::LeftButton, {}, press);
    QTest::mouseMove(window, press + QPoint(30, -5));
    QCOMPARE(form.pos(), start + moved);
    QTest::mouseMove(window, press); // relative to the moved window: no movement
    QCOMPARE(form.pos(), start + moved);
    QTest::mouseRelease(window, Qt::LeftButton, {}, press);
    QTest::mouseMove(window, press + QPoint(40, 40)); // released: nothing moves
    QCOMPARE(form.pos(), start + moved);
}

void TestMainWindow::dragCarriesAVisibleCompanion()
{
    auto [platform, work, formApp, form] = m_program.start();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // Stands in for a window left open over the panel while the main window
    // is enabled.
    QWidget companion(nullptr, Qt::Window | Qt::FramelessWindowHint);
    companion.resize(502, 390);
    companion.move(form.panelTopLeft());
    companion.show();
    QVERIFY(QTest::qWaitForWindowExposed(&companion));
    form.carryWhenDragged(&companion);
    form.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &form);

    const QPoint start = form.pos();
    QWindow* window = form.windowHandle();
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(300, 20));
    QTest::mouseMove(window, QPoint(330, 20));
    // The window followed the pointer, which is over (300, 20) again.
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(300, 20));
    QCOMPARE(form.pos(), start + QPoint(30, 0));
    QCOMPARE(companion.pos(), form.pos() + QPoint(130, 90));
    QTRY_COMPARE(QApplication::activeWindow(), &companion);

    // Once hidden it stays where it was.
    companion.hide();
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(300, 20));
    QTest::mouseMove(window, QPoint(330, 20));
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(300, 20));
    QCOMPARE(form.pos(), start + QPoint(60, 0));
    QCOMPARE(companion.pos(), start + QPoint(160, 90));
}

void TestMainWindow::dialogFiltersIgnoreCase()
{
    const QStringList filters =
        jf::caseInsensitiveNameFilters("Bitmap|*.bmp|Graphic|*.jpg|Other|*.*");
    QCOMPARE(filters,
             (QStringList{"Bitmap (*.[bB][mM][pP])", "Graphic (*.[jJ][pP][gG])", "Other (*)"}));
    // Qt's own wildcard matching then lists PHOTO.JPG under "Graphic".
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression("*.[jJ][pP][gG]"));
    QVERIFY(re.match("PHOTO.JPG").hasMatch());
    QVERIFY(re.match("photo.jpg").hasMatch());
    QVERIFY(!re.match("photo.jpeg").hasMatch());
    // "Other" lists every file, also one without an extension.
    QVERIFY(QRegularExpression(QRegularExpression::wildcardToRegularExpression("*"))
                .match("README")
                .hasMatch());
}

void TestMainWindow::errorReportShowsCriticalBox()
{
    // Shown as it is, on one line: no heading, and no file read for a picture.
    WorkDir work(false);
    work.solidBitmap("tall.bmp", QSize(10, 400), Qt::red);
    const QString message = "File <h1>a</h1><img src=tall.bmp> not found";
    jf::restoreDesktopPlatform();
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0, lines = 0;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                title = box->windowTitle();
                text = box->text();
                icon = box->icon();
                buttons = int(box->buttons().size());
                const auto* label = box->findChild<QLabel*>("qt_msgbox_label");
                lines = label->sizeHint().height() / label->fontMetrics().height();
                box->accept();
            }
        }
    });
    jf::guarded([&] { throw jf::Error(message); });
    QCOMPARE(title, QString("Vastel - Jacketforge v1.20"));
    QCOMPARE(text, message + ".");
    QCOMPARE(icon, QMessageBox::Critical);
    QCOMPARE(buttons, 1);
    QCOMPARE(lines, 1);
}

void TestMainWindow::coverMenuOnThePreview()
{
    auto [platform, work, formApp, form] = m_program.start();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QPoint at(20, 20);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at,
                            jftest::child<ImageControl>(form, "previewImage")->mapToGlobal(at));
    QApplication::sendEvent(jftest::child<ImageControl>(form, "previewImage"), &event);
    QTRY_VERIFY(jftest::child<QMenu>(form, "coverMenu")->isVisible());
    QVERIFY(!jftest::child<QMenu>(form, "mainMenu")->isVisible());
    QStringList entries;
    for (QAction* a : jftest::child<QMenu>(form, "coverMenu")->actions())
        entries << a->text();
    QCOMPARE(entries, (QStringList{"Import Image", "Dispose Image", "View Image",
                                   "Change Height to Width"}));
    jftest::child<QMenu>(form, "coverMenu")->hide();
}

void TestMainWindow::failedSelectionStaysConsistent()
{
    auto [platform, work, formApp, form] = m_program.start();
    QLineEdit* width = jftest::child<QLineEdit>(form, "widthEdit");
    QLineEdit* height = jftest::child<QLineEdit>(form, "heightEdit");
    const auto shownKind = [&] {
        for (int kind = 1; kind <= 8; ++kind) {
            const auto* button = jftest::child<ImageControl>(
                form, qPrintable(QString("coverKindButton%1").arg(kind)));
            if (showsPicture(button, form.pictures().buttonDown))
                return kind;
        }
        return 0;
    };

    // "00" in the width box: kind 5's height beside it cannot be fitted, but
    // the selection still ends on kind 5 with its own sizes.
    width->setText("00");
    platform.messages.errors.clear();
    QTest::mouseClick(jftest::child<ClickLabel>(form, "coverKindLabel5"), Qt::LeftButton);
    QCOMPARE(platform.messages.errors, QStringList{"Floating point division by zero."});
    QCOMPARE(form.selectedCoverKind(), 5);
    QCOMPARE(shownKind(), 5);
    QCOMPARE(width->text(), QString("121"));
    QCOMPARE(height->text(), QString("121"));
    QCOMPARE(formApp.workspace().sizes.width(1), 0); // stored on kind 1 before the switch
    QCOMPARE(formApp.workspace().sizes.height(1), 184);
    QCOMPARE(formApp.workspace().sizes.width(5), 121);

    // "Default Settings" in the same state ends with the kind selected too.
    width->setText("00");
    QTest::mouseClick(jftest::child<ClickLabel>(form, "coverKindLabel1"), Qt::LeftButton);
    width->setText("00");
    QTest::mouseClick(jftest::child<ClickLabel>(form, "restoreSizesLabel"), Qt::LeftButton);
    QCOMPARE(form.selectedCoverKind(), 1);
    QCOMPARE(shownKind(), 1);
    QCOMPARE(width->text(), QString("270"));
}

void TestMainWindow::textsShowAsRead()
{
    auto [platform, work, formApp, form] = m_program.start([&](const WorkDir& folder) {
        folder.write("DefaultNames.ins", "<b>DVD</b>\r\n" + QByteArray(1000000, 'n') + "\r\n");
        folder.write("Tips.txt", "<i>tip</i>\r\n");
        folder.write("PicturesNames.txt", "<u>x</u>\r\n");
        folder.write("PicturesPaths.txt", "/x.bmp\r\n");
    });
    form.showNextTip();
    for (const char* name : {"coverKindLabel1", "tipLabel"}) {
        const auto* label = jftest::child<ClickLabel>(form, name);
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QVERIFY(label->text().startsWith('<'));
    }
    QCOMPARE(jftest::child<ClickLabel>(form, "coverKindLabel1")->text(), QString("<b>DVD</b>"));
    QCOMPARE(jftest::child<QListWidget>(form, "pictureList")->item(0)->text(), QString("<u>x</u>"));
    // A caption of a megabyte shows cut, and the whole name is kept.
    QVERIFY(jftest::child<ClickLabel>(form, "coverKindLabel2")->text().size() < 10000);
    QCOMPARE(formApp.workspace().coverNames[1].size(), 1000000);
}

void TestMainWindow::inputMethodCommitsOnlyDigits()
{
    auto [platform, work, formApp, form] = m_program.start();
    QLineEdit* width = jftest::child<QLineEdit>(form, "widthEdit");
    width->setText("12");
    width->setFocus();
    width->end(false);
    const auto commit = [&](const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(width, &event);
    };
    commit(QString::fromUtf8("\u00e9"));
    commit(QString::fromUtf8("3\u00e94"));
    QCOMPARE(width->text(), QString("1234"));
    commit("5");
    QCOMPARE(width->text(), QString("1234")); // the typing limit holds too
}

void TestMainWindow::unreadFilesAreNotOverwritten()
{
    TestPlatform& platform = m_program.platform();
    const WorkDir& work = m_program.work();
    // A list saved as UTF-16 reads up to its first NUL; the rest survives.
    const QByteArray utf16("S\0u\0m\0\r\0\n\0", 10);
    work.write("PicturesNames.txt", utf16);
    work.write("PicturesPaths.txt", "/a.jpg\r\n");
    // A sizes file that fails at kind 4 keeps its lines from there on.
    QByteArray sizes = defaultSizesText().toLatin1();
    sizes.replace("130\r\n", "13O\r\n");
    work.write("DefaultSizes.ins", sizes);
    {
        jf::AppController formApp;
        MainWindow& form = formApp.mainWindow();
        form.show();
        QCOMPARE(platform.messages.errors, QStringList{"'13O' is not a valid integer value."});
        QTest::mouseClick(jftest::child<ClickLabel>(form, "coverKindLabel2"), Qt::LeftButton);
        jftest::child<QLineEdit>(form, "widthEdit")->setText("266");
        QTest::mouseClick(jftest::child<ClickLabel>(form, "coverKindLabel3"), Qt::LeftButton);
        QTest::mouseClick(jftest::child<ClickLabel>(form, "saveSizesLabel"), Qt::LeftButton);
        QCOMPARE(platform.messages.errors.size(), 1);
        QTest::mouseClick(jftest::child<ClickLabel>(form, "closeLabel"), Qt::LeftButton);
        QVERIFY(!form.isVisible());
    }
    QByteArray expected = sizes;
    expected.replace("265\r\n", "266\r\n");
    QCOMPARE(work.read("DefaultSizes.ins"), expected);
    QCOMPARE(work.read("PicturesNames.txt"), utf16);

    // A list file that cannot be read stops start-up; closing then writes
    // none of the lists that were not read.
    work.remove("ProgramsNames.txt");
    work.write("PicturesNames.txt", "Kept\r\n");
    // Nor do sheet settings that cannot be read leave the sheet unread.
    QVERIFY(QDir().mkdir(work.data("SheetSettings.ins")));
    work.write("Sheet.txt", "5\t121\t121\t/a.jpg\r\n");
    {
        jf::AppController formApp;
        QCOMPARE(formApp.workspace().sheet.entries().size(), 1);
        MainWindow& form = formApp.mainWindow();
        form.show();
        QTest::mouseClick(jftest::child<ClickLabel>(form, "coverKindLabel1"), Qt::LeftButton);
        QTest::mouseClick(jftest::child<ClickLabel>(form, "saveSizesLabel"), Qt::LeftButton);
        QTest::mouseClick(jftest::child<ClickLabel>(form, "closeLabel"), Qt::LeftButton);
        QVERIFY(!form.isVisible());
    }
    QCOMPARE(work.read("PicturesNames.txt"), QByteArray("Kept\r\n"));
    QCOMPARE(work.read("ProgramsNames.txt"), QByteArray("<missing>"));
    // No size was read or typed: "Save Settings" wrote the file back as it was.
    QCOMPARE(work.read("DefaultSizes.ins"), expected);
}

void TestMainWindow::windowPicturesFitTheScreen_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<int>("scale"); // of the stored pictures
    QTest::newRow("1x") << 1.0 << 1;
    QTest::newRow("1.5x: the doubled set") << 1.5 << 2;
    QTest::newRow("2x") << 2.0 << 2;
}

// Each picture is stored at its control's size times the set's scale, so a
// screen of that density shows it unstretched.
void TestMainWindow::windowPicturesFitTheScreen()
{
    QFETCH(qreal, ratio);
    QFETCH(int, scale);
    const jf::WindowPictures pictures = jf::WindowPictures::decode(ratio);
    QCOMPARE(pictures.background.size(), QSize(701, 500) * scale);
    QCOMPARE(pictures.panel.size(), QSize(501, 390) * scale);
    QCOMPARE(pictures.buttonUp.size(), QSize(122, 30) * scale);
    QCOMPARE(pictures.buttonDown.size(), QSize(122, 30) * scale);
    QCOMPARE(pictures.placeholder.size(), QSize(356, 276) * scale);
    // The tab of the selected kind is open towards the panel.
    QCOMPARE(qAlpha(pictures.buttonDown.fullImage().pixel(121 * scale, 15 * scale)), 255);
    QCOMPARE(qAlpha(pictures.buttonUp.fullImage().pixel(121 * scale, 15 * scale)), 0);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
