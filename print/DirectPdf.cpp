#include "DirectPdf.h"

#include "JpegDecoder.h"

#include <QBuffer>
#include <QHash>
#include <QIODevice>
#include <QList>
#include <QPainterPath>

namespace jf {

namespace {

QByteArray number(double value)
{
    return QByteArray::number(value, 'f', 3);
}

QByteArray rect(const QRectF& r)
{
    return number(r.x()) + ' ' + number(r.y()) + ' ' + number(r.width()) + ' ' + number(r.height());
}

QByteArray reference(int object)
{
    return QByteArray::number(object) + " 0 R";
}

// A picture as the file embeds it.
struct EmbeddedJpeg
{
    QByteArray jpeg;       // the picture file
    QSize size;            // its pixels
    int components = 3;    // 1 grey, 3 colour
    QByteArray iccProfile; // the colour space of its pixels; empty: device colours
};

EmbeddedJpeg embeddedJpeg(const Picture& picture)
{
    EmbeddedJpeg image;
    image.jpeg = picture.plainJpeg(&image.components);
    image.size = picture.size();
    image.iccProfile = picture.embeddedProfile();
    return image;
}

// The image's /ColorSpace entry: the JPEG's own profile as an ICCBased
// colour space (readers ignore a profile inside the JPEG's markers), or
// device colours for a JPEG without one.
QByteArray imageColourSpace(const EmbeddedJpeg& image, int profileObject)
{
    if (!image.iccProfile.isEmpty())
        return "[/ICCBased " + reference(profileObject) + "]";
    return image.components == 1 ? "/DeviceGray" : "/DeviceRGB";
}

// The ICCBased colour space's stream dictionary; the profile as it is
// follows.
QByteArray profileDictionary(const EmbeddedJpeg& image)
{
    return "/N " + QByteArray::number(image.components) + " /Alternate " +
           (image.components == 1 ? "/DeviceGray" : "/DeviceRGB");
}

// Version 4 ICC profiles came with PDF 1.5.
bool needsPdf15(const QByteArray& profile)
{
    return profile.size() > 8 && profile[8] >= 4;
}

// Numbered objects written one after another, then the cross-reference
// table. Large streams go to the device as they are, not through a copy.
class PdfWriter
{
public:
    explicit PdfWriter(QIODevice& out) : m_out(out) {}

    int reserve()
    {
        m_offsets.append(-1);
        return int(m_offsets.size());
    }
    void object(int number, const QByteArray& body)
    {
        begin(number);
        put(body);
        put("\nendobj\n");
    }
    void stream(int number, const QByteArray& dictionary, const QByteArray& data)
    {
        begin(number);
        put("<< " + dictionary + " /Length " + QByteArray::number(data.size()) + " >>\nstream\n");
        put(data);
        put("\nendstream\nendobj\n");
    }
    void header(bool pdf15)
    {
        put(QByteArray(pdf15 ? "%PDF-1.5" : "%PDF-1.4") + "\n%\xe2\xe3\xcf\xd3\n");
    }
    bool finish(int root)
    {
        const qint64 xref = m_position;
        QByteArray table =
            "xref\n0 " + QByteArray::number(m_offsets.size() + 1) + "\n0000000000 65535 f \n";
        for (const qint64 offset : m_offsets)
            table += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
        put(table + "trailer\n<< /Size " + QByteArray::number(m_offsets.size() + 1) + " /Root " +
            reference(root) + " >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n");
        return m_ok;
    }

private:
    void begin(int number)
    {
        m_offsets[number - 1] = m_position;
        put(QByteArray::number(number) + " 0 obj\n");
    }
    void put(const QByteArray& bytes)
    {
        if (m_ok && m_out.write(bytes) != bytes.size())
            m_ok = false;
        m_position += bytes.size();
    }

    QIODevice& m_out;
    QList<qint64> m_offsets;
    qint64 m_position = 0;
    bool m_ok = true;
};

QByteArray colour(const QColor& c)
{
    return number(c.redF()) + ' ' + number(c.greenF()) + ' ' + number(c.blueF());
}

// A path (dots) as the operators that make it in PDF points.
QByteArray pathOps(const PrintPage& page, const QPainterPath& path)
{
    QByteArray ops;
    const auto point = [&](QPointF dots) {
        const QPointF p = page.dotsToPdfPoints(dots);
        return number(p.x()) + ' ' + number(p.y());
    };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            ops += point(e) + " m\n";
        } else if (e.isLineTo()) {
            ops += point(e) + " l\n";
        } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            ops += point(e) + ' ' + point(path.elementAt(i + 1)) + ' ' +
                   point(path.elementAt(i + 2)) + " c\n";
            i += 2;
        }
    }
    return ops;
}

// The clip to a path (dots) by its fill rule.
QByteArray clipTo(const PrintPage& page, const QPainterPath& path)
{
    return pathOps(page, path) + (path.fillRule() == Qt::OddEvenFill ? "W* n\n" : "W n\n");
}

// The disc labels' cut guides: grey circles as thin as the cut marks.
QByteArray guideContent(const PrintPage& page)
{
    if (page.discGuides.isEmpty())
        return QByteArray();
    QByteArray content =
        "q\n" + number(kDiscGuideGrey / 255.0) + " G\n" + number(discGuideWidthPoints) + " w\n";
    for (const QRectF& guide : page.discGuides) {
        QPainterPath circle;
        circle.addEllipse(guide);
        content += pathOps(page, circle) + "S\n";
    }
    return content + "Q\n";
}

