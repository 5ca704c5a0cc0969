#pragma once

// Shared by the print tests: a scripted printer-setup dialog, PDF printers,
// and measuring rendered pages with poppler.

#include "CurrentPrinter.h"
#include "JobSender.h"
#include "Platform.h"

#include <QColor>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QRect>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <functional>
#include <memory>

namespace printtest {

// Confirms or cancels; may edit the printer as a user would in the dialog.
class ScriptedPrinterSetup : public jf::PrinterSetupService
{
public:
    bool confirm = true;
    int calls = 0;
    std::function<void(QPrinter&)> edit;

    bool run(QWidget*, QPrinter& printer) override
    {
        ++calls;
        if (edit)
            edit(printer);
        return confirm;
    }
};

inline std::unique_ptr<QPrinter> pdfPrinter(const QString& path,
                                            QPageLayout::Orientation orientation,
                                            QPageSize::PageSizeId paper = QPageSize::A4)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    printer->setPageLayout(QPageLayout(QPageSize(paper), orientation, QMarginsF(0, 0, 0, 0)));
    return printer;
}

inline bool havePoppler()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
}

// `pdfinfo` output of a file, empty when it fails.
inline QString pdfInfo(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Page 1 rendered at `dpi`, optionally only the region from the page's
// top-left corner of `crop` pixels (faster for big pages).
inline QImage renderPdf(const QString& pdf, int dpi, QSize crop = QSize())
{
    const QString base = pdf + QStringLiteral(".render");
    QStringList args{QStringLiteral("-r"),          QString::number(dpi), QStringLiteral("-png"),
                     QStringLiteral("-singlefile"), QStringLiteral("-f"), QStringLiteral("1"),
                     QStringLiteral("-l"),          QStringLiteral("1")};
    if (crop.isValid())
        args << QStringLiteral("-x") << QStringLiteral("0") << QStringLiteral("-y")
             << QStringLiteral("0") << QStringLiteral("-W") << QString::number(crop.width())
             << QStringLiteral("-H") << QString::number(crop.height());
    args << pdf << base;
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QImage();
    QImageReader::setAllocationLimit(1024); // megabytes: whole pages at 600 dpi
    QImage image(base + QStringLiteral(".png"));
    QFile::remove(base + QStringLiteral(".png"));
    return image.convertToFormat(QImage::Format_RGB32);
}

// Page 1 rendered by Ghostscript, as CUPS's filters render it for a
// printer; null when Ghostscript is missing or fails.
inline QImage renderWithGhostscript(const QString& pdf, int dpi)
{
    const QString png = pdf + QStringLiteral(".gs.png");
    QProcess p;
    p.start(QStringLiteral("gs"),
            {QStringLiteral("-q"), QStringLiteral("-dNOPAUSE"), QStringLiteral("-dBATCH"),
             QStringLiteral("-dSAFER"), QStringLiteral("-sDEVICE=png16m"),
             QStringLiteral("-r%1").arg(dpi), QStringLiteral("-dFirstPage=1"),
             QStringLiteral("-dLastPage=1"), QStringLiteral("-sOutputFile=") + png, pdf});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QImage();
    QImage image(png);
    QFile::remove(png);
    return image.convertToFormat(QImage::Format_RGB32);
}

// The attributes CUPS keeps for a job, one "name (type) = value" a line.
inline QString jobAttributes(const QString& queue, int job, const QString& folder)
{
    const QString test = folder + QStringLiteral("/get-job-attributes.test");
    QFile file(test);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write("{\n OPERATION Get-Job-Attributes\n GROUP operation-attributes-tag\n"
               " ATTR charset attributes-charset utf-8\n"
               " ATTR naturalLanguage attributes-natural-language en\n"
               " ATTR uri printer-uri $uri\n ATTR integer job-id $job\n"
               " ATTR keyword requested-attributes all\n STATUS successful-ok\n}\n");
    file.close();
    QProcess p;
    p.start(QStringLiteral("ipptool"),
            {QStringLiteral("-tv"), QStringLiteral("-d"), QStringLiteral("job=%1").arg(job),
             QStringLiteral("ipp://localhost/printers/%1").arg(queue), test});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Lets the job being sent (JobSender) reach its end, running the event loop;
// false when it has not within `milliseconds`.
inline bool waitForSentJob(int milliseconds = 60000)
{
    QDeadlineTimer deadline(milliseconds);
    while (jf::jobSender().isSending()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(5);
    }
    return true;
}

inline bool near(QRgb pixel, const QColor& colour, int tolerance)
{
    return qAbs(qRed(pixel) - colour.red()) <= tolerance &&
           qAbs(qGreen(pixel) - colour.green()) <= tolerance &&
           qAbs(qBlue(pixel) - colour.blue()) <= tolerance;
}

// Smallest rectangle holding every pixel of `colour` (within `tolerance`
// per channel); null when there is none.
inline QRect boundsOf(const QImage& image, const QColor& colour, int tolerance = 40)
{
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (near(row[x], colour, tolerance)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0)
        return QRect();
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

// Number of pixels of `colour` in row `y` between `x0` and `x1` (exclusive).
inline int countInRow(const QImage& image, int y, int x0, int x1, const QColor& colour,
                      int tolerance = 40)
{
    int n = 0;
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = std::max(0, x0); x < std::min(x1, image.width()); ++x)
        n += near(row[x], colour, tolerance) ? 1 : 0;
    return n;
}

inline double mmAt(double pixels, int dpi)
{
    return pixels * 25.4 / dpi;
}

} // namespace printtest
