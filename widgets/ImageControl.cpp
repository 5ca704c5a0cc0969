#include "ImageControl.h"

#include "Accessibility.h"

#include <QMouseEvent>
#include <QPainter>

namespace jf {

ImageControl::ImageControl(QWidget* parent) : QWidget(parent)
{
    installAccessibility();
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ImageControl::setPicture(const jf::Picture& picture)
{
    m_picture = picture;
    m_scaled = QImage();
    m_solid = QColor();
    if (!m_picture.isNull() && m_picture.size() == QSize(1, 1))
        m_solid = m_picture.fullImage().pixelColor(0, 0);
    update();
}

void ImageControl::paintPicture(QPainter& painter, const QRectF& target) const
{
    if (m_picture.isNull() || target.isEmpty())
        return;
    if (m_solid.isValid())
        painter.fillRect(target, m_solid);
    else
        m_picture.draw(painter, target);
}

void ImageControl::setImage(const QImage& image)
{
    setPicture(jf::Picture::fromImage(image));
}

void ImageControl::clearPicture()
{
    setPicture(jf::Picture());
}

void ImageControl::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull() || width() <= 0 || height() <= 0)
        return;
    const qreal ratio = devicePixelRatioF();
    const QSize target(qRound(width() * ratio), qRound(height() * ratio));
    if (m_scaled.size() != target) {
        m_scaled = m_picture.scaledTo(target);
        m_scaled.setDevicePixelRatio(ratio);
    }
    if (m_scaled.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), m_scaled);
}

void ImageControl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    emit mousePressed(event->button(), event->position().toPoint());
    event->accept();
}

void ImageControl::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved(event->position().toPoint());
    event->accept();
}

void ImageControl::mouseReleaseEvent(QMouseEvent* event)
{
    emit mouseReleased(event->button(), event->position().toPoint());
    if (event->button() == Qt::LeftButton && m_pressed) {
        m_pressed = false;
        if (rect().contains(event->position().toPoint()))
            emit clicked();
    }
    event->accept();
}

} // namespace jf
