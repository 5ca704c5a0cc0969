#include "CurrentPrinter.h"

#include "CupsOptions.h"
#include "Errors.h"
#include "Platform.h"
#include "PrintServiceCheck.h"
#include "PrinterSetupDialog.h"
#include "QueueColour.h"

#include <QDir>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <cfenv>

namespace jf {

namespace {

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

// Makes the painter's origin the corner of the printable area: margins set to
// the printer's own minimum margins (size and orientation kept, set in one
// page layout), and no scaling by the print system.
void usePrintableAreaOrigin(QPrinter& printer)
{
    printer.setFullPage(false);
    QPageLayout layout = printer.pageLayout();
    layout.setMargins(layout.minimumMargins());
    printer.setPageLayout(layout);
    turnOffPrintScaling(printer);
}

} // namespace

CurrentPrinter::CurrentPrinter() = default;
CurrentPrinter::~CurrentPrinter() = default;

QPrinter& CurrentPrinter::printer()
{
    if (m_printer)
        return *m_printer;
    printServiceCheck().require();
    // Without a running print service or without any queue, Qt reports no
    // printers: the selection is then "Print to File (PDF)", with a file in
    // the home folder, so that a cover can still be printed to a PDF.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    std::unique_ptr<QPrinter> created;
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        created = std::make_unique<QPrinter>(QPrinter::HighResolution);
        created->setOutputFormat(QPrinter::PdfFormat);
        created->setOutputFileName(QDir::home().filePath(QStringLiteral("cover.pdf")));
    } else {
        if (info.isNull() || info.printerName().isEmpty())
            throw PrinterError(noDefaultPrinterMessage());
        created = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        if (created->outputFormat() != QPrinter::NativeFormat || !created->isValid())
            throw PrinterError(noDefaultPrinterMessage());
        askForColourWherePossible(*created);
    }
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
        PrinterSetupService* service = platform().printerSetup;
        static DesktopPrinterSetup desktop;
        if (!service)
            service = &desktop;
        confirmed = service->run(parent, *edited);
    }
    if (!confirmed)
        return false;
    usePrintableAreaOrigin(*edited);
    askForColourWherePossible(*edited);
    if (m_jobRunning)
        throw PrinterError(QStringLiteral("Printing in progress"));
    m_printer = std::move(edited);
    return true;
}

void CurrentPrinter::replace(std::unique_ptr<QPrinter> printer)
{
    if (m_jobRunning)
        throw PrinterError(QStringLiteral("Printing in progress"));
    if (printer) {
        usePrintableAreaOrigin(*printer);
        askForColourWherePossible(*printer);
    }
    m_printer = std::move(printer);
}

void CurrentPrinter::setPaperOrientation(PaperOrientation orientation)
{
    QPrinter& current = printer();
    QPageLayout layout = current.pageLayout();
    layout.setOrientation(orientation == PaperOrientation::Landscape ? QPageLayout::Landscape
                                                                     : QPageLayout::Portrait);
    layout.setMargins(layout.minimumMargins());
    current.setPageLayout(layout);
    usePrintableAreaOrigin(current);
}

void CurrentPrinter::turnPaperForJob(PaperOrientation orientation)
{
    if (m_jobRunning)
        throw PrinterError(QStringLiteral("Printing in progress"));
    setPaperOrientation(orientation);
}

void CurrentPrinter::restorePageLayout(const QPageLayout& layout)
{
    QPrinter& current = printer();
    current.setPageLayout(layout);
    usePrintableAreaOrigin(current);
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
    // A new printer asks the print service for the default one.
    printServiceCheck().require();
    auto copy = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (source.outputFormat() == QPrinter::PdfFormat) {
        copy->setOutputFormat(QPrinter::PdfFormat);
        copy->setOutputFileName(source.outputFileName());
    } else {
        copy->setPrinterName(source.printerName());
    }
    copy->setPageLayout(source.pageLayout());
    copy->setFullPage(source.fullPage());
    copy->setColorMode(source.colorMode());
    copy->setDuplex(source.duplex());
    copy->setCopyCount(source.copyCount());
    copy->setCollateCopies(source.collateCopies());
    copy->setPageOrder(source.pageOrder());
    copy->setPrintRange(source.printRange());
    copy->setPageRanges(source.pageRanges());
    copy->setPaperSource(source.paperSource());
    copy->setDocName(source.docName());
    copy->setCreator(source.creator());
    copy->setFontEmbeddingEnabled(source.fontEmbeddingEnabled());
    copy->setPdfVersion(source.pdfVersion());
    // The print system's own options: paper source, quality, media type, the
    // driver's options and job options, as the dialog and its printer
    // properties store them.
    if (source.outputFormat() == QPrinter::NativeFormat &&
        copy->outputFormat() == QPrinter::NativeFormat)
        setCupsOptions(*copy, cupsOptions(source));
    return copy;
}

Paper paperOf(const QPrinter& printer)
{
    const QPageLayout layout = printer.pageLayout();
    Paper paper;
    paper.name = layout.pageSize().name();
    paper.orientation = layout.orientation() == QPageLayout::Landscape ? PaperOrientation::Landscape
                                                                       : PaperOrientation::Portrait;
    for (const auto orientation : {QPageLayout::Portrait, QPageLayout::Landscape}) {
        QPageLayout turned = layout;
        turned.setOrientation(orientation);
        turned.setMargins(turned.minimumMargins());
        const QRectF area = turned.paintRect(QPageLayout::Millimeter);
        (orientation == QPageLayout::Portrait ? paper.printablePortrait
                                              : paper.printableLandscape) = area;
    }
    QPageLayout portrait = layout;
    portrait.setOrientation(QPageLayout::Portrait);
    paper.sizePointsPortrait = portrait.fullRect(QPageLayout::Point).size();
    paper.dotsPerInchX = printer.logicalDpiX();
    paper.dotsPerInchY = printer.logicalDpiY();
    return paper;
}

QString printerQueue(const QPrinter& printer)
{
    return printer.outputFormat() == QPrinter::NativeFormat ? printer.printerName() : QString();
}

} // namespace jf
