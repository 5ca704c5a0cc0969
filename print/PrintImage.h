#pragma once

#include "Picture.h"

#include <QWidget>

// An image control of the print window: draws its picture stretched to its
// whole bounds, without keeping the picture's proportions; without a picture
// it draws nothing. Pictures are assigned by copying (jf::Picture is shared
// and immutable, so a copy is cheap).
class PrintImage : public QWidget
{
    Q_OBJECT

public:
    explicit PrintImage(QWidget* parent = nullptr);

    const jf::Picture& picture() const { return m_picture; }
    void setPicture(const jf::Picture& picture);

    // Paints the picture stretched into `target` (the painter's units). A
    // one-pixel picture is a solid fill of its colour.
    void paintPicture(QPainter& painter, const QRectF& target) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    jf::Picture m_picture;
    QColor m_solid; // valid when the picture is a single pixel
};
