#include "PicturePreview.h"

#include "ClickLabel.h"
#include "RingPath.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace jf {

namespace {

// One wheel notch, or one + or -, zooms by this factor.
constexpr double kZoomStep = 1.25;
// The arrow keys move the picture by these fractions of it.
constexpr double kSmallStep = 0.01;
constexpr double kLargeStep = 0.10;
// How long zooming pauses before a sharper copy is made.
constexpr int kSharpenAfterMs = 150;

QString fitText(const Placement& placement)
{
    switch (placement.fit) {
    case PictureFit::Fill:
        return QStringLiteral("Fill Cover, zoom %1 \u00d7").arg(placement.crop.zoom, 0, 'f', 1);
    case PictureFit::Fit:
        return QStringLiteral("Fit in Cover");
    case PictureFit::Stretch:
        break;
    }
    return QStringLiteral("Stretch to Cover");
}

} // namespace

PicturePreview::PicturePreview(QWidget* parent) : ImageControl(parent)
{
    m_sharpen.setSingleShot(true);
    m_sharpen.setInterval(kSharpenAfterMs);
    connect(&m_sharpen, &QTimer::timeout, this, [this] {
        makeCopy();
        update();
    });
    describe();
}

void PicturePreview::showPlaceholder(const Picture& picture)
{
    m_placed = false;
    m_name.clear();
    m_copy = QImage();
    setPicture(picture);
    resetCrop();
    describe();
}

void PicturePreview::showPicture(const Picture& picture, const QString& name)
{
    m_placed = true;
    m_name = name;
    m_copy = QImage();
    setPicture(picture);
    resetCrop();
    describe();
}

void PicturePreview::setCoverSize(QSizeF cover)
{
    if (cover == m_cover)
        return;
    m_cover = cover;
    m_copy = QImage();
    resetCrop();
}

void PicturePreview::setFit(PictureFit fit)
{
    m_placement.fit = fit;
    m_copy = QImage();
    setFocusPolicy(fit == PictureFit::Fill ? Qt::StrongFocus : Qt::NoFocus);
    setCursor(fit == PictureFit::Fill ? Qt::OpenHandCursor : Qt::ArrowCursor);
    describe();
    update();
    emit placementChanged();
}

void PicturePreview::setDisc(const std::optional<DiscSize>& disc)
{
    if (disc == m_disc)
        return;
    m_disc = disc;
    update();
}

void PicturePreview::resetCrop()
{
    setCrop(Crop());
}

Placement PicturePreview::placement() const
{
    Placement placement = m_placement;
    placement.crop = clampedCrop(m_placement.crop, picture().size(), m_cover);
    return placement;
}

bool PicturePreview::cropping() const
{
    return m_placed && m_placement.fit == PictureFit::Fill && !picture().isNull();
}

void PicturePreview::setCrop(const Crop& crop)
{
    const Crop clamped = clampedCrop(crop, picture().size(), m_cover);
    if (clamped == m_placement.crop)
        return;
    const bool zoomed = clamped.zoom != m_placement.crop.zoom;
    m_placement.crop = clamped;
    if (zoomed)
        describe();
    update();
    emit placementChanged();
}

void PicturePreview::zoomAbout(double factor, QPointF at)
{
    const QPointF within(std::clamp(at.x() / std::max(1, width()), 0.0, 1.0),
                         std::clamp(at.y() / std::max(1, height()), 0.0, 1.0));
    setCrop(zoomedCrop(m_placement.crop, picture().size(), m_cover, factor, within));
}

void PicturePreview::describe()
{
    const QString fit = fitText(m_placement);
    setAccessibleDescription(m_name.isEmpty() ? fit : m_name + QStringLiteral(", ") + fit);
}

double PicturePreview::copyScale() const
{
    // Device pixels of the preview per pixel of the picture, no more than
    // the picture has.
    const PlacedPicture placed = placePicture(placement(), picture().size(), m_cover);
    const double ratio = devicePixelRatioF();
    return std::min(1.0,
                    std::max(placed.target.width() * width() * ratio / placed.source.width(),
                             placed.target.height() * height() * ratio / placed.source.height()));
}

