#include "PrintImage.h"

#include <QPainter>

PrintImage::PrintImage(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NoSystemBackground);
}

void PrintImage::setPicture(const jf::Picture& picture)
{
    m_picture = picture;
    m_solid = QColor();
    if (!m_picture.isNull() && m_picture.size() == QSize(1, 1))
        m_solid = m_picture.fullImage().pixelColor(0, 0);
    update();
}

void PrintImage::paintPicture(QPainter& painter, const QRectF& target) const
{
    if (m_picture.isNull() || target.isEmpty())
        return;
    if (m_solid.isValid())
        painter.fillRect(target, m_solid);
    else
        m_picture.draw(painter, target);
}

void PrintImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintPicture(painter, QRectF(rect()));
}
