#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace jf {

// What the program's command line asks for: `jacketforge [PICTURE]`,
// `--help` or `--version`.
struct CommandLineRequest
{
    enum class Action
    {
        Start,
        ShowHelp,
        ShowVersion,
        Refuse
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
// version; a relative picture path is taken from the current directory.
// Without an application object the request is told but the help text is
// left empty.
CommandLineRequest parseCommandLine(const QStringList& arguments);

// Prints a request's text (help and version on standard output, a refusal
// with a pointer to --help on standard error) and returns the exit status.
int answerCommandLine(const CommandLineRequest& request);

// The display platform the program should use when the user has not chosen
// one: "xcb" in a Wayland session that also has an X server, because the
// windows open at exact screen positions, which Wayland does not give to
// programs; otherwise empty, leaving the choice to Qt. An explicit
// QT_QPA_PLATFORM always wins.
QString preferredDisplayPlatform(const QProcessEnvironment& environment);

// Applies that choice for this process; runs before the application object
// exists.
void chooseDisplayPlatform();

} // namespace jf
