#include "Printing.h"

#include "Errors.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
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

QStringList cupsOptions(const QPrinter& printer)
{
    return printer.printEngine()->property(kCupsOptionsKey).toStringList();
}

void setCupsOptions(QPrinter& printer, const QStringList& options)
{
    printer.printEngine()->setProperty(kCupsOptionsKey, options);
}

// Sets `name` to `value` in a name/value option list, in place when present.
void setOption(QStringList& options, const QString& name, const QString& value)
{
    for (qsizetype i = 0; i + 1 < options.size(); i += 2) {
        if (options[i] == name) {
            options[i + 1] = value;
            return;
        }
    }
    options << name << value;
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
            setOption(options, name, optionsBefore[i + 1]);
    }
    setCupsOptions(printer, options);
    printer.setColorMode(colourBefore);
}

} // namespace

bool DesktopPrinterSetup::run(QWidget* parent, QPrinter& printer)
{
    const bool native = printer.outputFormat() == QPrinter::NativeFormat;
    const QString printerBefore = native ? printer.printerName() : QString();
    const QStringList optionsBefore = native ? cupsOptions(printer) : QStringList();
    const QPrinter::ColorMode colourBefore = printer.colorMode();

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
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (native)
        keepEarlierProperties(dialog, printer, printerBefore, optionsBefore, colourBefore);
    return true;
}

CurrentPrinter::CurrentPrinter() = default;
CurrentPrinter::~CurrentPrinter() = default;

QPrinter& CurrentPrinter::printer()
{
    if (m_printer)
        return *m_printer;
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

void usePrintableAreaOrigin(QPrinter& printer)
{
    printer.setFullPage(false);
    QPageLayout layout = printer.pageLayout();
    layout.setMargins(layout.minimumMargins());
    printer.setPageLayout(layout);

    if (printer.outputFormat() == QPrinter::NativeFormat) {
        // Ask the print system to put the page on paper as it is: no fitting,
        // no scaling to the printable area.
        QStringList options = cupsOptions(printer);
        for (qsizetype i = 0; i + 1 < options.size();) {
            if (options[i] == QLatin1String("fit-to-page") ||
                options[i] == QLatin1String("print-scaling"))
                options.remove(i, 2);
            else
                i += 2;
        }
        options << QStringLiteral("print-scaling") << QStringLiteral("none");
        setCupsOptions(printer, options);
    }
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
    paper.dotsPerInchX = printer.logicalDpiX();
    paper.dotsPerInchY = printer.logicalDpiY();
    return paper;
}

bool submitPdfToQueue(const QPrinter& printer, const QString& pdfPath)
{
    const QString lp = QStandardPaths::findExecutable(QStringLiteral("lp"));
    if (lp.isEmpty() || printer.printerName().isEmpty())
        return false;
    QStringList args{QStringLiteral("-d"), printer.printerName(), QStringLiteral("-t"),
                     printer.docName().isEmpty() ? QStringLiteral("Cover") : printer.docName()};
    const auto option = [&args](const QString& name, const QString& value) {
        args << QStringLiteral("-o") << (value.isEmpty() ? name : name + QLatin1Char('=') + value);
    };
    const QPageLayout layout = printer.pageLayout();
    option(QStringLiteral("media"), layout.pageSize().key());
    if (layout.orientation() == QPageLayout::Landscape)
        option(QStringLiteral("landscape"), QString());
    if (printer.copyCount() > 1) {
        args << QStringLiteral("-n") << QString::number(printer.copyCount());
        if (printer.collateCopies())
            option(QStringLiteral("Collate"), QStringLiteral("True"));
    }
    switch (printer.duplex()) {
    case QPrinter::DuplexLongSide:
        option(QStringLiteral("sides"), QStringLiteral("two-sided-long-edge"));
        break;
    case QPrinter::DuplexShortSide:
        option(QStringLiteral("sides"), QStringLiteral("two-sided-short-edge"));
        break;
    case QPrinter::DuplexNone:
        option(QStringLiteral("sides"), QStringLiteral("one-sided"));
        break;
    default:
        break;
    }
    const QStringList chosen = cupsOptions(printer);
    for (qsizetype i = 0; i + 1 < chosen.size(); i += 2)
        option(chosen[i], chosen[i + 1]);
    args << QStringLiteral("--") << pdfPath;

    QProcess client;
    client.start(lp, args);
    if (!client.waitForFinished(60000) || client.exitStatus() != QProcess::NormalExit ||
        client.exitCode() != 0)
        throw PrinterError(QStringLiteral("Printer selected is not valid"));
    return true;
}

void setPaperOrientation(QPrinter& printer, PaperOrientation orientation)
{
    QPageLayout layout = printer.pageLayout();
    layout.setOrientation(orientation == PaperOrientation::Landscape ? QPageLayout::Landscape
                                                                     : QPageLayout::Portrait);
    layout.setMargins(layout.minimumMargins());
    printer.setPageLayout(layout);
    usePrintableAreaOrigin(printer);
}

} // namespace jf