// The page's drawing: each cover clipped to its area, the picture `Im<i>`
// of cover i placed whole and clipped to what of it prints; then the cut
// marks.
QByteArray pageContent(const PrintPage& page)
{
    QByteArray content;
    for (qsizetype i = 0; i < page.covers.size(); ++i) {
        const PlacedCover& cover = page.covers[i];
        const CoverFrame& frame = cover.frame;
        const QByteArray area = rect(page.dotsToPdfPoints(frame.area));
        content += "q\n" + area + " re W n\n1 1 1 rg\n" + area + " re f\n";
        if (cover.ring && frame.border != frame.picture && !frame.border.isEmpty())
            content +=
                colour(cover.borderColour) + " rg\n" + pathOps(page, cover.borderPath()) + "f*\n";
        else if (frame.border != frame.picture && !frame.border.isEmpty())
            content += colour(cover.borderColour) + " rg\n" +
                       rect(page.dotsToPdfPoints(frame.border)) + " re f\n";
        content += clipTo(page, cover.clipPath());
        const QRectF p = page.dotsToPdfPoints(cover.wholePicture());
        if (frame.quarterTurned) // a quarter turn clockwise: the image's top on the right
            content += "0 " + number(-p.height()) + ' ' + number(p.width()) + " 0 " +
                       number(p.x()) + ' ' + number(p.y() + p.height()) + " cm\n";
        else
            content += number(p.width()) + " 0 0 " + number(p.height()) + ' ' + number(p.x()) +
                       ' ' + number(p.y()) + " cm\n";
        content += "/Im" + QByteArray::number(i) + " Do\nQ\n";
    }
    if (!page.cutMarks.isEmpty()) {
        content += "q\n0 0 0 RG\n" + number(kMarkWidthPoints) + " w\n";
        for (const QLineF& mark : page.cutMarks) {
            const QPointF a = page.dotsToPdfPoints(mark.p1());
            const QPointF b = page.dotsToPdfPoints(mark.p2());
            content += number(a.x()) + ' ' + number(a.y()) + " m " + number(b.x()) + ' ' +
                       number(b.y()) + " l S\n";
        }
        content += "Q\n";
    }
    return content + guideContent(page);
}

} // namespace

bool passesThrough(const PlacedCover& cover)
{
    if (cover.pictureBox().isEmpty() || cover.picture.isNull())
        return false;
    // Only a file every PDF reader draws as the preview does goes in as it is.
    return cover.picture.plainJpegPassesThrough();
}

bool writeDirectPdf(QIODevice& out, const QList<PrintPage>& pages)
{
    bool pdf15 = false;
    for (const PrintPage& page : pages)
        for (const PlacedCover& cover : page.covers)
            pdf15 = pdf15 || needsPdf15(cover.picture.embeddedProfile());
    PdfWriter pdf(out);
    pdf.header(pdf15);
    const int catalogue = pdf.reserve();
    const int pageTree = pdf.reserve();
    pdf.object(catalogue, "<< /Type /Catalog /Pages " + reference(pageTree) +
                              " /ViewerPreferences << /PrintScaling /None >> >>");

    // A picture on several covers is embedded once.
    QHash<const void*, int> imageObjects;
    QByteArray kids;
    for (const PrintPage& page : pages) {
        QByteArray images;
        for (qsizetype i = 0; i < page.covers.size(); ++i) {
            const Picture& picture = page.covers[i].picture;
            int& object = imageObjects[picture.data().get()];
            if (object == 0) {
                const EmbeddedJpeg image = embeddedJpeg(picture);
                object = pdf.reserve();
                const int profile = image.iccProfile.isEmpty() ? 0 : pdf.reserve();
                pdf.stream(object,
                           "/Type /XObject /Subtype /Image /Width " +
                               QByteArray::number(image.size.width()) + " /Height " +
                               QByteArray::number(image.size.height()) + " /ColorSpace " +
                               imageColourSpace(image, profile) +
                               " /BitsPerComponent 8 /Filter /DCTDecode",
                           image.jpeg);
                if (profile)
                    pdf.stream(profile, profileDictionary(image), image.iccProfile);
            }
            images += "/Im" + QByteArray::number(i) + ' ' + reference(object) + ' ';
        }
        const int pageObject = pdf.reserve();
        const int contentObject = pdf.reserve();
        pdf.object(pageObject, "<< /Type /Page /Parent " + reference(pageTree) +
                                   " /MediaBox [0 0 " + number(page.sheetPoints.width()) + ' ' +
                                   number(page.sheetPoints.height()) +
                                   "] /Resources << /XObject << " + images + ">> >> /Contents " +
                                   reference(contentObject) + " >>");
        pdf.stream(contentObject, QByteArray(), pageContent(page));
        kids += reference(pageObject) + ' ';
    }
    pdf.object(pageTree, "<< /Type /Pages /Kids [" + kids.trimmed() + "] /Count " +
                             QByteArray::number(pages.size()) + " >>");
    return pdf.finish(catalogue);
}

QByteArray directPdf(const QList<PrintPage>& pages)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeDirectPdf(buffer, pages);
    return bytes;
}

} // namespace jf
