#pragma once

#include "ui_AddProgramDialog.h"

#include <QString>
#include <QWidget>

namespace jf {

// A small borderless dialog at the screen's top left in which the user types,
// or picks with a file dialog, a program's command line and the name the
// program list shows for it. While it is open the main window is disabled.
// OK hands both texts on unchecked; every close empties the path and puts the
// default name back. Only the file dialog's last choice outlives a close.
class AddProgramDialog : public QWidget
{
    Q_OBJECT

public:
    // `mainWindow` is disabled while the dialog is open.
    explicit AddProgramDialog(QWidget* mainWindow);
    ~AddProgramDialog() override;

    // Shows the dialog without waiting for it to close.
    void open();

    static QString defaultName() { return QStringLiteral("My Program Name"); }

signals:
    // OK: append this program to the program list.
    void programChosen(const QString& commandLine, const QString& name);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void browse();
    void accept();

    Ui::AddProgramDialog m_ui;
    QWidget* m_mainWindow;
    QString m_lastChosen; // the file dialog reopens on it
};

} // namespace jf
