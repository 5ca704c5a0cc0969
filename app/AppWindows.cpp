#include "AppWindows.h"

#include "Fonts.h"
#include "Platform.h"

#include <QApplication>

namespace jf {

void prepareApplication()
{
    QApplication::setApplicationName(applicationTitle());
    QApplication::setApplicationDisplayName(applicationTitle());
    QApplication::setDesktopFileName(QStringLiteral("jacketforge"));
    installWindowFonts();
}

AppWindows::AppWindows()
{
    mainWindow.m_printWindow = &printWindow;
}

} // namespace jf
