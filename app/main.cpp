#include "AppWindows.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    jf::prepareApplication();
    jf::AppWindows windows;
    windows.mainWindow.show();
    return QApplication::exec();
}
