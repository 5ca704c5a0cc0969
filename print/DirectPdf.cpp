#include "DirectPdf.h"

#include "PrintGeometry.h"

#include <QList>

namespace jf {

namespace {

constexpr double kPointsPerInch = 72.0;

QByteArray number(double value)
{
    return QByteArray::number(value, 'f', 3);
}

QByteArray rect(const QRectF& r)
{
    return number(r.x()) + ' ' + number(r.y()) + ' ' + number(r.width()) + ' ' + number(r.height());
}

// The number of the object that holds the picture's ICC profile, after the
// page's five.
constexpr int kProfileObject = 6;

// The image's /ColorSpace entry: the JPEG's own profile as an ICCBased
// colour space (readers ignore a profile inside the JPEG's markers), or
// device colours for a JPEG without one.
QByteArray imageColourSpace(const DirectPdfPage& page)
{
    if (!page.iccProfile.isEmpty())
        return "[/ICCBased " + QByteArray::number(kProfileObject) + " 0 R]";
    return page.components == 1 ? "/DeviceGray" : "/DeviceRGB";
}

// The ICCBased colour space's stream: the profile as it is.
QByteArray profileObject(const DirectPdfPage& page)
{
    return "<< /N " + QByteArray::number(page.components) + " /Alternate " +
           (page.components == 1 ? "/DeviceGray" : "/DeviceRGB") + " /Length " +
           QByteArray::number(page.iccProfile.size()) + " >>\nstream\n" + page.iccProfile +
           "\nendstream";
}

} // namespace

QByteArray directPdf(const DirectPdfPage& page)
{
    const PageLayout& layout = page.layout;
    const double sheetHeight = page.sheetPoints.height();
    // Printer dots from the printable corner, top down, to PDF points from
    // the sheet's bottom-left corner.
    const auto toPoints = [&](const QRectF& windowPixels) {
        const QRectF dots = layout.toDots(windowPixels);
        const double x = page.printableMm.x() / kMmPerInch * kPointsPerInch +
                         dots.x() / layout.dotsPerInchX * kPointsPerInch;
        const double top = page.printableMm.y() / kMmPerInch * kPointsPerInch +
                           dots.y() / layout.dotsPerInchY * kPointsPerInch;
        const double w = dots.width() / layout.dotsPerInchX * kPointsPerInch;
        const double h = dots.height() / layout.dotsPerInchY * kPointsPerInch;
        return QRectF(x, sheetHeight - top - h, w, h);
    };

    const QByteArray whole = rect(toPoints(QRectF(QPointF(0, 0), QSizeF(layout.window))));
    QByteArray content = "q\n" + whole + " re W n\n1 1 1 rg\n" + whole + " re f\n";
    if (page.border)
        content += number(page.border->redF()) + ' ' + number(page.border->greenF()) + ' ' +
                   number(page.border->blueF()) + " rg\n" + rect(toPoints(QRectF(layout.border))) +
                   " re f\n";
    const QRectF picture = toPoints(QRectF(layout.picture));
    content += number(picture.width()) + " 0 0 " + number(picture.height()) + ' ' +
               number(picture.x()) + ' ' + number(picture.y()) + " cm\n/Im0 Do\nQ\n";

    QList<QByteArray> objects;
    objects << "<< /Type /Catalog /Pages 2 0 R >>"
            << "<< /Type /Pages /Kids [3 0 R] /Count 1 >>"
            << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + number(page.sheetPoints.width()) +
                   ' ' + number(sheetHeight) +
                   "] /Resources << /XObject << /Im0 5 0 R >> >> /Contents 4 0 R >>"
            << "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content +
                   "\nendstream"
            << "<< /Type /XObject /Subtype /Image /Width " +
                   QByteArray::number(page.jpegSize.width()) + " /Height " +
                   QByteArray::number(page.jpegSize.height()) + " /ColorSpace " +
                   imageColourSpace(page) + " /BitsPerComponent 8 /Filter /DCTDecode /Length " +
                   QByteArray::number(page.jpeg.size()) + " >>\nstream\n" + page.jpeg +
                   "\nendstream";
    if (!page.iccProfile.isEmpty())
        objects << profileObject(page);

    // Version 4 ICC profiles came with PDF 1.5.
    const bool v4Profile = page.iccProfile.size() > 8 && page.iccProfile[8] >= 4;
    QByteArray pdf = QByteArray(v4Profile ? "%PDF-1.5" : "%PDF-1.4") + "\n%\xe2\xe3\xcf\xd3\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets << pdf.size();
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

} // namespace jf
