#pragma once

#include "DiscGeometry.h"
#include "ImageControl.h"
#include "PictureFit.h"

#include <QImage>
#include <QTimer>
#include <optional>

class QPainter;

namespace jf {

// The cover preview: the picture placed on the cover as it prints
// (stretched, filled with the user's crop, or fitted on paper white). In
// "Fill Cover" the crop is the user's: a drag moves the picture under the
// cover, the wheel and + and - zoom about the pointer, and while the
// preview has the focus (it is then a Tab stop) the arrow keys move the
// picture by 1 % of it (10 % with Shift) and Home centres it. Every change is
// drawn at once from a copy of the picture the size the preview needs, never
// from the picture itself; a copy too coarse for a new zoom is made again
// once the zooming pauses. Its accessible description names the picture,
// the way it is placed and, when filled, the zoom. A disc label shows its
// picture only within its ring, inscribed in the preview: outside the ring
// and in the hole, what lies behind the preview shows through.
class PicturePreview : public ImageControl
{
    Q_OBJECT

public:
    explicit PicturePreview(QWidget* parent = nullptr);

    // A picture of the program's own (the placeholder), stretched over the
    // preview and never placed.
    void showPlaceholder(const Picture& picture);
    // The user's picture, named `name`, placed on the cover, its crop
    // centred and unzoomed.
    void showPicture(const Picture& picture, const QString& name);

    // The cover's size in its own pixels (the proportions the picture is
    // placed in); a different size starts the crop afresh.
    void setCoverSize(QSizeF cover);
    void setFit(PictureFit fit);
    // The disc label the preview shows, or none (a plain cover).
    void setDisc(const std::optional<DiscSize>& disc);
    const std::optional<DiscSize>& disc() const { return m_disc; }
    // Centres the crop and takes its zoom back to 1.
    void resetCrop();
    // Takes `crop`, kept within the picture.
    void setCrop(const Crop& crop);
    // The placement as it prints, the crop kept within the picture.
    Placement placement() const;

signals:
    void placementChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Whether the user moves the crop: a picture of theirs, filled.
    bool cropping() const;
    void zoomAbout(double factor, QPointF at);
    void describe();
    // The copy to draw from at the placement's zoom: made at once when there
    // is none, made again later (m_sharpen) when the one there is too coarse
    // or far too fine.
    const QImage& copy();
    void makeCopy();
    // The user's picture where its placement puts it (from the copy).
    void paintPlaced(QPainter& painter);
    double copyScale() const;

    Placement m_placement;
    QSizeF m_cover;
    std::optional<DiscSize> m_disc;
    QString m_name;
    bool m_placed = false;
    QImage m_copy;
    double m_copyScale = 0; // copy pixels per picture pixel
    QTimer m_sharpen;
    bool m_dragging = false;
    QPointF m_dragFrom;
};

} // namespace jf
