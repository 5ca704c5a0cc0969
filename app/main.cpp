#include "AppController.h"
#include "CommandLine.h"
#include "ErrorReport.h"
#include "Fonts.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    jf::StartArguments start(argc, argv);
    // --help and --version answer without a display.
    const auto early = jf::parseCommandLine(start.arguments()).action;
    if (early == jf::CommandLineRequest::Action::ShowHelp ||
        early == jf::CommandLineRequest::Action::ShowVersion) {
        QCoreApplication core(argc, argv);
        jf::nameApplication();
        return jf::answerCommandLine(jf::parseCommandLine(start.arguments()));
    }

    jf::startLoadingFonts();
    jf::DisplayWatch display;
    QApplication app(start.qtArgc(), start.qtArgv());
    display.finish();
    jf::prepareApplication();
    // Qt's own options (-platform, -style, ...) are gone from the arguments.
    const jf::CommandLineRequest request = jf::parseCommandLine(start.arguments());
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
