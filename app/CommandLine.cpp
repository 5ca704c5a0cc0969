#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

namespace jf {

CommandLineRequest parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints CD and DVD case covers at their exact size."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("picture"),
                                 QStringLiteral("A picture to open in the preview."),
                                 QStringLiteral("[picture]"));

    CommandLineRequest request;
    if (!parser.parse(arguments)) {
        request.action = CommandLineRequest::Action::Refuse;
        request.text = parser.errorText();
    } else if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        request.action = CommandLineRequest::Action::ShowHelp;
        // Qt's help names the program by the path it was started from (the
        // launcher starts it from a library folder): it is named as the
        // user calls it. That text needs the application object.
        if (QCoreApplication::instance()) {
            request.text = parser.helpText();
            request.text.replace(QStringLiteral("Usage: ") + QCoreApplication::arguments().first(),
                                 QStringLiteral("Usage: ") + QCoreApplication::applicationName());
        }
    } else if (parser.isSet(version)) {
        request.action = CommandLineRequest::Action::ShowVersion;
        request.text = QCoreApplication::applicationName() + QLatin1Char(' ') +
                       QCoreApplication::applicationVersion() + QLatin1Char('\n');
    } else if (const QStringList pictures = parser.positionalArguments(); pictures.size() > 1) {
        request.action = CommandLineRequest::Action::Refuse;
        request.text = QStringLiteral("Only one picture can be opened at a time.");
    } else if (pictures.size() == 1) {
        // An empty argument names no file and stays empty.
        if (!pictures.first().isEmpty())
            request.picture = QFileInfo(pictures.first()).absoluteFilePath();
    }
    return request;
}

int answerCommandLine(const CommandLineRequest& request)
{
    using Action = CommandLineRequest::Action;
    const QString name = QCoreApplication::applicationName();
    switch (request.action) {
    case Action::Start:
        return 0;
    case Action::ShowHelp:
    case Action::ShowVersion:
        std::fputs(qPrintable(request.text), stdout);
        return 0;
    case Action::Refuse:
        std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", qPrintable(name),
                     qPrintable(request.text), qPrintable(name));
        return commandLineRefused;
    }
    return 0;
}

QString preferredDisplayPlatform(const QProcessEnvironment& environment)
{
    if (!environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty())
        return QString();
    const bool wayland =
        !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty() ||
        environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland");
    const bool xServer = !environment.value(QStringLiteral("DISPLAY")).isEmpty();
    return wayland && xServer ? QStringLiteral("xcb") : QString();
}

void chooseDisplayPlatform()
{
    const QString platform = preferredDisplayPlatform(QProcessEnvironment::systemEnvironment());
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform.toLocal8Bit());
}

} // namespace jf
