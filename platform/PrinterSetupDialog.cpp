#include "PrinterSetupDialog.h"

#include "CupsOptions.h"
#include "Errors.h"
#include "PrintServiceCheck.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QWidget>

namespace jf {

namespace {

void placeDialog(QWidget& dialog, QWidget* parent)
{
    QWidget* anchor = QApplication::activeWindow();
    if (!anchor)
        anchor = parent ? parent->window() : nullptr;
    QScreen* screen = anchor ? anchor->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    dialog.adjustSize();
    const QRect monitor = screen->geometry();
    const QSize size = dialog.frameGeometry().size();
    dialog.move(monitor.x() + (monitor.width() - size.width()) / 2,
                monitor.y() + (monitor.height() - size.height()) / 3);
}

// Qt's dialog rebuilds the option list from its printer-properties window
// whenever it is confirmed, and that window starts from the queue's defaults,
// not from the printer it was given. So unless the user confirmed that window
// this time, the earlier choices (and the colour mode it derives from them)
// are put back; the page selection of the main pane stays the dialog's.
void keepEarlierProperties(QPrintDialog& dialog, QPrinter& printer, const QString& printerBefore,
                           const QStringList& optionsBefore, QPrinter::ColorMode colourBefore)
{
    if (printer.outputFormat() != QPrinter::NativeFormat || printer.printerName() != printerBefore)
        return;
    for (const QDialog* child : dialog.findChildren<QDialog*>()) {
        if (qstrcmp(child->metaObject()->className(), "QPrintPropertiesDialog") == 0 &&
            child->result() == QDialog::Accepted)
            return;
    }
    QStringList options = cupsOptions(printer);
    for (qsizetype i = 0; i + 1 < optionsBefore.size(); i += 2) {
        const QString& name = optionsBefore[i];
        if (name != QLatin1String("page-set") && name != QLatin1String("page-ranges"))
            setCupsOption(options, name, optionsBefore[i + 1]);
    }
    setCupsOptions(printer, options);
    printer.setColorMode(colourBefore);
}

// Qt's dialog takes the chosen printer up on OK by asking the print service
// on the window's thread. The service is asked first on a thread of its own;
// when it does not answer, the dialog closes with the choice not taken and
// `refusal` says why.
class SetupDialog final : public QPrintDialog
{
public:
    using QPrintDialog::QPrintDialog;

    QString refusal;

    void accept() override
    {
        if (m_asking)
            return; // OK clicked again while the service is asked
        m_asking = true;
        try {
            printServiceCheck().require(
                QStringLiteral("The choice in Print Setup was not taken; try again once it "
                               "answers"));
        } catch (const Error& e) {
            refusal = e.message();
        } catch (...) {
            refusal = QStringLiteral("Unknown failure");
        }
        m_asking = false;
        if (!refusal.isEmpty())
            QDialog::reject();
        else if (isVisible()) // not cancelled meanwhile
            QPrintDialog::accept();
    }

private:
    bool m_asking = false;
};

} // namespace

bool DesktopPrinterSetup::run(QWidget* parent, QPrinter& printer)
{
    const bool native = printer.outputFormat() == QPrinter::NativeFormat;
    const QString printerBefore = native ? printer.printerName() : QString();
    const QStringList optionsBefore = native ? cupsOptions(printer) : QStringList();
    const QPrinter::ColorMode colourBefore = printer.colorMode();

    SetupDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Print Setup"));
    // Printer, paper and orientation only: a cover is always one page.
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
    dialog.setOption(QAbstractPrintDialog::PrintShowPageSize, true);
    // It chooses the printer; it does not print, so its button says OK.
    for (QDialogButtonBox* buttons : dialog.findChildren<QDialogButtonBox*>()) {
        for (QAbstractButton* button : buttons->buttons()) {
            if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole) {
                button->setText(QStringLiteral("OK"));
                button->setIcon(QIcon());
            }
        }
    }
    placeDialog(dialog, parent);
    const int result = dialog.exec();
    if (!dialog.refusal.isEmpty())
        throw PrinterError(dialog.refusal);
    if (result != QDialog::Accepted)
        return false;
    if (native)
        keepEarlierProperties(dialog, printer, printerBefore, optionsBefore, colourBefore);
    return true;
}

} // namespace jf
