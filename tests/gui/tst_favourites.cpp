// The picture list, the program list and the add-program dialog.
#include "AppController.h"
#include "CloseLabel.h"
#include "DataFileFormats.h"
#include "Errors.h"
#include "FileDialogs.h"
#include "ProgramFixture.h"
#include "TestPlatform.h"

#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>

using jf::AddProgramDialog;
using jf::ClickLabel;
using jf::CloseLabel;
using jf::ImageControl;
using jf::MainWindow;
using jf::SettingsWindow;
using jftest::TestPlatform;
using jftest::WorkDir;

namespace {

void select(QListWidget* list, int row)
{
    list->setFocus();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

// Pastes `text` over the whole of a box, as a user does with Ctrl+V.
void paste(QLineEdit* edit, const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
}

QStringList names(const QListWidget* list)
{
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->item(i)->text();
    return shown;
}

} // namespace

class TestFavourites : public QObject
{
    Q_OBJECT

    jftest::ProgramFixture m_program;

private slots:
    void init() { m_program.renew(); }
    void cleanup() { m_program.clear(); }

    void displayNames_data();
    void displayNames();
    void commandStart_data();
    void commandStart();
    void pictureListKeepsPairsInStep();
    void selectingLoadsIntoThePreview();
    void indexFailures();
    void startingPrograms();
    void addProgramDialog();
    void dialogDisablesTheMainWindow();
    void entriesStayOneLine();
    void programNames_data();
    void programNames();
};

void TestFavourites::displayNames_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("jpg") << "/home/me/Pictures/Summer.jpg"
                         << "Summer";
    QTest::newRow("jpeg keeps its dot") << "/p/photo.jpeg"
                                        << "photo.";
    QTest::newRow("four characters") << "/p/a.jp"
                                     << "";
    QTest::newRow("five characters") << "/p/ab.jp"
                                     << "a";
    QTest::newRow("no extension") << "/usr/bin/gimp"
                                  << "";
    QTest::newRow("blanks") << "/opt/My Tools/Cover Editor.bin"
                            << "Cover Editor";
}

void TestFavourites::displayNames()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(jf::displayNameFromPath(path), name);
}

void TestFavourites::commandStart_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("with arguments") << "/bin/true -n \"a b\""
                                    << "/bin/true" << QStringList{"-n", "a b"};
    QTest::newRow("missing program") << "/no/such/program --x"
                                     << "/no/such/program" << QStringList{"--x"};
    QTest::newRow("empty") << ""
                           << "" << QStringList{};
}

void TestFavourites::commandStart()
{
    QFETCH(QString, line);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    const jf::CommandStart start = jf::commandStartFor(line);
    QCOMPARE(start.program, program);
    QCOMPARE(start.arguments, arguments);
    // The desktop's own service starts it detached; a failure is ignored.
    jf::restoreDesktopPlatform();
    jf::platform().shell->startCommand(line);

    // An executable whose path holds blanks runs as it stands.
    QTemporaryDir dir;
    const QString tool = dir.path() + "/My Tools/cover tool";
    QDir().mkpath(dir.path() + "/My Tools");
    QFile f(tool);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n");
    f.close();
    f.setPermissions(f.permissions() | QFile::ExeOwner);
    QCOMPARE(jf::commandStartFor(tool).program, tool);
    QVERIFY(jf::commandStartFor(tool).arguments.isEmpty());
}

void TestFavourites::pictureListKeepsPairsInStep()
{
    auto [platform, work, app, form] = m_program.start();
    QListWidget* list = jftest::child<QListWidget>(form, "pictureList");
    const jf::Favourites& pictures = app.workspace().pictures;

    platform.fileDialog.answers.enqueue("/home/me/Summer.jpg");
    QTest::mouseClick(jftest::child<ClickLabel>(form, "addPictureLabel"), Qt::LeftButton);
    platform.fileDialog.answers.enqueue("/home/me/Summer.jpg");
    jftest::child<QAction>(form, "addPictureAction")->trigger();
    platform.fileDialog.answers.enqueue(std::nullopt); // cancelled: nothing changes
    QTest::mouseClick(jftest::child<ClickLabel>(form, "addPictureLabel"), Qt::LeftButton);
    QCOMPARE(names(list), (QStringList{"Summer", "Summer"}));
    QCOMPARE(pictures.paths(), (QStringList{"/home/me/Summer.jpg", "/home/me/Summer.jpg"}));
    QCOMPARE(form.currentImagePath(), QString()); // adding loads nothing
    QVERIFY(platform.messages.errors.isEmpty());

    // Deleting with nothing selected changes nothing.
    list->clearSelection();
    QTest::mouseClick(jftest::child<ClickLabel>(form, "deletePictureLabel"), Qt::LeftButton);
    QCOMPARE(pictures.names().size(), 2);
    list->setCurrentRow(0);
    jftest::child<QAction>(form, "deletePictureAction")->trigger();
    list->setCurrentRow(0);
    QTest::mouseClick(jftest::child<ClickLabel>(form, "deletePictureLabel"), Qt::LeftButton);
    QVERIFY(pictures.names().isEmpty());
    QVERIFY(pictures.paths().isEmpty());
    QCOMPARE(list->count(), 0);

    QStringList entries;
    for (QAction* a : jftest::child<QMenu>(form, "pictureMenu")->actions())
        entries << a->text();
    QCOMPARE(entries, (QStringList{"Add Image", "Delete Image"}));
    entries.clear();
    for (QAction* a : jftest::child<QMenu>(form, "programMenu")->actions())
        entries << a->text();
    QCOMPARE(entries, (QStringList{"Start Selected", "Add program", "Delete Selected"}));
}

