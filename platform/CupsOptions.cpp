#include "CupsOptions.h"

#include <QPageLayout>
#include <QPrintEngine>
#include <QPrinter>

namespace jf {

namespace {

// The CUPS print engine's key for extra job options (name/value pairs).
constexpr auto kCupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

} // namespace

QStringList cupsOptions(const QPrinter& printer)
{
    return printer.printEngine()->property(kCupsOptionsKey).toStringList();
}

void setCupsOptions(QPrinter& printer, const QStringList& options)
{
    printer.printEngine()->setProperty(kCupsOptionsKey, options);
}

void setCupsOption(QStringList& options, const QString& name, const QString& value)
{
    for (qsizetype i = 0; i + 1 < options.size(); i += 2) {
        if (options[i] == name) {
            options[i + 1] = value;
            return;
        }
    }
    options << name << value;
}

void turnOffPrintScaling(QPrinter& printer)
{
    if (printer.outputFormat() != QPrinter::NativeFormat)
        return;
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

QueueJob queueJobFor(const QPrinter& printer)
{
    QueueJob job;
    job.queue = printer.printerName();
    job.title = printer.docName().isEmpty() ? QStringLiteral("Cover") : printer.docName();
    const auto option = [&job](const QString& name, const QString& value) {
        job.options.append({name, value});
    };
    const QPageLayout layout = printer.pageLayout();
    option(QStringLiteral("media"), layout.pageSize().key());
    if (layout.orientation() == QPageLayout::Landscape)
        option(QStringLiteral("landscape"), QStringLiteral("true"));
    if (printer.copyCount() > 1) {
        option(QStringLiteral("copies"), QString::number(printer.copyCount()));
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
    return job;
}

} // namespace jf
