#pragma once

#include "Picture.h"

#include <QColor>
#include <QImage>
#include <QWidget>

namespace jf {

// An image control: draws its picture stretched to its whole bounds without
// keeping the picture's proportions, and reports mouse presses, moves,
// releases and clicks in its own coordinates. Without a picture it draws
// nothing, so what lies behind it shows through. Given an accessible name it
// is an image for assistive technology, described by its accessible
// description; without one it is a plain pane (a window's background).
class ImageControl : public QWidget
{
    Q_OBJECT

public:
    explicit ImageControl(QWidget* parent = nullptr);

    const jf::Picture& picture() const { return m_picture; }
    void setPicture(const jf::Picture& picture);
    void setImage(const QImage& image);
    void clearPicture();

    // Paints the picture stretched into `target` in the painter's units, at
    // the painter's resolution (a printer's, when printing). A one-pixel
    // picture is a solid fill of its colour.
    void paintPicture(QPainter& painter, const QRectF& target) const;

signals:
    void clicked();
    void mousePressed(Qt::MouseButton button, QPoint pos);
    void mouseMoved(QPoint pos);
    void mouseReleased(Qt::MouseButton button, QPoint pos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    jf::Picture m_picture;
    QColor m_solid; // valid when the picture is a single pixel
    // A copy already stretched to the current size (in device pixels), so
    // repaints of a large picture stay cheap.
    QImage m_scaled;
    bool m_pressed = false;
};

} // namespace jf
