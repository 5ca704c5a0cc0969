#include "AppController.h"
#include "Application.h"
#include "CommandLine.h"
#include "ErrorReport.h"

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

    jf::Application application(start);
    // Qt's own options (-platform, -style, ...) are gone from the arguments.
    const jf::CommandLineRequest request = jf::parseCommandLine(start.arguments());
    if (request.action != jf::CommandLineRequest::Action::Start)
        return jf::answerCommandLine(request);

    const std::unique_ptr<jf::AppController> controller = application.makeController();
    if (!request.picture.isEmpty())
        jf::guarded([&] { controller->mainWindow().openPicture(request.picture); });
    controller->mainWindow().show();
    return QApplication::exec();
}
