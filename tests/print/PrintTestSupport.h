#pragma once

// Shared by the print tests: a scripted printer-setup dialog, PDF printers,
// and measuring rendered pages with poppler.

#include "CurrentPrinter.h"
#include "DataFileFormats.h"
#include "JobSender.h"
#include "Picture.h"
#include "Platform.h"

#include <QBuffer>
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
#include <optional>

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

// The program's printer becomes `queue`.
inline void useQueue(const QString& queue)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setPrinterName(queue);
    jf::currentPrinter().replace(std::move(printer));
}

// A sheet of `portrait` millimetres with even margins, printing at `dpi`;
// printable areas in both orientations.
inline jf::Paper testPaper(QSizeF portrait, int dpi, double margin = 0,
                           jf::PaperOrientation chosen = jf::PaperOrientation::Portrait,
                           const QString& name = QStringLiteral("A4"))
{
    jf::Paper paper;
    paper.name = name;
    paper.sizePointsPortrait = (portrait * 72 / 25.4).toSize();
    const QSizeF area = portrait - QSizeF(2 * margin, 2 * margin);
    paper.printablePortrait = QRectF(QPointF(margin, margin), area);
    paper.printableLandscape = QRectF(QPointF(margin, margin), area.transposed());
    paper.orientation = chosen;
    paper.dotsPerInchX = paper.dotsPerInchY = dpi;
    return paper;
}

inline jf::Picture solidPicture(const QColor& colour, QSize size = QSize(64, 48))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return jf::Picture::fromImage(image);
}

// A plain JPEG file of one colour: printed with its file embedded as it is.
inline QByteArray solidJpeg(const QColor& colour, QSize size)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    solidPicture(colour, size).fullImage().save(&buffer, "JPEG", 95);
    return buffer.data();
}

inline bool havePoppler()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
}

// Skips the test where poppler-utils is missing.
#define PRINTTEST_NEED_POPPLER()                                                                   \
    do {                                                                                           \
        if (!printtest::havePoppler())                                                             \
            QSKIP("poppler-utils not installed");                                                  \
    } while (false)

// The standard output of `command` (the program, then its arguments);
// nullopt when it cannot start, fails or takes over `seconds`.
inline std::optional<QByteArray> outputOf(QStringList command, int seconds = 60)
{
    QProcess p;
    p.start(command.takeFirst(), command);
    if (!p.waitForFinished(seconds * 1000) || p.exitStatus() != QProcess::NormalExit ||
        p.exitCode() != 0)
        return std::nullopt;
    return p.readAllStandardOutput();
}

// The bytes of a file; empty when it cannot be read.
inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// `pdfinfo` output of a file, empty when it fails.
inline QString pdfInfo(const QString& pdf)
{
    return QString::fromUtf8(outputOf({QStringLiteral("pdfinfo"), pdf}).value_or(QByteArray()));
}

// An image file a program wrote, in RGB32, and removed; null when the
// program failed.
inline QImage writtenImage(const QStringList& command, const QString& file)
{
    QImageReader::setAllocationLimit(1024); // megabytes: whole pages at 600 dpi
    const QImage image = outputOf(command) ? QImage(file) : QImage();
    QFile::remove(file);
    return image.convertToFormat(QImage::Format_RGB32);
}

// Page 1 rendered at `dpi`, optionally only the region from the page's
// top-left corner of `crop` pixels (faster for big pages).
inline QImage renderPdf(const QString& pdf, int dpi, QSize crop = QSize())
{
    QStringList command =
        QStringLiteral("pdftoppm -r %1 -png -singlefile -f 1 -l 1").arg(dpi).split(u' ');
    if (crop.isValid())
        command << QStringLiteral("-x 0 -y 0 -W %1 -H %2")
                       .arg(crop.width())
                       .arg(crop.height())
                       .split(u' ');
    return writtenImage(command << pdf << pdf + QStringLiteral(".render"),
                        pdf + QStringLiteral(".render.png"));
}

// Page 1 rendered by Ghostscript, as CUPS's filters render it for a
// printer; null when Ghostscript is missing or fails.
inline QImage renderWithGhostscript(const QString& pdf, int dpi)
{
    const QString png = pdf + QStringLiteral(".gs.png");
    return writtenImage(QStringLiteral("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=png16m -r%1 "
                                       "-dFirstPage=1 -dLastPage=1")
                                .arg(dpi)
                                .split(u' ')
                            << QStringLiteral("-sOutputFile=") + png << pdf,
                        png);
}

// The attributes CUPS keeps for a job, one "name (type) = value" a line.
inline QString jobAttributes(const QString& queue, int job, const QString& folder)
{
    const QString test = folder + QStringLiteral("/get-job-attributes.test");
    jf::writeWholeFile(test, "{\n OPERATION Get-Job-Attributes\n GROUP operation-attributes-tag\n"
                             " ATTR charset attributes-charset utf-8\n"
                             " ATTR naturalLanguage attributes-natural-language en\n"
                             " ATTR uri printer-uri $uri\n ATTR integer job-id $job\n"
                             " ATTR keyword requested-attributes all\n STATUS successful-ok\n}\n");
    QProcess p; // its output whatever ipptool's own checks say
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

// Smallest rectangle holding every pixel `pick` takes; null when there is
// none.
template <class Pick> QRect boundsWhere(const QImage& image, Pick pick)
{
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (pick(row[x]))
                left = std::min(left, x), right = std::max(right, x), top = std::min(top, y),
                bottom = y;
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// Smallest rectangle holding every pixel of `colour` (within `tolerance`
// per channel); null when there is none.
inline QRect boundsOf(const QImage& image, const QColor& colour, int tolerance = 40)
{
    return boundsWhere(image, [&](QRgb pixel) { return near(pixel, colour, tolerance); });
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

// Every edge within `tolerance`; two empty rectangles are alike wherever
// they lie.
inline bool closeTo(const QRectF& measured, const QRectF& expected, double tolerance)
{
    if (measured.isEmpty() || expected.isEmpty())
        return measured.isEmpty() && expected.isEmpty();
    return qAbs(measured.left() - expected.left()) <= tolerance &&
           qAbs(measured.top() - expected.top()) <= tolerance &&
           qAbs(measured.right() - expected.right()) <= tolerance &&
           qAbs(measured.bottom() - expected.bottom()) <= tolerance;
}

inline QString describe(const QRectF& r)
{
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

inline double mmAt(double pixels, int dpi)
{
    return pixels * 25.4 / dpi;
}

// A rectangle of dots at `dpi` in millimetres.
inline QRectF mmOf(const QRectF& dots, int dpi)
{
    return QRectF(dots.topLeft() * 25.4 / dpi, dots.size() * 25.4 / dpi);
}

// Where CUPS keeps the document of `job` (for a day after the job).
inline QString spooledDocument(int job)
{
    return QStringLiteral("/var/spool/cups/d%1-001").arg(job, 5, 10, QLatin1Char('0'));
}

} // namespace printtest
