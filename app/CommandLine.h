#pragma once

#include <QByteArray>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <vector>

namespace jf {

// What the program's command line asks for: `jacketforge [PICTURE]`,
// `--help` or `--version`; or, from the launcher, `--launch-failure TEXT`
// (not in the help): show why it could not start the program and end.
struct CommandLineRequest
{
    enum class Action
    {
        Start,
        ShowHelp,
        ShowVersion,
        Refuse,
        ShowLaunchFailure
    };
    Action action = Action::Start;
    // The picture to open at start, as an absolute path; empty for none.
    QString picture;
    // The help or version text, or why the command line is refused.
    QString text;
};

// The exit status of a refused command line.
inline constexpr int commandLineRefused = 2;

// Reads the arguments (the program's name first, Qt's own options already
// taken out). The texts name the program by the application's name and
// version; a relative picture path is taken from the current directory, a
// `file://` URI (as file managers and browsers pass pictures) is a local
// path, and any other URI is refused. Without an application object the
// request is told but the help text is left empty.
CommandLineRequest parseCommandLine(const QStringList& arguments);

// Prints a request's text (help and version on standard output, a refusal
// with a pointer to --help on standard error, a launch failure on standard
// error and in a message box) and returns the exit status.
int answerCommandLine(const CommandLineRequest& request);

// A path Qt can open for a file name given as bytes. Qt's file names are
// Unicode text, so a name that is not valid UTF-8 (written on a disk in
// another encoding) has no spelling of its own: such a file is reached
// through a symbolic link of a similar name in a private folder that lasts
// as long as the program.
QString localPathFromBytes(const QByteArray& path);

// The bytes a path names on disk: for a link made by localPathFromBytes,
// the name it stands for (which outlives this program's private folder);
// otherwise the path's bytes as TextCodec.h spells them.
QByteArray localPathBytes(const QString& path);

// The program's arguments as the application object gets them and as the
// program reads them after Qt has taken its own options.
//  - What follows "--" is kept from Qt, which would take "-reverse" or
//    "-style=x" there as its own options: it is all picture paths.
//  - The display platform the program prefers is asked for with Qt's own
//    "-platform" option (where the command line names none), never through
//    the environment, which programs started from the program inherit.
class StartArguments
{
public:
    StartArguments(
        int argc, char** argv,
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
    StartArguments(const StartArguments&) = delete;
    StartArguments& operator=(const StartArguments&) = delete;

    // For the application object's constructor, which takes its options out
    // of them; they must outlive it.
    int& qtArgc() { return m_qtArgc; }
    char** qtArgv() { return m_qtArgv.data(); }
    // What Qt is given (or has left), as text.
    QStringList qtArguments() const;

    // The program's own arguments: those Qt has left (all of them before
    // the application object exists) and what follows "--", without the
    // platform choice. A name that is not valid UTF-8 becomes a path Qt can
    // open (localPathFromBytes).
    QStringList arguments() const;

private:
    std::vector<QByteArray> m_words;
    std::vector<char*> m_qtArgv;
    int m_qtArgc = 0;
    QList<QByteArray> m_filesOnly; // "--" and what follows it
    const char* m_addedPlatform = nullptr;
};

// Watches the making of the application object. When Qt finds no display
// it can use, the program ends with status 1 and one line instead of Qt's
// abort: "jacketforge: no display: set DISPLAY or WAYLAND_DISPLAY, or run it
// under xvfb-run". Qt's messages meanwhile are held back and passed on once
// the application object stands (or Qt fails for another reason, such as a
// platform name that does not exist).
class DisplayWatch
{
public:
    DisplayWatch();
    ~DisplayWatch();
    DisplayWatch(const DisplayWatch&) = delete;
    DisplayWatch& operator=(const DisplayWatch&) = delete;
    // The application object stands: Qt's messages flow again.
    void finish();

private:
    bool m_watching = true;
};

// The line printed when there is no display.
inline constexpr char noDisplayLine[] =
    "jacketforge: no display: set DISPLAY or WAYLAND_DISPLAY, or run it under xvfb-run\n";

// The display platform the program should use when the user has not chosen
// one: "xcb" in a Wayland session that also has an X server, because the
// windows open at exact screen positions, which Wayland does not give to
// programs; otherwise empty, leaving the choice to Qt. An explicit
// QT_QPA_PLATFORM always wins.
QString preferredDisplayPlatform(const QProcessEnvironment& environment);

} // namespace jf
