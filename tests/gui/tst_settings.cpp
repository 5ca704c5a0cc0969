#include "AppController.h"
#include "HangGuard.h"
#include "ProgramFixture.h"
#include "TestPlatform.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QMap>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

using jf::ClickLabel;
using jf::ImageControl;
using jf::MainWindow;
using jf::SettingsWindow;
using jftest::child;
using jftest::TestPlatform;
using jftest::WorkDir;

namespace {

const QString warning("Your tips wil change very rapidly, if you are not sure, change it back");

void click(const QWidget& window, const char* label)
{
    QTest::mouseClick(child<ClickLabel>(window, label), Qt::LeftButton);
}

void openSettings(jf::AppController& app)
{
    child<QAction>(app.mainWindow(), "settingsAction")->trigger();
}

// Types over the whole text, as a user replaces a value.
void typeOver(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
}

QByteArray shipped(const char* name)
{
    QFile f(QString::fromLocal8Bit(qgetenv("JF_SOURCE_DIR")) + "/data/" + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

    jftest::ProgramFixture m_program;

private slots:
    void init() { m_program.renew(); }
    void cleanup() { m_program.clear(); }

    void opensOverThePanel_data();
    void opensOverThePanel();
    void fillsFromTheFiles();
    void acceptUnchangedWritesTheSameBytes_data();
    void acceptUnchangedWritesTheSameBytes();
    void chosenBorderWidthIsWritten();
    void defaultsThenCancelChangeNoFile();
    void clearedListStaysClearedAfterCancel_data();
    void clearedListStaysClearedAfterCancel();
    void emptyWidthBoxFailsTheRefresh();
    void failuresKeepTheWindowUsable();
    void closeDropsUnsavedSizes();
    void intervalWarning_data();
    void intervalWarning();
    void tickerAfterClose_data();
    void tickerAfterClose();
    void shorterTipListStartsAgain();
    void acceptKeepsFilesNotRead_data();
    void acceptKeepsFilesNotRead();
    void tipsBoxHoldsTheFileExactly_data();
    void tipsBoxHoldsTheFileExactly();
    void closeEndsTheProgramAfterAFailedRefresh_data();
    void closeEndsTheProgramAfterAFailedRefresh();
};

void TestSettings::opensOverThePanel_data()
{
    QTest::addColumn<bool>("fromMenu");
    QTest::newRow("Settings label") << false;
    QTest::newRow("menu entry") << true;
}

void TestSettings::opensOverThePanel()
{
    QFETCH(bool, fromMenu);
    auto [platform, work, app, window] = m_program.start();
    SettingsWindow& settings = app.settingsWindow();
    QVERIFY(!settings.isVisible());
    if (fromMenu)
        openSettings(app);
    else
        click(app.mainWindow(), "settingsLabel");
    QVERIFY(settings.isVisible());
    QCOMPARE(settings.geometry(), QRect(514, 370, 502, 390));
    QVERIFY(settings.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(!app.mainWindow().isEnabled());
    QVERIFY(settings.isEnabled());
    QCOMPARE(child<ImageControl>(settings, "backgroundImage")->picture().data(),
             app.mainWindow().panelPicture().data());
    QCOMPARE(child<QLineEdit>(settings, "intervalEdit")->toolTip(),
             QString("Time in mili seconds    1000 ms = 1 second"));
    click(settings, "closeMark");
    QVERIFY(!settings.isVisible());
    QVERIFY(app.mainWindow().isEnabled());
    QVERIFY(platform.messages.errors.isEmpty());
}

void TestSettings::fillsFromTheFiles()
{
    auto [platform, work, app, window] = m_program.start();
    // Odd lines go to the width column, even ones to the height column,
    // unconverted; a short names file leaves the last boxes empty.
    work.write("DefaultSizes.ins",
               "0270\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n"
               "13\r\n14\r\n15\r\n16\r\n");
    work.write("DefaultNames.ins", "A\r\nB\r\nC\r\nD\r\nE\r\nA name of sixteen\r\n");
    work.write("DefaultSettings.ins", "3\r\nPurple\r\n12345\r\n");
    work.write("Tips.txt", "One\r\nTwo");
    openSettings(app);
    const SettingsWindow& settings = app.settingsWindow();
    QCOMPARE(child<QLineEdit>(settings, "widthEdit1")->text(), QString("0270"));
    QCOMPARE(child<QLineEdit>(settings, "heightEdit1")->text(), QString("2"));
    QCOMPARE(child<QLineEdit>(settings, "widthEdit2")->text(), QString("3"));
    QCOMPARE(child<QLineEdit>(settings, "widthEdit8")->text(), QString("15"));
    QCOMPARE(child<QLineEdit>(settings, "heightEdit8")->text(), QString("16"));
    QCOMPARE(child<QLineEdit>(settings, "nameEdit6")->text(), QString("A name of sixteen"));
    QCOMPARE(child<QLineEdit>(settings, "nameEdit7")->text(), QString());
    QCOMPARE(child<QComboBox>(settings, "borderWidthList")->currentText(), QString("3 px"));
    QCOMPARE(child<QComboBox>(settings, "borderColourBox")->currentText(), QString("Purple"));
    QCOMPARE(child<QLineEdit>(settings, "intervalEdit")->text(), QString("12345"));
    QCOMPARE(child<QPlainTextEdit>(settings, "tipsEdit")->toPlainText(), QString("One\nTwo"));
    QVERIFY(platform.messages.errors.isEmpty());
}

void TestSettings::acceptUnchangedWritesTheSameBytes_data()
{
    QTest::addColumn<QByteArray>("settingsFile");
    QTest::addColumn<QByteArray>("tipsFile");
    QTest::addColumn<QByteArray>("tipsWritten");
    QTest::addColumn<int>("borderEntry");
    QTest::newRow("shipped files")
        << shipped("DefaultSettings.ins") << shipped("Tips.txt") << shipped("Tips.txt") << 1;
    QTest::newRow("3 px, last tip without line end")
        << QByteArray("3\r\nRed\r\n6000\r\n") << QByteArray("A\r\n\r\nB")
        << QByteArray("A\r\n\r\nB") << 3;
    QTest::newRow("width no entry offers")
        << QByteArray("7\r\nGray\r\n6000\r\n") << QByteArray() << QByteArray() << -1;
    QTest::newRow("width with a sign")
        << QByteArray("+2\r\nGray\r\n6000\r\n") << QByteArray("x\n") << QByteArray("x\n") << 2;
}

void TestSettings::acceptUnchangedWritesTheSameBytes()
{
    QFETCH(QByteArray, settingsFile);
    QFETCH(QByteArray, tipsFile);
    QFETCH(QByteArray, tipsWritten);
    QFETCH(int, borderEntry);
    auto [platform, work, app, window] = m_program.start([&](const WorkDir& folder) {
        folder.write("DefaultSettings.ins", settingsFile);
        folder.write("Tips.txt", tipsFile);
    });
    openSettings(app);
    QCOMPARE(child<QComboBox>(app.settingsWindow(), "borderWidthList")->currentIndex(),
             borderEntry);
    click(app.settingsWindow(), "acceptLabel");
    QVERIFY(!app.settingsWindow().isVisible());
    QCOMPARE(work.read("DefaultSizes.ins"), shipped("DefaultSizes.ins"));
    QCOMPARE(work.read("DefaultNames.ins"), shipped("DefaultNames.ins"));
    QCOMPARE(work.read("DefaultSettings.ins"), settingsFile);
    QCOMPARE(work.read("Tips.txt"), tipsWritten);
    QVERIFY(platform.messages.errors.isEmpty());
}

void TestSettings::chosenBorderWidthIsWritten()
{
    auto [platform, work, app, window] = m_program.start([&](const WorkDir& folder) {
        folder.write("DefaultSettings.ins", "7\r\nGray\r\n6000\r\n");
    });
    openSettings(app);
    QComboBox* widths = child<QComboBox>(app.settingsWindow(), "borderWidthList");
    widths->setCurrentIndex(1);
    QTest::keyClick(widths, Qt::Key_Down); // the user's choice: "2 px"
    click(app.settingsWindow(), "acceptLabel");
    QCOMPARE(work.read("DefaultSettings.ins"), QByteArray("2\r\nGray\r\n6000\r\n"));
    QCOMPARE(app.workspace().preferences.borderWidth, 2);
}

void TestSettings::defaultsThenCancelChangeNoFile()
{
    const WorkDir& work = m_program.work();
    QByteArray sizes;
    for (int line = 1; line <= 16; ++line)
        sizes += "100\r\n";
    work.write("DefaultSizes.ins", sizes);
    work.write("DefaultNames.ins", "N\r\nN\r\nN\r\nN\r\nN\r\nN\r\nN\r\nN\r\n");
    jf::AppController& app = m_program.start().app;
    SettingsWindow& settings = app.settingsWindow();
    openSettings(app);
    click(settings, "defaultSizesLabel");
    click(settings, "defaultNamesLabel");
    QCOMPARE(child<QLineEdit>(settings, "widthEdit1")->text(), QString("270"));
    QCOMPARE(child<QLineEdit>(settings, "heightEdit7")->text(), QString("118"));
    QCOMPARE(child<QLineEdit>(settings, "nameEdit8")->text(), QString("CD Disk"));
    click(settings, "cancelLabel");
    QCOMPARE(work.read("DefaultSizes.ins"), sizes);
    QCOMPARE(work.read("DefaultNames.ins").left(3), QByteArray("N\r\n"));
    openSettings(app);
    QCOMPARE(child<QLineEdit>(settings, "widthEdit1")->text(), QString("100"));
    QCOMPARE(child<QLineEdit>(settings, "nameEdit8")->text(), QString("N"));
}

void TestSettings::clearedListStaysClearedAfterCancel_data()
{
    QTest::addColumn<QByteArray>("label");
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QString>("file");
    QTest::newRow("programs") << QByteArray("clearProgramsLabel") << QByteArray("programList")
                              << "ProgramsNames.txt";
    QTest::newRow("pictures") << QByteArray("clearPicturesLabel") << QByteArray("pictureList")
                              << "PicturesNames.txt";
}

void TestSettings::clearedListStaysClearedAfterCancel()
{
    QFETCH(QByteArray, label);
    QFETCH(QByteArray, list);
    QFETCH(QString, file);
    const WorkDir& work = m_program.work();
    for (const char* name :
         {"ProgramsNames.txt", "ProgramsPaths.txt", "PicturesNames.txt", "PicturesPaths.txt"})
        work.write(name, "entry\r\n");
    jf::AppController& app = m_program.start().app;
    openSettings(app);
    click(app.settingsWindow(), label);
    click(app.settingsWindow(), "cancelLabel");
    QCOMPARE(child<QListWidget>(app.mainWindow(), list)->count(), 0);
    QCOMPARE(child<QListWidget>(app.mainWindow(), "programList")->count() +
                 child<QListWidget>(app.mainWindow(), "pictureList")->count(),
             1);
    // The file follows when the main window closes.
    QCOMPARE(work.read(file), QByteArray("entry\r\n"));
    app.mainWindow().close();
    QCOMPARE(work.read(file), QByteArray());
}

void TestSettings::emptyWidthBoxFailsTheRefresh()
{
    auto [platform, work, app, window] = m_program.start();
    SettingsWindow& settings = app.settingsWindow();
    openSettings(app);
    child<QLineEdit>(settings, "widthEdit1")->clear();
    click(settings, "acceptLabel");
    QVERIFY(work.read("DefaultSizes.ins").startsWith("\r\n184\r\n265\r\n"));
    QCOMPARE(platform.messages.errors, QStringList{"'' is not a valid integer value."});
    QVERIFY(settings.isVisible());
    QVERIFY(app.mainWindow().isEnabled());
    QCOMPARE(app.mainWindow().selectedCoverKind(), 0);
}

void TestSettings::failuresKeepTheWindowUsable()
{
    auto [platform, work, app, window] = m_program.start();
    SettingsWindow& settings = app.settingsWindow();
    // A folder in place of the names file: opening fills the sizes only.
    work.remove("DefaultNames.ins");
    QVERIFY(QDir().mkdir(work.data("DefaultNames.ins")));
    work.write("DefaultSizes.ins", shipped("DefaultSizes.ins").replace("270", "99"));
    openSettings(app);
    QCOMPARE(platform.messages.errors.size(), 1);
    QVERIFY(platform.messages.errors[0].contains("DefaultNames.ins"));
    QVERIFY(settings.isVisible());
    QVERIFY(!app.mainWindow().isEnabled());
    QCOMPARE(child<QLineEdit>(settings, "widthEdit1")->text(), QString("99"));
    QCOMPARE(child<QLineEdit>(settings, "nameEdit1")->text(), QString());

    // Accept writes the sizes, then stops at the names; the window stays.
    child<QLineEdit>(settings, "widthEdit1")->setText("98");
    click(settings, "acceptLabel");
    QCOMPARE(platform.messages.errors.size(), 2);
    QVERIFY(work.read("DefaultSizes.ins").startsWith("98\r\n"));
    QCOMPARE(work.read("DefaultSettings.ins"), shipped("DefaultSettings.ins"));
    QVERIFY(settings.isVisible());

    // Closing re-reads the sizes into the main window, then fails at the
    // names: the window stays over an enabled main window.
    click(settings, "cancelLabel");
    QCOMPARE(platform.messages.errors.size(), 3);
    QVERIFY(settings.isVisible());
    QVERIFY(app.mainWindow().isEnabled());
    QCOMPARE(app.workspace().sizes.width(1), 98);

    QVERIFY(QDir().rmdir(work.data("DefaultNames.ins")));
    work.write("DefaultNames.ins", shipped("DefaultNames.ins"));
    click(settings, "cancelLabel");
    QVERIFY(!settings.isVisible());
    QCOMPARE(platform.messages.errors.size(), 3);
}

void TestSettings::closeDropsUnsavedSizes()
{
    auto [platform, work, app, main] = m_program.start();
    main.selectCoverKind(3);
    child<QLineEdit>(main, "widthEdit")->setText("200");
    main.selectCoverKind(2);
    child<QLineEdit>(main, "heightEdit")->setText("99");
    openSettings(app);
    click(app.settingsWindow(), "cancelLabel");
    QCOMPARE(main.selectedCoverKind(), 2);
    QCOMPARE(child<QLineEdit>(main, "widthEdit")->text(), QString("265"));
    QCOMPARE(child<QLineEdit>(main, "heightEdit")->text(), QString("184"));
    QCOMPARE(app.workspace().sizes.width(3), 280);
    QVERIFY(platform.messages.errors.isEmpty());
}

void TestSettings::intervalWarning_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("then");
    QTest::addColumn<int>("warnedOnTick"); // 0: at once, -1: never

    QTest::newRow("below 1000: third tick") << "999"
                                            << "wait" << 3;
    QTest::newRow("a further 0 cancels") << "9990"
                                         << "wait" << -1;
    QTest::newRow("leaving with 500") << "500"
                                      << "leave" << 0;
    QTest::newRow("leaving with 1000") << "1000"
                                       << "leave" << -1;
    QTest::newRow("closed before the third tick") << "500"
                                                  << "cancel" << 3;
}

void TestSettings::intervalWarning()
{
    QFETCH(QString, typed);
    QFETCH(QString, then);
    QFETCH(int, warnedOnTick);
    auto [platform, work, app, window] = m_program.start();
    SettingsWindow& settings = app.settingsWindow();
    QTimer* timer = child<QTimer>(settings, "warningTimer");
    timer->setInterval(20);
    int ticks = 0;
    int warnedAt = -1;
    connect(timer, &QTimer::timeout, [&] {
        ++ticks;
        if (warnedAt < 0 && !platform.messages.messages.isEmpty())
            warnedAt = ticks;
    });
    openSettings(app);
    QLineEdit* interval = child<QLineEdit>(settings, "intervalEdit");
    typeOver(interval, typed);
    if (then == "leave") {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(interval, &out);
        if (!platform.messages.messages.isEmpty())
            warnedAt = 0;
    } else if (then == "cancel") {
        click(settings, "cancelLabel");
        QVERIFY(!settings.isVisible());
    }
    QTest::qWait(200);
    QCOMPARE(warnedAt, warnedOnTick);
    QCOMPARE(platform.messages.messages, warnedOnTick < 0 ? QStringList() : QStringList{warning});
    QVERIFY(!timer->isActive());
    QVERIFY(platform.messages.errors.isEmpty());
}

void TestSettings::tickerAfterClose_data()
{
    QTest::addColumn<QString>("interval");
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("restarted");
    QTest::newRow("same interval") << "300" << true << false;
    QTest::newRow("other interval") << "400" << true << true;
    QTest::newRow("0 stops") << "0" << false << false;
}

void TestSettings::tickerAfterClose()
{
    QFETCH(QString, interval);
    QFETCH(bool, running);
    QFETCH(bool, restarted);
    auto [platform, work, app, window] = m_program.start([&](const WorkDir& folder) {
        folder.write("DefaultSettings.ins", "1\r\nGray\r\n300\r\n");
    });
    QTimer* tipTimer = child<QTimer>(app.mainWindow(), "tipTimer");
    app.mainWindow().showNextTip();
    const QString shown = child<ClickLabel>(app.mainWindow(), "tipLabel")->text();
    tipTimer->start(); // a fresh period, to measure against
    openSettings(app);
    child<QLineEdit>(app.settingsWindow(), "intervalEdit")->setText(interval);
    QTest::qWait(150);
    click(app.settingsWindow(), "acceptLabel");
    QCOMPARE(tipTimer->isActive(), running);
    if (running)
        QCOMPARE(tipTimer->remainingTime() > 200, restarted);
    else
        QCOMPARE(child<ClickLabel>(app.mainWindow(), "tipLabel")->text(), shown);
}

void TestSettings::shorterTipListStartsAgain()
{
    auto [platform, work, app, window] = m_program.start(
        [&](const WorkDir& folder) { folder.write("Tips.txt", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n"); });
    for (int tick = 1; tick <= 5; ++tick)
        app.mainWindow().showNextTip();
    openSettings(app);
    child<QPlainTextEdit>(app.settingsWindow(), "tipsEdit")->setPlainText("A\nB\nC\n");
    click(app.settingsWindow(), "acceptLabel");
    app.mainWindow().showNextTip();
    QCOMPARE(child<ClickLabel>(app.mainWindow(), "tipLabel")->text(), QString("A"));
}

void TestSettings::acceptKeepsFilesNotRead_data()
{
    QTest::addColumn<QString>("spoiled");
    QTest::addColumn<QByteArray>("content"); // "<missing>": removed
    QTest::addColumn<QString>("interval");   // typed before Accept, if any
    QTest::addColumn<QByteArray>("settingsAfter");
    const QByteArray settings("3\r\nRed\r\n2000\r\n");
    QTest::newRow("names missing")
        << "DefaultNames.ins" << QByteArray("<missing>") << "" << settings;
    QTest::newRow("tips over the ceiling")
        << "Tips.txt" << QByteArray(1360 * 1024, 'T') << "" << settings;
    QTest::newRow("sizes over the ceiling")
        << "DefaultSizes.ins" << QByteArray(1100 * 1024, '1') << "" << settings;
    // Line 1 fails to convert: the colour and interval were not shown; only
    // the typed interval is written, the other lines stay the file's.
    QTest::newRow("settings line 1 damaged, interval typed")
        << "DefaultSettings.ins" << QByteArray("x\r\nRed\r\n2000\r\n") << "1500"
        << QByteArray("x\r\nRed\r\n1500\r\n");
}

// Accept writes a file only where the user changed what it holds; what could
// not be read stays byte for byte.
void TestSettings::acceptKeepsFilesNotRead()
{
    QFETCH(QString, spoiled);
    QFETCH(QByteArray, content);
    QFETCH(QString, interval);
    QFETCH(QByteArray, settingsAfter);
    const jftest::HangGuard hang(30);
    TestPlatform& platform = m_program.platform();
    const WorkDir& work = m_program.work();
    work.write("DefaultSettings.ins", "3\r\nRed\r\n2000\r\n");
    work.write("Tips.txt", "Tip one\r\nTip two\r\n");
    if (content == "<missing>")
        work.remove(spoiled);
    else
        work.write(spoiled, content);
    QMap<QString, QByteArray> before;
    for (const char* name : {"DefaultSizes.ins", "DefaultNames.ins", "Tips.txt"})
        before[name] = work.read(name);
    jf::AppController& app = m_program.start().app;
    openSettings(app);
    if (!interval.isEmpty())
        child<QLineEdit>(app.settingsWindow(), "intervalEdit")->setText(interval);
    platform.messages.errors.clear();
    click(app.settingsWindow(), "acceptLabel");
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QCOMPARE(work.read(it.key()), it.value());
    QCOMPARE(work.read("DefaultSettings.ins"), settingsAfter);
}

void TestSettings::tipsBoxHoldsTheFileExactly_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("afterTyping"); // "new" typed at the end
    const QByteArray odd("No-break\xc2\xa0space\r\nLine\xe2\x80\xa8separator\r\n"
                         "Para\xe2\x80\xa9separator\r\n\tTab and blanks  \r\n"
                         "Lone\rCR\r\nNot UTF-8 \xff\xfe\xc3\r\nMark \xef\xa3\xbf\r\n");
    QTest::newRow("odd characters") << odd << odd + "new";
    QTest::newRow("Ctrl+Z") << QByteArray("A\r\n\x1a"
                                          "B\r\n")
                            << QByteArray("A\r\nnew\x1a"
                                          "B\r\n");
}

// The tips box holds the file's text exactly: unedited, the file is not
// written; edited, every other byte comes back.
void TestSettings::tipsBoxHoldsTheFileExactly()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, afterTyping);
    const jftest::HangGuard hang(30);
    auto [platform, work, app, window] =
        m_program.start([&](const WorkDir& folder) { folder.write("Tips.txt", file); });
    openSettings(app);
    click(app.settingsWindow(), "acceptLabel");
    QCOMPARE(work.read("Tips.txt"), file);
    openSettings(app);
    auto* tips = child<QPlainTextEdit>(app.settingsWindow(), "tipsEdit");
    tips->moveCursor(QTextCursor::End);
    tips->insertPlainText("new");
    click(app.settingsWindow(), "acceptLabel");
    QCOMPARE(work.read("Tips.txt"), afterTyping);
    QVERIFY(platform.messages.errors.isEmpty());
}

void TestSettings::closeEndsTheProgramAfterAFailedRefresh_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("names file missing") << "names";
    QTest::newRow("size line 26S") << "26S";
    QTest::newRow("x- accepted in a width box") << "x-";
}

// After a failed refresh the settings window stays, as it should; closing
// the main window still ends the program.
void TestSettings::closeEndsTheProgramAfterAFailedRefresh()
{
    QFETCH(QString, failure);
    const jftest::HangGuard hang(30);
    auto [platform, work, app, window] = m_program.start();
    SettingsWindow& settings = app.settingsWindow();
    bool stayed = false;
    QTimer::singleShot(0, [&] {
        app.mainWindow().show();
        openSettings(app);
        if (failure == "names") {
            work.remove("DefaultNames.ins");
            click(settings, "cancelLabel");
        } else if (failure == "26S") {
            work.write("DefaultSizes.ins", "26S\r\n");
            click(settings, "closeMark");
        } else {
            child<QLineEdit>(settings, "widthEdit1")->setText("x-");
            click(settings, "acceptLabel");
        }
        stayed = settings.isVisible() && platform.messages.errors.size() == 1;
        app.mainWindow().close();
    });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(stayed);
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