void PicturePreview::makeCopy()
{
    m_copy = QImage();
    const QSize pixels = picture().size();
    if (pixels.isEmpty() || width() <= 0 || height() <= 0)
        return;
    const double scale = copyScale();
    const QSize size(std::max(1, int(std::ceil(pixels.width() * scale - 1e-6))),
                     std::max(1, int(std::ceil(pixels.height() * scale - 1e-6))));
    m_copy = picture().scaledTo(size);
    m_copyScale = double(size.width()) / pixels.width();
}

const QImage& PicturePreview::copy()
{
    if (m_copy.isNull()) {
        makeCopy();
        return m_copy;
    }
    const double needed = copyScale();
    if ((needed > m_copyScale * 1.01 || needed * 2 < m_copyScale) && !m_sharpen.isActive())
        m_sharpen.start();
    return m_copy;
}

void PicturePreview::paintEvent(QPaintEvent* event)
{
    const bool own = m_placed && !picture().isNull();
    if (!m_disc && (!own || m_placement.fit == PictureFit::Stretch)) {
        ImageControl::paintEvent(event);
    } else {
        QPainter painter(this);
        if (m_disc) {
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setClipPath(ringPath(m_disc->ringIn(QRectF(rect()))));
        }
        if (own)
            paintPlaced(painter);
        else
            paintPicture(painter, QRectF(rect()));
    }
    if (hasFocus()) {
        QPainter painter(this);
        paintFocusOutline(painter, rect());
    }
}

void PicturePreview::paintPlaced(QPainter& painter)
{
    const QImage& image = copy();
    const PlacedPicture placed = placePicture(placement(), picture().size(), m_cover);
    if (m_placement.fit == PictureFit::Fit)
        painter.fillRect(rect(), Qt::white); // the paper around the picture
    const QRectF target(placed.target.x() * width(), placed.target.y() * height(),
                        placed.target.width() * width(), placed.target.height() * height());
    const double sx = double(image.width()) / picture().size().width();
    const double sy = double(image.height()) / picture().size().height();
    const QRectF source(placed.source.x() * sx, placed.source.y() * sy, placed.source.width() * sx,
                        placed.source.height() * sy);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, image, source);
}

void PicturePreview::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && cropping()) {
        m_dragging = true;
        m_dragFrom = event->position();
        setCursor(Qt::ClosedHandCursor);
    }
    ImageControl::mousePressEvent(event);
}

void PicturePreview::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && cropping() && width() > 0 && height() > 0) {
        const QPointF by = event->position() - m_dragFrom;
        m_dragFrom = event->position();
        setCrop(draggedCrop(m_placement.crop, picture().size(), m_cover,
                            QPointF(by.x() / width(), by.y() / height())));
    }
    ImageControl::mouseMoveEvent(event);
}

void PicturePreview::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_dragging) {
        m_dragging = false;
        setCursor(m_placement.fit == PictureFit::Fill ? Qt::OpenHandCursor : Qt::ArrowCursor);
    }
    ImageControl::mouseReleaseEvent(event);
}

void PicturePreview::wheelEvent(QWheelEvent* event)
{
    const int notches = event->angleDelta().y();
    if (!cropping() || notches == 0) {
        event->ignore();
        return;
    }
    zoomAbout(std::pow(kZoomStep, notches / 120.0), event->position());
    event->accept();
}

void PicturePreview::keyPressEvent(QKeyEvent* event)
{
    if (!cropping()) {
        ImageControl::keyPressEvent(event);
        return;
    }
    const double step = event->modifiers() & Qt::ShiftModifier ? kLargeStep : kSmallStep;
    // + and - zoom about the pointer when it is over the preview.
    const QPoint pointer = mapFromGlobal(QCursor::pos());
    const QPointF at = rect().contains(pointer) ? QPointF(pointer) : QRectF(rect()).center();
    const QSizeF pixels = picture().size();
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        setCrop(shiftedCrop(m_placement.crop, pixels, m_cover,
                            QPointF(event->key() == Qt::Key_Left ? -step : step, 0)));
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        setCrop(shiftedCrop(m_placement.crop, pixels, m_cover,
                            QPointF(0, event->key() == Qt::Key_Up ? -step : step)));
        break;
    case Qt::Key_Home:
        setCrop({0.5, 0.5, m_placement.crop.zoom});
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomAbout(kZoomStep, at);
        break;
    case Qt::Key_Minus:
        zoomAbout(1 / kZoomStep, at);
        break;
    default:
        ImageControl::keyPressEvent(event);
        return;
    }
    event->accept();
}

} // namespace jf
