#include "Platform.h"

#include "Version.h"

#include "FileDialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

namespace jf {

namespace {

class DesktopMessages final : public MessageService
{
public:
    void showError(const QString& text) override
    {
        QMessageBox box(QMessageBox::Critical, applicationTitle(), text, QMessageBox::Ok);
        box.exec();
    }
    void showMessage(const QString& text) override
    {
        QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok);
        box.exec();
    }
};

class DesktopShell final : public ShellService
{
public:
    void openDocument(const QString& path) override
    {
        if (path.isEmpty())
            return;
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
    void startCommand(const QString& commandLine) override
    {
        QStringList args = QProcess::splitCommand(commandLine);
        if (args.isEmpty())
            return;
        const QString program = args.takeFirst();
        QProcess::startDetached(program, args);
    }
};

Platform desktopPlatform()
{
    static DesktopMessages messages;
    static DesktopFileDialog fileDialog;
    static DesktopShell shell;
    return Platform{&messages, &fileDialog, &shell};
}

Platform g_platform = desktopPlatform();

} // namespace

Platform& platform()
{
    return g_platform;
}

void restoreDesktopPlatform()
{
    g_platform = desktopPlatform();
}

QString applicationTitle()
{
    return QStringLiteral(JF_APPLICATION_TITLE);
}

} // namespace jf
