#include "PageOutput.h"

#include "CupsOptions.h"
#include "CurrentPrinter.h"
#include "DirectPdf.h"
#include "Errors.h"
#include "JobSender.h"
#include "PrintServiceCheck.h"
#include "QueueHandOff.h"
#include "SafeFileIO.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QtConcurrent/QtConcurrentMap>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <cstdio>
#include <unistd.h>

namespace jf {

namespace {

PrinterError notValid()
{
    return PrinterError(QStringLiteral("Printer selected is not valid"));
}

std::unique_ptr<QTemporaryFile> temporaryPdf()
{
    auto file = std::make_unique<QTemporaryFile>(
        QDir::temp().filePath(QStringLiteral("jacketforge-XXXXXX.pdf")));
    if (!file->open())
        throw notValid();
    return file;
}

// Whether every cover goes into the file as it is; the pictures are checked
// side by side (each check reads its whole JPEG).
bool allPassThrough(const QList<PrintPage>& pages)
{
    QList<PlacedCover> covers;
    for (const PrintPage& page : pages)
        covers += page.covers;
    if (covers.isEmpty())
        return false;
    const QList<bool> passes = QtConcurrent::blockingMapped(
        covers, [](const PlacedCover& cover) { return passesThrough(cover); });
    return !passes.contains(false);
}

// Paints a job on `printer`; the page and the document are always ended.
void paint(QPrinter& printer, const PaintJob& job)
{
    QPainter painter;
    if (!painter.begin(&printer))
        throw notValid();
    try {
        job(printer, painter);
    } catch (...) {
        painter.end();
        throw;
    }
    if (!painter.end())
        throw notValid();
}

// A PDF file printer with the page layout, resolution and colour of
// `printer`, so the pages land in the file as they would on it.
std::unique_ptr<QPrinter> pdfPrinterLike(const QPrinter& printer, const QString& path)
{
    // A new printer asks the print service for the default one.
    printServiceCheck().require();
    auto pdf = std::make_unique<QPrinter>(QPrinter::HighResolution);
    pdf->setOutputFormat(QPrinter::PdfFormat);
    pdf->setOutputFileName(path);
    pdf->setResolution(printer.resolution());
    pdf->setFullPage(printer.fullPage());
    pdf->setPageLayout(printer.pageLayout());
    pdf->setColorMode(printer.colorMode());
    pdf->setDocName(printer.docName());
    pdf->setCreator(printer.creator());
    return pdf;
}

// The job painted by Qt into a PDF file at `path` (replaced in one step)
// that asks to print at actual size.
void writePaintedPdf(const QPrinter& printer, const PaintJob& job, const QString& path)
{
    const std::unique_ptr<QTemporaryFile> painted = temporaryPdf();
    painted->close();
    const std::unique_ptr<QPrinter> pdf = pdfPrinterLike(printer, painted->fileName());
    paint(*pdf, job);
    writePrintingAtActualSize(painted->fileName(), path);
}

// Makes the printer's PDF with `make` and starts sending it to the
// printer's queue (sendPdfToQueue); false when the printer is no queue
// (nothing is made then).
bool sendPrinterPdf(const QPrinter& printer, const std::function<QByteArray()>& make)
{
    if (printerQueue(printer).isEmpty())
        return false;
    jobSender().refuseWhileSending();
    return sendPdfToQueue(queueJobFor(printer), make());
}

// The pages written straight into a PDF, each JPEG as it is.
QByteArray directPdfBytes(const QList<PrintPage>& pages)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !writeDirectPdf(buffer, pages))
        throw notValid();
    return bytes;
}

// The job painted by Qt into a PDF that asks to print at actual size.
QByteArray paintedPdfBytes(const QPrinter& printer, const PaintJob& job)
{
    const std::unique_ptr<QTemporaryFile> painted = temporaryPdf();
    painted->close();
    writePaintedPdf(printer, job, painted->fileName());
    QByteArray bytes;
    if (readFileBytes(painted->fileName(), bytes) != 0)
        throw notValid();
    return bytes;
}

} // namespace

void writePrintingAtActualSize(const QString& from, const QString& to)
{
    QSaveFile file(to);
    if (!file.open(QIODevice::WriteOnly))
        throw notValid();
    const int fd = dup(file.handle());
    FILE* stream = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (!stream) {
        if (fd >= 0)
            close(fd);
        throw notValid();
    }
    // The writer closes the stream once it has it; until then it is ours.
    bool handedOver = false;
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(QFile::encodeName(from).constData());
        pdf.getRoot().replaceKey("/ViewerPreferences",
                                 QPDFObjectHandle::parse("<< /PrintScaling /None >>"));
        QPDFWriter writer(pdf);
        writer.setOutputFile("printed pages", stream, true);
        handedOver = true;
        writer.setStreamDataMode(qpdf_s_preserve);
        writer.write();
    } catch (const std::exception&) {
        if (!handedOver)
            std::fclose(stream);
        throw notValid();
    }
    if (!file.commit())
        throw notValid();
}

void printPainted(QPrinter& printer, const PaintJob& job)
{
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        writePaintedPdf(printer, job, printer.outputFileName());
        return;
    }
    if (!sendPrinterPdf(printer, [&] { return paintedPdfBytes(printer, job); }))
        paint(printer, job);
}

void printPages(const QList<PrintPage>& pages, const QString& title)
{
    CurrentPrinter& selection = currentPrinter();
    const CurrentPrinter::JobMark mark(selection);
    QPrinter& printer = selection.printer();
    printer.setDocName(title);

    const auto paintAll = [&pages](QPrinter& device, QPainter& painter) {
        for (qsizetype i = 0; i < pages.size(); ++i) {
            if (i > 0 && !device.newPage())
                throw notValid();
            paintPage(painter, pages[i]);
        }
    };
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat;
    const bool toQueue = printer.outputFormat() == QPrinter::NativeFormat;
    if ((toFile || toQueue) && allPassThrough(pages)) {
        if (toFile) {
            QSaveFile file(printer.outputFileName());
            if (!file.open(QIODevice::WriteOnly) || !writeDirectPdf(file, pages) || !file.commit())
                throw notValid();
            return;
        }
        if (sendPrinterPdf(printer, [&pages] { return directPdfBytes(pages); }))
            return;
    }
    printPainted(printer, paintAll);
}

} // namespace jf