void TestFavourites::selectingLoadsIntoThePreview()
{
    TestPlatform& platform = m_program.platform();
    const WorkDir& work = m_program.work();
    const QString red = work.solidBitmap("red.bmp", QSize(30, 10), Qt::red);
    const QString gone = work.path() + "/gone.bmp";
    work.write("PicturesNames.txt", "red\r\ngone\r\n");
    work.write("PicturesPaths.txt", (red + "\r\n" + gone + "\r\n").toUtf8());
    jf::AppController& app = m_program.start().app;
    MainWindow& form = app.mainWindow();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QListWidget* list = jftest::child<QListWidget>(form, "pictureList");
    const QSize fitted = jftest::child<ImageControl>(form, "previewImage")->size();

    select(list, 0);
    QVERIFY(platform.messages.errors.isEmpty());
    QCOMPARE(form.currentImagePath(), red);
    QCOMPARE(form.previewPicture().size(), QSize(30, 10));
    QCOMPARE(jftest::child<ImageControl>(form, "previewImage")->size(), fitted);

    // A file that has gone: reported, and the preview and path stay.
    select(list, 1);
    QCOMPARE(platform.messages.errors,
             QStringList{QString("Cannot open file \"%1\". No such file or directory.").arg(gone)});
    QCOMPARE(form.currentImagePath(), red);
    QCOMPARE(form.previewPicture().size(), QSize(30, 10));
    QCOMPARE(list->count(), 2);

    // A click on the highlighted picture loads it again.
    select(list, 0);
    jftest::child<QAction>(form, "disposeAction")->trigger();
    select(list, 0);
    QVERIFY(!form.previewPicture().isNull());
    QCOMPARE(form.previewPicture().size(), QSize(30, 10));

    // A right click opens the menu only: nothing loads, the highlight stays.
    platform.messages.errors.clear();
    const QPoint onGone = list->visualItemRect(list->item(1)).center();
    QTest::mousePress(list->viewport(), Qt::RightButton, {}, onGone);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, onGone, list->mapToGlobal(onGone));
    QApplication::sendEvent(list->viewport(), &menuEvent);
    QMenu* menu = jftest::child<QMenu>(form, "pictureMenu");
    QVERIFY(menu->isVisible());
    menu->close();
    QCOMPARE(list->selectedItems(), QList{list->item(0)});

    // Adding to one list keeps the other list's highlight.
    jftest::child<QAction>(form, "addProgramAction")->trigger();
    QTest::mouseClick(jftest::child<ClickLabel>(app.addProgramDialog(), "okLabel"), Qt::LeftButton);
    QListWidget* programs = jftest::child<QListWidget>(form, "programList");
    select(programs, 0);
    platform.fileDialog.answers.enqueue(red);
    jftest::child<QAction>(form, "addPictureAction")->trigger();
    QCOMPARE(list->selectedItems(), QList{list->item(0)});
    QCOMPARE(programs->selectedItems(), QList{programs->item(0)});
    QVERIFY(platform.messages.errors.isEmpty());
}

void TestFavourites::indexFailures()
{
    TestPlatform& platform = m_program.platform();
    const WorkDir& work = m_program.work();
    // Files edited out of step are taken as they are.
    work.write("PicturesNames.txt", "a\r\nb\r\n");
    work.write("PicturesPaths.txt", "/a.bmp\r\n");
    jf::AppController& app = m_program.start().app;
    MainWindow& form = app.mainWindow();
    QListWidget* list = jftest::child<QListWidget>(form, "pictureList");
    list->setCurrentRow(1);
    QCOMPARE(platform.messages.errors, QStringList{"List index out of bounds (1)"});
    // Deleting the extra name removes only the name.
    QTest::mouseClick(jftest::child<ClickLabel>(form, "deletePictureLabel"), Qt::LeftButton);
    QCOMPARE(app.workspace().pictures.names(), QStringList{"a"});
    QCOMPARE(app.workspace().pictures.paths(), QStringList{"/a.bmp"});

    platform.messages.errors.clear();
    jftest::child<QAction>(form, "startProgramAction")->trigger();
    QCOMPARE(platform.messages.errors, QStringList{"List index out of bounds (-1)"});
    QVERIFY(platform.shell.started.isEmpty());
}

