#include "SvgDecoder.h"

#include "Errors.h"
#include "Metafile.h"
#include "Picture.h"

#include <QBuffer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <zlib.h>

namespace jf {

namespace {

[[noreturn]] void throwInvalid()
{
    throw PictureError(QStringLiteral("SVG image is not valid"));
}

[[noreturn]] void throwTooLarge()
{
    throw PictureError(QStringLiteral("SVG image is too large (over %1 MB uncompressed)")
                           .arg(kMaxSvgBytes / (1024 * 1024)));
}

bool isGzip(const QByteArray& file)
{
    return file.size() >= 2 && static_cast<unsigned char>(file[0]) == 0x1f &&
           static_cast<unsigned char>(file[1]) == 0x8b;
}

// Inflates a gzip stream, checking the ceiling as the text grows, so a small
// file that inflates to gigabytes is refused after kMaxSvgBytes.
QByteArray inflateGzip(const QByteArray& file)
{
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
        throwInvalid();
    struct End
    {
        z_stream* s;
        ~End() { inflateEnd(s); }
    } end{&stream};
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(file.constData()));
    stream.avail_in = uInt(file.size());
    QByteArray text;
    constexpr qsizetype chunk = 256 * 1024;
    for (;;) {
        const qsizetype used = text.size();
        if (used >= kMaxSvgBytes + 1)
            throwTooLarge();
        const qsizetype room = std::min<qsizetype>(chunk, kMaxSvgBytes + 1 - used);
        text.resize(used + room);
        stream.next_out = reinterpret_cast<Bytef*>(text.data() + used);
        stream.avail_out = uInt(room);
        const int result = inflate(&stream, Z_NO_FLUSH);
        text.truncate(used + room - qsizetype(stream.avail_out));
        if (result == Z_STREAM_END)
            break;
        if (result != Z_OK || (stream.avail_in == 0 && stream.avail_out != 0))
            throwInvalid(); // damaged, or cut short
    }
    if (text.size() > kMaxSvgBytes)
        throwTooLarge();
    return text;
}

QStringView localName(QStringView qualified)
{
    return qualified.sliced(qualified.lastIndexOf(u':') + 1);
}

// An embedded picture as a PNG "data:" address, read by the program's own
// decoders; empty for anything else, an outside file or address included.
QString embeddedPicture(const QString& address)
{
    if (!address.startsWith(QLatin1String("data:"), Qt::CaseInsensitive))
        return QString();
    const qsizetype comma = address.indexOf(u',');
    if (comma < 0)
        return QString();
    const QString header = address.sliced(5, comma - 5).toLower();
    const QStringView payload = QStringView(address).sliced(comma + 1);
    static const std::pair<const char*, const char*> types[] = {
        {"image/png", "png"}, {"image/jpeg", "jpg"}, {"image/jpg", "jpg"},
        {"image/gif", "gif"}, {"image/bmp", "bmp"},  {"image/webp", "webp"}};
    const QString mime = header.section(u';', 0, 0).trimmed();
    const char* extension = nullptr;
    for (const auto& [name, ext] : types) {
        if (mime == QLatin1String(name))
            extension = ext;
    }
    if (!extension)
        return QString();
    const QByteArray bytes = header.endsWith(QLatin1String(";base64"))
                                 ? QByteArray::fromBase64(payload.toLatin1())
                                 : QByteArray::fromPercentEncoding(payload.toUtf8());
    try {
        const QImage image = loadPictureData(bytes, QLatin1String(extension)).fullImage();
        QByteArray png;
        QBuffer buffer(&png);
        if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
            return QString();
        return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
    } catch (const Error&) {
        return QString();
    }
}

// The SVG text again, without what would make the renderer read other
// files: <image> elements are kept only with an embedded picture, and
// processing instructions (xml-stylesheet) are dropped.
QByteArray withoutOutsideReferences(const QByteArray& svg)
{
    QXmlStreamReader reader(svg);
    reader.setNamespaceProcessing(false);
    QByteArray out;
    QXmlStreamWriter writer(&out);
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartDocument:
            writer.writeStartDocument();
            break;
        case QXmlStreamReader::EndDocument:
            writer.writeEndDocument();
            break;
        case QXmlStreamReader::DTD:
            writer.writeDTD(reader.text().toString());
            break;
        case QXmlStreamReader::StartElement: {
            const bool image = localName(reader.qualifiedName()) == QLatin1String("image");
            QXmlStreamAttributes attributes = reader.attributes();
            bool keep = !image;
            for (QXmlStreamAttribute& attribute : attributes) {
                if (image && localName(attribute.qualifiedName()) == QLatin1String("href")) {
                    const QString picture = embeddedPicture(attribute.value().toString());
                    keep = !picture.isEmpty();
                    attribute = QXmlStreamAttribute(attribute.qualifiedName().toString(), picture);
                }
            }
            if (!keep) {
                reader.skipCurrentElement();
                break;
            }
            writer.writeStartElement(reader.qualifiedName().toString());
            for (const QXmlStreamAttribute& attribute : attributes)
                writer.writeAttribute(attribute.qualifiedName().toString(),
                                      attribute.value().toString());
            break;
        }
        case QXmlStreamReader::EndElement:
            writer.writeEndElement();
            break;
        case QXmlStreamReader::Characters:
            if (reader.isCDATA())
                writer.writeCDATA(reader.text().toString());
            else
                writer.writeCharacters(reader.text().toString());
            break;
        case QXmlStreamReader::Comment:
            writer.writeComment(reader.text().toString());
            break;
        case QXmlStreamReader::EntityReference:
            writer.writeEntityReference(reader.name().toString());
            break;
        case QXmlStreamReader::ProcessingInstruction:
        case QXmlStreamReader::NoToken:
        case QXmlStreamReader::Invalid:
            break;
        }
    }
    if (reader.hasError())
        throwInvalid();
    return out;
}

} // namespace

QImage decodeSvg(const QByteArray& file)
{
    if (file.size() > kMaxSvgBytes)
        throwTooLarge();
    const QByteArray svg = isGzip(file) ? inflateGzip(file) : file;
    const QImage image = renderSvg(withoutOutsideReferences(svg));
    if (image.isNull())
        throwInvalid();
    return image;
}

} // namespace jf
