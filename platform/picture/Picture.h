#pragma once

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>
#include <memory>

class QPainter;

namespace jf {

class PictureData;

// A picture loaded into the preview: cheap to copy (shared, immutable).
// A JPEG keeps its compressed bytes and decodes its pixels only when first
// needed, at the smallest scale that still covers what is asked for.
class Picture
{
public:
    Picture() = default;
    static Picture fromImage(const QImage& image);

    bool isNull() const;
    // Size of the picture at full resolution.
    QSize size() const;

    // The picture stretched smoothly to exactly `target` (its own aspect
    // ratio is not kept). The last result is cached, so repeated calls with
    // the same size are cheap.
    QImage scaledTo(const QSize& target) const;

    // The picture at full resolution.
    QImage fullImage() const;

    // Draws the picture stretched smoothly into `target` (logical units of
    // the painter), from a source resolution sufficient for the painter's
    // device transform.
    void draw(QPainter& painter, const QRectF& target) const;
    // Draws the part `source` of the picture (its pixels) into `target`, as
    // the whole picture would be drawn at that scale.
    void draw(QPainter& painter, const QRectF& target, const QRectF& source) const;

    // The file of a JPEG picture that is shown exactly as stored: no
    // orientation tag turns it and its colours are grey (1 component) or
    // YCbCr/RGB (3). Printing may embed such a file as it is. Empty for any
    // other picture.
    QByteArray plainJpeg(int* components = nullptr) const;
    // Whether that file is one every PDF reader draws as the preview does
    // (jpegPassesThrough); false when there is none. Checked once a picture,
    // on any thread.
    bool plainJpegPassesThrough() const;

    // The ICC profile the colours of a JPEG's file are in (the file's own,
    // which the decoded pixels are converted from), for embedding it beside
    // the file. Empty for files without a usable profile and for any other
    // picture, whose decoded pixels are all there is.
    QByteArray embeddedProfile() const;

    // Lets go of decoded pixels and scaled copies kept for speed (after a
    // print, which may have needed the full resolution). The picture itself
    // is unchanged; it decodes again when next drawn.
    void releaseCaches() const;

    explicit Picture(std::shared_ptr<const PictureData> data) : m_data(std::move(data)) {}
    const std::shared_ptr<const PictureData>& data() const { return m_data; }

private:
    std::shared_ptr<const PictureData> m_data;
};

// Loads a picture file chosen by the extension of its name, letter case
// ignored: bmp, jpg/jpeg, ico, wmf/emf, png, webp, tif/tiff, gif, svg,
// heic/heif. JPEG, HEIC, TIFF and WebP pictures with an orientation tag come
// out turned as a viewer shows them; transparent areas are white. Colours
// come out in sRGB: pictures whose file describes their colour space (an
// embedded ICC profile; in PNG also sRGB, or gAMA with cHRM; in HEIC also
// nclx values) are converted from it (see ColourProfile), all others are
// taken as sRGB and left as stored. Throws
// jf::Error with the message the user is shown ("Unknown picture file
// extension (.%s)", "Cannot open file "%s". %s", "Bitmap image is not
// valid", "JPEG error #%d", "PNG image is not valid", "Picture is too large
// (%d x %d pixels)" above 256,000,000 pixels, ...). Never returns a null
// picture.
Picture loadPicture(const QString& path);

// Reads a picture held in memory, of the type the extension names (as
// loadPicture does after reading the file). Used for the program's own
// pictures.
Picture loadPictureData(QByteArray bytes, const QString& extension);

// The extension of a path as the loader sees it: the text after the last dot
// of the file name, empty when the name has no dot.
QString pictureExtension(const QString& path);

} // namespace jf