void TestFavourites::startingPrograms()
{
    auto [platform, work, app, form] = m_program.start([&](const WorkDir& folder) {
        folder.write("ProgramsNames.txt", "Editor\r\n");
        folder.write("ProgramsPaths.txt", "/opt/My Tools/editor --new\r\n");
    });
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QListWidget* list = jftest::child<QListWidget>(form, "programList");
    select(list, 0);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                       list->visualItemRect(list->item(0)).center());
    jftest::child<QAction>(form, "startProgramAction")->trigger();
    // The command line goes to the desktop unchanged, without quotes added.
    QCOMPARE(platform.shell.started,
             (QStringList{"/opt/My Tools/editor --new", "/opt/My Tools/editor --new"}));
    jftest::child<QAction>(form, "deleteProgramAction")->trigger();
    QVERIFY(app.workspace().programs.paths().isEmpty());
    QVERIFY(platform.messages.errors.isEmpty());
}

void TestFavourites::addProgramDialog()
{
    auto [platform, work, app, form] = m_program.start();
    AddProgramDialog& dialog = app.addProgramDialog();
    QLineEdit* path = jftest::child<QLineEdit>(dialog, "programPathEdit");
    QLineEdit* name = jftest::child<QLineEdit>(dialog, "programNameEdit");
    ClickLabel* browse = jftest::child<ClickLabel>(dialog, "browseLabel");
    const auto open = [&] {
        QTest::mouseClick(jftest::child<ClickLabel>(form, "addProgramLabel"), Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.pos(), QPoint(0, 0));
    };

    // Browse replaces the default name once; OK appends path, then name.
    open();
    platform.fileDialog.answers.enqueue("/usr/local/bin/Editor.exe");
    platform.fileDialog.answers.enqueue("/usr/bin/other.bin");
    QTest::mouseClick(browse, Qt::LeftButton);
    QCOMPARE(name->text(), QString("Editor"));
    QTest::mouseClick(browse, Qt::LeftButton);
    QCOMPARE(path->text(), QString("/usr/bin/other.bin"));
    QCOMPARE(name->text(), QString("Editor"));
    QVERIFY(platform.fileDialog.requests.last().executablesOnly);
    QCOMPARE(platform.fileDialog.requests.last().initialFile, QString("/usr/local/bin/Editor.exe"));
    QTest::mouseClick(jftest::child<ClickLabel>(dialog, "okLabel"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());

    // A name differing only in case is kept; Cancel adds nothing and resets.
    open();
    QCOMPARE(path->text(), QString());
    QCOMPARE(name->text(), QString("My Program Name"));
    name->setText("my program name");
    platform.fileDialog.answers.enqueue("/usr/bin/tool.bin");
    QTest::mouseClick(browse, Qt::LeftButton);
    QCOMPARE(name->text(), QString("my program name"));
    QTest::mouseClick(jftest::child<ClickLabel>(dialog, "cancelLabel"), Qt::LeftButton);

    // Untouched boxes are appended as they are; the X adds nothing.
    open();
    QTest::mouseClick(jftest::child<ClickLabel>(dialog, "okLabel"), Qt::LeftButton);
    open();
    QTest::mouseClick(jftest::child<CloseLabel>(dialog, "closeMark"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());

    QCOMPARE(app.workspace().programs.paths(), (QStringList{"/usr/bin/other.bin", ""}));
    QCOMPARE(app.workspace().programs.names(), (QStringList{"Editor", "My Program Name"}));
    QCOMPARE(names(jftest::child<QListWidget>(form, "programList")),
             (QStringList{"Editor", "My Program Name"}));
}

void TestFavourites::dialogDisablesTheMainWindow()
{
    auto [platform, work, app, form] = m_program.start();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    jftest::child<QAction>(form, "addProgramAction")->trigger();
    AddProgramDialog& dialog = app.addProgramDialog();
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.isEnabled());
    QVERIFY(!form.isEnabled());
    QTest::mouseClick(jftest::child<ClickLabel>(form, "coverKindLabel3"), Qt::LeftButton);
    QCOMPARE(form.selectedCoverKind(), 1);

    dialog.close();
    QVERIFY(form.isEnabled());
    QTest::mouseClick(jftest::child<ClickLabel>(form, "coverKindLabel3"), Qt::LeftButton);
    QCOMPARE(form.selectedCoverKind(), 3);
}

void TestFavourites::entriesStayOneLine()
{
    TestPlatform& platform = m_program.platform();
    const WorkDir& work = m_program.work();
    {
        jf::AppController app;
        MainWindow& form = app.mainWindow();
        QTest::mouseClick(jftest::child<ClickLabel>(form, "settingsLabel"), Qt::LeftButton);
        SettingsWindow& settings = app.settingsWindow();
        paste(jftest::child<QLineEdit>(settings, "nameEdit1"), QString("Ab\u2028C\r\nD"));
        // A blank before a number still reads as the number.
        paste(jftest::child<QLineEdit>(settings, "widthEdit1"), "\r27");
        paste(jftest::child<QLineEdit>(settings, "intervalEdit"), "\n6000");
        paste(jftest::child<QComboBox>(settings, "borderColourBox")->lineEdit(), "Red\nBlue");
        QTest::mouseClick(jftest::child<ClickLabel>(settings, "acceptLabel"), Qt::LeftButton);
        QCOMPARE(work.read("DefaultSettings.ins"), QByteArray("1\r\nRed Blue\r\n 6000\r\n"));

        QTest::mouseClick(jftest::child<ClickLabel>(form, "addProgramLabel"), Qt::LeftButton);
        AddProgramDialog& dialog = app.addProgramDialog();
        paste(jftest::child<QLineEdit>(dialog, "programPathEdit"), "/bin/two\nlines");
        paste(jftest::child<QLineEdit>(dialog, "programNameEdit"), QString("Two\u2029Lines"));
        QTest::mouseClick(jftest::child<ClickLabel>(dialog, "okLabel"), Qt::LeftButton);

        // A picture whose path holds a line break loads but is not listed.
        const QString odd = work.solidBitmap("two\nlines.bmp", QSize(4, 4), Qt::red);
        platform.fileDialog.answers << odd << odd;
        jftest::child<QAction>(form, "importAction")->trigger();
        jftest::child<QAction>(form, "addPictureAction")->trigger();
        QCOMPARE(form.currentImagePath(), odd);
        QCOMPARE(platform.messages.errors, QStringList{"This picture's file name contains a line "
                                                       "break and cannot be kept in the list."});
        form.close();
    }
    QCOMPARE(work.read("ProgramsNames.txt"), QByteArray("Two Lines\r\n"));
    QCOMPARE(work.read("ProgramsPaths.txt"), QByteArray("/bin/two lines\r\n"));
    QCOMPARE(work.read("PicturesPaths.txt"), QByteArray());

    // After a restart every caption stays on its kind.
    jf::AppController restarted;
    QCOMPARE(restarted.workspace().coverNames.first(), QString("Ab C D"));
    QCOMPARE(restarted.workspace().coverNames.last(), QString("CD Disk"));
    QCOMPARE(restarted.mainWindow().widthText(), QString("27"));
    QCOMPARE(platform.messages.errors.size(), 1);

    // The writers refuse what a box would not let through; a pair of list
    // files is written whole or not at all.
    jf::Favourites programs(jf::datafile::programsNames, jf::datafile::programsPaths);
    programs.append("Editor", "/usr/bin/ed\r");
    QVERIFY_THROWS_EXCEPTION(jf::Error, programs.save(restarted.workspace().folder));
    QCOMPARE(work.read("ProgramsNames.txt"), QByteArray("Two Lines\r\n"));
    QVERIFY_THROWS_EXCEPTION(
        jf::Error, jf::writeSettingsFile(work.data("DefaultNames.ins"), {QString("a\u2028b")}));
    QVERIFY(work.read("DefaultNames.ins").startsWith("Ab C D\r\n"));
}

void TestFavourites::programNames_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("name");
    QTest::newRow("no extension") << "openbox" << QByteArray() << "openbox";
    QTest::newRow("extension") << "Editor.exe" << QByteArray() << "Editor";
    QTest::newRow("numbers") << "python3.11" << QByteArray() << "python3.11";
    QTest::newRow("hidden") << ".tool" << QByteArray() << ".tool";
    QTest::newRow("desktop entry")
        << "a.desktop"
        << QByteArray("[Desktop Action New]\nName=New\n[Desktop Entry]\nName[xx]=Malen\n"
                      "Name = Paint\\sBox\n")
        << "Paint Box";
    QTest::newRow("no Name") << "tool.desktop" << QByteArray("[Desktop Entry]\n") << "tool";
}

void TestFavourites::programNames()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, name);
    QTemporaryDir dir;
    QFile f(dir.filePath(file));
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
    f.close();
    QCOMPARE(jf::programNameFromPath(f.fileName()), name);
    // The program dialog lists desktop entries beside programs.
    QCOMPARE(jf::listedAsProgram(QFileInfo(f.fileName())), file.endsWith(".desktop"));
    QCOMPARE(jf::desktopEntryName(content, "xx_YY.UTF-8"), content.contains("xx") ? "Malen" : "");
}

QTEST_MAIN(TestFavourites)
#include "tst_favourites.moc"
