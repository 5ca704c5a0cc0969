#pragma once

// The program started for a test as the desktop starts it, in a scratch
// working folder of the test's own, and the ways a test drives its windows.

#include "AppController.h"
#include "TestPlatform.h"

#include <QApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace jftest {

// One test's program: a scratch working folder holding the shipped Data
// folder, and the desktop services replaced by doubles. A test class holds
// one (or derives from it), renews it in init() and clears it in cleanup();
// a test starts the program with start(), once `prepare` has made the Data
// folder what the test needs. Starting again ends the program first, as a
// restart does.
class ProgramFixture
{
public:
    struct Started
    {
        TestPlatform& platform;
        WorkDir& work;
        jf::AppController& app;
        jf::MainWindow& form;
    };
    using Prepare = std::function<void(const WorkDir&)>;

    // A fresh folder, with or without the Data folder, and fresh doubles.
    void renew(bool withData = true)
    {
        clear();
        m_platform.emplace();
        m_work.emplace(withData);
    }
    void clear()
    {
        m_app.reset();
        m_work.reset();
        m_platform.reset();
    }

    Started start(const Prepare& prepare = {})
    {
        if (prepare)
            prepare(*m_work);
        m_app.reset();
        m_app = std::make_unique<jf::AppController>();
        return {*m_platform, *m_work, *m_app, m_app->mainWindow()};
    }
    // Starts the program once the Data files given are written (removed,
    // for a null array).
    using Files = std::initializer_list<std::pair<QString, QByteArray>>;
    Started start(Files files) { return start(writer(files)); }
    jf::MainWindow& show(Files files) { return show(writer(files)); }
    // Starts the program and waits until its main window shows, active.
    jf::MainWindow& show(const Prepare& prepare = {})
    {
        start(prepare);
        form().show();
        form().activateWindow();
        if (!QTest::qWaitForWindowActive(&form()))
            qFatal("the main window did not become active");
        return form();
    }

    TestPlatform& platform() { return *m_platform; }
    WorkDir& work() { return *m_work; }
    QStringList& errors() { return m_platform->messages.errors; }
    jf::Workspace& workspace() { return m_app->workspace(); }
    jf::MainWindow& form() { return m_app->mainWindow(); }
    // The tool windows, each made when first asked for.
    jf::SettingsWindow& settings() { return m_app->settingsWindow(); }
    jf::HelpWindow& help() { return m_app->helpWindow(); }
    jf::AddProgramDialog& addProgram() { return m_app->addProgramDialog(); }
    jf::SheetWindow& sheet() { return m_app->sheet().window(); }
    jf::CalibrationWindow& calibration() { return m_app->calibration().window(); }
    jf::DiscLabelWindow& discLabel() { return m_app->disc().window(); }

    // A click on the control `name` of `window`, or of the main window.
    static void click(const QObject& window, const char* name)
    {
        QTest::mouseClick(child(window, name), Qt::LeftButton);
    }
    void click(const char* name) { click(form(), name); }
    // The keys apart by commas ("Tab, Shift+Right"), each to `control`, else
    // to the control then focused.
    static void press(const QString& keys, QWidget* control = nullptr)
    {
        const QKeySequence sequence(keys);
        for (int i = 0; i < sequence.count(); ++i)
            QTest::keyClick(control ? control : QApplication::focusWidget(), sequence[i].key(),
                            sequence[i].keyboardModifiers());
    }
    // The focus given to a control of the main window as Tab gives it, and
    // the name of the control that has it.
    void focus(const char* control) { child(form(), control)->setFocus(Qt::TabFocusReason); }
    static QString focusName()
    {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }
    void trigger(const char* action) { child<QAction>(form(), action)->trigger(); }
    // A click on the caption of cover kind `kind` (1 to 8).
    void pick(int kind) { click(qPrintable(QString("coverKindLabel%1").arg(kind))); }
    // Types over the whole box, as a user replaces a value.
    static void type(QLineEdit* box, const QString& text)
    {
        box->setFocus();
        press("Ctrl+A, Backspace", box);
        QTest::keyClicks(box, text);
    }
    void type(const char* box, const QString& text) { type(edit(box), text); }
    static QLineEdit* edit(const QObject& window, const char* name)
    {
        return child<QLineEdit>(window, name);
    }
    QLineEdit* edit(const char* name) { return edit(form(), name); }
    // The text of the label `name` of `window`, or of the main window.
    static QString caption(const QObject& window, const char* name)
    {
        return child<QLabel>(window, name)->text();
    }
    QString caption(const char* name) { return caption(form(), name); }
    // The texts of a menu's entries.
    static QStringList entries(const QMenu* menu)
    {
        QStringList texts;
        for (const QAction* action : menu->actions())
            texts << action->text();
        return texts;
    }

private:
    static Prepare writer(Files files)
    {
        return [files](const WorkDir& folder) {
            for (const auto& [name, bytes] : files)
                bytes.isNull() ? folder.remove(name) : folder.write(name, bytes);
        };
    }

    std::optional<TestPlatform> m_platform;
    std::optional<WorkDir> m_work;
    std::unique_ptr<jf::AppController> m_app;
};

} // namespace jftest
