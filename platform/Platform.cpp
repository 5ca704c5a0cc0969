#include "Platform.h"

#include "Version.h"

#include "FileDialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
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
    bool openDocument(const QString& path) override
    {
        if (path.isEmpty())
            return true;
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
    void startCommand(const QString& commandLine) override
    {
        const CommandStart start = commandStartFor(commandLine);
        if (!start.program.isEmpty())
            QProcess::startDetached(start.program, start.arguments); // outcome ignored
    }
};

} // namespace

CommandStart commandStartFor(const QString& commandLine)
{
    const QFileInfo whole(commandLine);
    if (!commandLine.isEmpty() && whole.isFile()) {
        if (commandLine.endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive)) {
            const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
            if (!gio.isEmpty())
                return {gio, {QStringLiteral("launch"), commandLine}};
        }
        if (whole.isExecutable())
            return {commandLine, {}};
    }
    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty())
        return {};
    const QString program = words.takeFirst();
    return {program, words};
}

namespace {

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
