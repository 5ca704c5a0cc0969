#include "Application.h"

#include "AppController.h"
#include "CommandLine.h"
#include "ErrorReport.h"
#include "Fonts.h"
#include "MainWindow.h"
#include "OneProgram.h"
#include "Platform.h"
#include "WindowLook.h"

#include <QAccessible>
#include <QApplication>
#include <QIcon>
#include <QTimer>

#include <utility>

namespace jf {

void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("jacketforge"));
    QCoreApplication::setApplicationVersion(QStringLiteral(JF_VERSION));
}

void prepareApplication()
{
    startListingFonts();
    nameApplication();
    QApplication::setApplicationDisplayName(applicationTitle());
    QApplication::setDesktopFileName(QStringLiteral("org.jacketforge.Jacketforge"));
}

void setProgramIcon(const QList<QImage>& sizes)
{
    QIcon icon;
    for (const QImage& size : sizes)
        icon.addPixmap(QPixmap::fromImage(size));
    QApplication::setWindowIcon(icon);
}

void afterFirstFrame(MainWindow& window, std::function<void()> work)
{
    auto pending = std::make_shared<std::function<void()>>(std::move(work));
    const auto run = [pending] {
        if (*pending)
            guarded(std::exchange(*pending, nullptr));
    };
    QObject::connect(&window, &MainWindow::firstFramePainted, &window, run);
    QTimer::singleShot(1000, &window, run);
}

void finishStartAfterFirstFrame(MainWindow& window, OneProgram& one)
{
    afterFirstFrame(window, [&window, &one] {
        one.listen();
        setProgramIcon(window.pictures().icon);
    });
}

Application::Application(StartArguments& start)
{
    startLoadingFonts(windowFamilies());
    DisplayWatch display;
    m_application = std::make_unique<QApplication>(start.qtArgc(), start.qtArgv());
    display.finish();
    prepareApplication();
    // Qt sets up its bridge to assistive technology when the first control
    // is made, and waits while it connects to the session bus (where none is
    // known, it tries to start one). Asked for here, that wait overlaps the
    // font thread's last work instead of coming after it.
    QAccessible::isActive();
}

Application::~Application()
{
    waitForFontList();
    if (m_pictures.valid())
        m_pictures.wait();
}

std::unique_ptr<AppController> Application::makeController()
{
    // The pictures are decoded beside the window's construction, for the
    // density of the screens the application object has found.
    m_pictures =
        std::async(std::launch::async, &WindowPictures::decode, m_application->devicePixelRatio());
    waitForFontConfiguration();
    return std::make_unique<AppController>([this] {
        waitForFontList();
        return m_pictures.get();
    });
}

} // namespace jf
