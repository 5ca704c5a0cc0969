#include "Fonts.h"
#include "Platform.h"
#include "TForm_Main.h"
#include "TForm_Print.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The title names the program to the desktop and captions every message
    // box, so it is set before any window exists.
    QApplication::setApplicationName(jf::applicationTitle());
    QApplication::setApplicationDisplayName(jf::applicationTitle());
    QApplication::setDesktopFileName(QStringLiteral("jacketforge"));
    jf::installWindowFonts();

    // FormCreate runs inside the constructor; a failure there is reported
    // before the window is shown, and the window opens with what was loaded.
    // The windows are made in this order, all hidden; each lives until exit.
    TForm_Main formMain;
    TForm_Print formPrint;
    formMain.Form_Print = &formPrint;

    formMain.show();
    return QApplication::exec();
}
