#include "Orientation.h"

#include <QTransform>

#include <libexif/exif-data.h>
#include <webp/demux.h>

namespace jf {

int exifOrientation(const QByteArray& exif)
{
    static const QByteArray header("Exif\0\0", 6);
    const QByteArray block = exif.startsWith(header) ? exif : header + exif;
    ExifData* data = exif_data_new();
    if (!data)
        return 1;
    exif_data_load_data(data, reinterpret_cast<const unsigned char*>(block.constData()),
                        static_cast<unsigned int>(block.size()));
    int orientation = 1;
    ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (entry && entry->format == EXIF_FORMAT_SHORT && entry->components >= 1 && entry->data &&
        entry->size >= 2) {
        const int value = exif_get_short(entry->data, exif_data_get_byte_order(data));
        if (value >= 1 && value <= 8)
            orientation = value;
    }
    exif_data_unref(data);
    return orientation;
}

int webpOrientation(const QByteArray& file)
{
    WebPData webp{reinterpret_cast<const uint8_t*>(file.constData()), size_t(file.size())};
    WebPDemuxer* demux = WebPDemux(&webp);
    if (!demux)
        return 1;
    int orientation = 1;
    WebPChunkIterator chunk;
    if ((WebPDemuxGetI(demux, WEBP_FF_FORMAT_FLAGS) & EXIF_FLAG) &&
        WebPDemuxGetChunk(demux, "EXIF", 1, &chunk)) {
        orientation = exifOrientation(QByteArray::fromRawData(
            reinterpret_cast<const char*>(chunk.chunk.bytes), qsizetype(chunk.chunk.size)));
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    WebPDemuxDelete(demux);
    return orientation;
}

bool orientationSwapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

QSize orientedSize(const QSize& stored, int orientation)
{
    return orientationSwapsSides(orientation) ? stored.transposed() : stored;
}

QImage applyOrientation(const QImage& stored, int orientation)
{
    const QTransform quarterTurn = QTransform().rotate(90); // clockwise on screen
    switch (orientation) {
    case 2: // mirrored left to right
        return stored.mirrored(true, false);
    case 3: // upside down
        return stored.mirrored(true, true);
    case 4: // mirrored top to bottom
        return stored.mirrored(false, true);
    case 5: // rows stored as columns (transposed)
        return stored.mirrored(false, true).transformed(quarterTurn);
    case 6: // turned a quarter anticlockwise: turn it back clockwise
        return stored.transformed(quarterTurn);
    case 7: // transposed across the other diagonal
        return stored.mirrored(true, false).transformed(quarterTurn);
    case 8: // turned a quarter clockwise: turn it back
        return stored.transformed(QTransform().rotate(270));
    default:
        return stored;
    }
}

} // namespace jf
