#include "Platform.h"

#include "Errors.h"
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

// Every box shows its text as it is: a quoted file name such as
// "<img src=...>" is never taken for markup (which would read that file).
int runMessageBox(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, applicationTitle(), text, buttons);
    box.setTextFormat(Qt::PlainText);
    if (buttons.testFlag(QMessageBox::No))
        box.setDefaultButton(QMessageBox::No);
    return box.exec();
}

class DesktopMessages final : public MessageService
{
public:
    void showError(const QString& text) override
    {
        runMessageBox(QMessageBox::Critical, text, QMessageBox::Ok);
    }
    void showMessage(const QString& text) override
    {
        runMessageBox(QMessageBox::NoIcon, text, QMessageBox::Ok);
    }
    bool askYesNo(const QString& text) override
    {
        return runMessageBox(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    }
};

class DesktopShell final : public ShellService
{
public:
    bool openDocument(const QString& path) override
    {
        if (path.isEmpty())
            return true;
        const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (xdgOpen.isEmpty())
            return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
        // xdg-open, as Qt would run it, but watched: it ends with 3 when it
        // finds no program for the file. It may also run the viewer in the
        // foreground and end only with it.
        auto* process = new QProcess(qApp);
        process->setStandardInputFile(QProcess::nullDevice());
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
        QObject::connect(
            process, &QProcess::finished, process,
            [process, path](int exitCode, QProcess::ExitStatus status) {
                process->deleteLater();
                if (status == QProcess::NormalExit && exitCode == 3 && platform().messages)
                    platform().messages->showError(errorReportText(noViewerMessage(path)));
            });
        // Whether it started is told later too: the window does not wait.
        QObject::connect(process, &QProcess::errorOccurred, process,
                         [process, path](QProcess::ProcessError error) {
                             if (error != QProcess::FailedToStart)
                                 return;
                             process->deleteLater();
                             if (platform().messages)
                                 platform().messages->showError(
                                     errorReportText(noViewerMessage(path)));
                         });
        process->start(xdgOpen, {path});
        return true;
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

QString noViewerMessage(const QString& path)
{
    return QStringLiteral("No program to show \"%1\" was found on this desktop. Install an "
                          "image viewer, or choose one for this picture type in the desktop's "
                          "settings")
        .arg(path);
}

QString applicationTitle()
{
    return QStringLiteral(JF_APPLICATION_TITLE);
}

} // namespace jf
