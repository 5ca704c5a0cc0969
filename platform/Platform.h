#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QPrinter;
class QWidget;

namespace jf {

// The thin layer over what the desktop supplies: message boxes, the
// file-open dialog, the desktop's "open" and starting commands, the
// printer-setup dialog. Windows call these through platform(); tests install
// doubles.

class MessageService
{
public:
    virtual ~MessageService() = default;
    // A modal critical message box with the application title as caption.
    virtual void showError(const QString& text) = 0;
    // A modal message box without icon, centred on the screen.
    virtual void showMessage(const QString& text) = 0;
    // A modal question box with "Yes" and "No" and the application title as
    // caption; true for "Yes". A service that cannot ask answers "No".
    virtual bool askYesNo(const QString& text)
    {
        Q_UNUSED(text);
        return false;
    }
};

struct OpenFileRequest
{
    // Filter pairs as "Name|pattern|Name|pattern".
    QString filter;
    int filterIndex = 1;   // 1-based preselected filter
    QString initialFile;   // reopens on this file
    QString initialFolder; // opens here while there is no initial file
    bool fileMustExist = true;
    bool executablesOnly = false; // lists only programs (listedAsProgram) and folders
};

struct OpenFileResult
{
    QString path;        // full path chosen
    int filterIndex = 1; // filter in use when confirmed
};

class FileDialogService
{
public:
    virtual ~FileDialogService() = default;
    // Runs a modal file-open dialog; nothing when the user cancels.
    virtual std::optional<OpenFileResult> openFile(QWidget* parent,
                                                   const OpenFileRequest& request) = 0;
};

class ShellService
{
public:
    virtual ~ShellService() = default;
    // Hands a file to the desktop's associated viewer. False when the desktop
    // has no program to hand it to; when that is found out only later, the
    // desktop's own service reports noViewerMessage itself. What the viewer
    // does is ignored. An empty path is handed to nobody and counts as
    // handed on.
    virtual bool openDocument(const QString& path) = 0;
    // Starts a command line without waiting; the outcome is ignored.
    virtual void startCommand(const QString& commandLine) = 0;
};

// How a favourite program's command line is started, without a shell: a
// line that names an executable file as a whole runs as it stands, blanks
// included; a desktop entry (".desktop") is launched as the desktop would
// (through gio, where it is installed); anything else is split into program
// and arguments by the usual quoting rules. An empty program starts nothing.
struct CommandStart
{
    QString program;
    QStringList arguments;
};
CommandStart commandStartFor(const QString& commandLine);

// The printer-setup dialog: printer, paper and orientation.
class PrinterSetupService
{
public:
    virtual ~PrinterSetupService() = default;
    // Runs the modal dialog prefilled with the settings of `printer`; true when
    // the user confirmed, in which case the choices have been written into
    // `printer`. On cancel `printer` may have been touched; the caller throws
    // it away. Throws PrinterError when the print service did not answer
    // when the choice was confirmed.
    virtual bool run(QWidget* parent, QPrinter& printer) = 0;
};

struct Platform
{
    MessageService* messages = nullptr;
    FileDialogService* fileDialog = nullptr;
    ShellService* shell = nullptr;
    // nullptr: Qt's own print dialog (DesktopPrinterSetup).
    PrinterSetupService* printerSetup = nullptr;
};

// The services in use; the desktop's own ones unless a test replaced them.
Platform& platform();

// Puts the desktop's own services back.
void restoreDesktopPlatform();

// What "View Image" reports when the desktop has no program for the picture.
QString noViewerMessage(const QString& path);

// The application title, caption of every message box.
QString applicationTitle();

} // namespace jf
