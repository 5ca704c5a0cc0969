#include "AppController.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    jf::prepareApplication();
    jf::AppController controller;
    controller.mainWindow().show();
    return QApplication::exec();
}
