#include "AppController.h"
#include "Application.h"
#include "CommandLine.h"
#include "DataFolder.h"
#include "ErrorReport.h"
#include "OneProgram.h"

#include <QApplication>

#include <optional>

int main(int argc, char* argv[])
{
    using Action = jf::CommandLineRequest::Action;
    jf::StartArguments start(argc, argv);
    // --help and --version answer without a display.
    const jf::CommandLineRequest early = jf::parseCommandLine(start.arguments());
    if (early.action == Action::ShowHelp || early.action == Action::ShowVersion) {
        QCoreApplication core(argc, argv);
        jf::nameApplication();
        return jf::answerCommandLine(jf::parseCommandLine(start.arguments()));
    }

    // One program per Data folder: a second start hands its picture to the
    // one running and ends here, before it needs a display. A command line
    // with Qt's own options in it is read (and the folder claimed) once Qt
    // has taken them out.
    jf::OneProgram one(jf::currentBaseDir());
    std::optional<jf::OneProgram::Start> claimed;
    if (early.action == Action::Start) {
        claimed = one.claim(early.picture);
        if (*claimed == jf::OneProgram::Start::HandedOver)
            return 0;
    }

    jf::Application application(start);
    // Qt's own options (-platform, -style, ...) are gone from the arguments.
    const jf::CommandLineRequest request = jf::parseCommandLine(start.arguments());
    if (request.action != Action::Start)
        return jf::answerCommandLine(request);
    if (!claimed) {
        claimed = one.claim(request.picture);
        if (*claimed == jf::OneProgram::Start::HandedOver)
            return 0;
    }
    if (*claimed == jf::OneProgram::Start::NoAnswer)
        return jf::answerCommandLine({Action::ShowLaunchFailure, {}, one.noAnswerText()});

    const std::unique_ptr<jf::AppController> controller = application.makeController();
    if (!request.picture.isEmpty())
        jf::guarded([&] { controller->mainWindow().openPicture(request.picture); });
    controller->mainWindow().show();
    jf::finishStartAfterFirstFrame(controller->mainWindow(), one);
    // Pictures handed over by later starts on the same Data folder.
    one.setReceiver([&controller](const QString& picture) {
        jf::MainWindow& window = controller->mainWindow();
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
        window.raise();
        window.activateWindow();
        if (!picture.isEmpty())
            jf::guarded([&] { window.openPicture(picture); });
    });
    return QApplication::exec();
}
