#include "TextCodec.h"

namespace jf {

namespace {

constexpr char16_t escapeBase = 0xDC00;

// Length of the valid UTF-8 sequence starting at bytes[i], or 0.
int validSequenceLength(QByteArrayView bytes, qsizetype i)
{
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    if (b0 < 0x80)
        return 1;
    int length = 0;
    char32_t min = 0;
    char32_t cp = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        min = 0x80;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        min = 0x800;
        cp = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        min = 0x10000;
        cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + length > bytes.size())
        return 0;
    for (int k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(bytes[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QString decodeLocal8Bit(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    qsizetype i = 0;
    while (i < bytes.size()) {
        // Copy the longest valid run in one go.
        qsizetype start = i;
        int len = 0;
        while (i < bytes.size() && (len = validSequenceLength(bytes, i)) > 0)
            i += len;
        if (i > start)
            text += QString::fromUtf8(bytes.sliced(start, i - start));
        if (i < bytes.size()) {
            text += QChar(char16_t(escapeBase + static_cast<unsigned char>(bytes[i])));
            ++i;
        }
    }
    return text;
}

QByteArray encodeLocal8Bit(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype start = i;
        while (i < text.size()) {
            const char16_t c = text[i].unicode();
            if (c >= 0xDC80 && c <= 0xDCFF && !(i > 0 && text[i - 1].isHighSurrogate()))
                break;
            ++i;
        }
        if (i > start)
            bytes += text.sliced(start, i - start).toUtf8();
        if (i < text.size()) {
            bytes += char(text[i].unicode() - escapeBase);
            ++i;
        }
    }
    return bytes;
}

} // namespace jf
