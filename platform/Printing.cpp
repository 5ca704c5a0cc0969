#include "Printing.h"

#include "Errors.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QWidget>
#include <cfenv>

namespace jf {

namespace {

// The CUPS print engine's key for extra job options (name/value pairs).
constexpr auto kCupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

QString noDefaultPrinterMessage()
{
    return QStringLiteral("There is no default printer currently selected");
}

// Keeps the floating-point environment of the caller across a dialog, so
// the conversions after it round as they should, and clears whatever
// exception flags the dialog left pending.
class FloatEnvironmentGuard
{
public:
    FloatEnvironmentGuard() { std::fegetenv(&m_saved); }
    ~FloatEnvironmentGuard()
    {
        std::fesetenv(&m_saved);
        std::feclearexcept(FE_ALL_EXCEPT);
    }
    FloatEnvironmentGuard(const FloatEnvironmentGuard&) = delete;
    FloatEnvironmentGuard& operator=(const FloatEnvironmentGuard&) = delete;

private:
    std::fenv_t m_saved{};
};

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

} // namespace

bool DesktopPrinterSetup::run(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent);
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
    return dialog.exec() == QDialog::Accepted;
}

CurrentPrinter::CurrentPrinter() = default;
CurrentPrinter::~CurrentPrinter() = default;

QPrinter& CurrentPrinter::printer()
{
    if (m_printer)
        return *m_printer;
    // Without a running print service Qt reports no printers and would
    // quietly hand out a PDF printer without a file: refuse that here.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull() || info.printerName().isEmpty() ||
        QPrinterInfo::availablePrinters().isEmpty())
        throw PrinterError(noDefaultPrinterMessage());
    auto created = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (created->outputFormat() != QPrinter::NativeFormat || !created->isValid())
        throw PrinterError(noDefaultPrinterMessage());
    usePrintableAreaOrigin(*created);
    m_printer = std::move(created);
    return *m_printer;
}

bool CurrentPrinter::runSetupDialog(QWidget* parent)
{
    std::unique_ptr<QPrinter> edited = copyPrinterSettings(printer());
    bool confirmed = false;
    {
        FloatEnvironmentGuard floatGuard;
        PrinterSetupService* service = m_setup;
        static DesktopPrinterSetup desktop;
        if (!service)
            service = &desktop;
        confirmed = service->run(parent, *edited);
    }
    if (!confirmed)
        return false;
    if (m_jobRunning)
        throw PrinterError(QStringLiteral("Printing in progress"));
    usePrintableAreaOrigin(*edited);
    m_printer = std::move(edited);
    return true;
}

void CurrentPrinter::replace(std::unique_ptr<QPrinter> printer)
{
    if (m_jobRunning)
        throw PrinterError(QStringLiteral("Printing in progress"));
    m_printer = std::move(printer);
}

void CurrentPrinter::setSetupService(PrinterSetupService* service)
{
    m_setup = service;
}

CurrentPrinter::JobMark::JobMark(CurrentPrinter& owner) : m_owner(owner)
{
    if (m_owner.m_jobRunning)
        throw PrinterError(QStringLiteral("Printing in progress"));
    m_owner.m_jobRunning = true;
}

CurrentPrinter::JobMark::~JobMark()
{
    m_owner.m_jobRunning = false;
}

CurrentPrinter& currentPrinter()
{
    static CurrentPrinter selection;
    return selection;
}

std::unique_ptr<QPrinter> copyPrinterSettings(const QPrinter& source)
{
    auto copy = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (source.outputFormat() == QPrinter::PdfFormat) {
        copy->setOutputFormat(QPrinter::PdfFormat);
        copy->setOutputFileName(source.outputFileName());
    } else {
        copy->setPrinterName(source.printerName());
    }
    copy->setPageLayout(source.pageLayout());
    copy->setColorMode(source.colorMode());
    copy->setDuplex(source.duplex());
    copy->setCopyCount(source.copyCount());
    copy->setDocName(source.docName());
    return copy;
}

void usePrintableAreaOrigin(QPrinter& printer)
{
    printer.setFullPage(false);
    QPageLayout layout = printer.pageLayout();
    layout.setMargins(layout.minimumMargins());
    printer.setPageLayout(layout);

    if (printer.outputFormat() == QPrinter::NativeFormat) {
        // Ask the print system to put the page on paper as it is: no fitting,
        // no scaling to the printable area.
        QPrintEngine* engine = printer.printEngine();
        QStringList options = engine->property(kCupsOptionsKey).toStringList();
        for (qsizetype i = 0; i + 1 < options.size();) {
            if (options[i] == QLatin1String("fit-to-page") ||
                options[i] == QLatin1String("print-scaling"))
                options.remove(i, 2);
            else
                i += 2;
        }
        options << QStringLiteral("print-scaling") << QStringLiteral("none");
        engine->setProperty(kCupsOptionsKey, options);
    }
}

} // namespace jf
