#include "AppController.h"
#include "CommandLine.h"
#include "ErrorReport.h"
#include "Fonts.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // --help and --version answer without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const auto early = jf::parseCommandLine(arguments).action;
    if (early == jf::CommandLineRequest::Action::ShowHelp ||
        early == jf::CommandLineRequest::Action::ShowVersion) {
        QCoreApplication core(argc, argv);
        jf::nameApplication();
        return jf::answerCommandLine(jf::parseCommandLine(QCoreApplication::arguments()));
    }

    // The platform choice may set an environment variable: before a second
    // thread (fontconfig reads the environment) exists.
    jf::chooseDisplayPlatform();
    jf::startLoadingFonts();
    QApplication app(argc, argv);
    jf::prepareApplication();
    // Qt's own options (-platform, -style, ...) are gone from the arguments.
    const jf::CommandLineRequest request = jf::parseCommandLine(QApplication::arguments());
    if (request.action != jf::CommandLineRequest::Action::Start) {
        jf::waitForFontList();
        return jf::answerCommandLine(request);
    }

    jf::AppController controller;
    if (!request.picture.isEmpty())
        jf::guarded([&] { controller.mainWindow().openPicture(request.picture); });
    controller.mainWindow().show();
    return QApplication::exec();
}
