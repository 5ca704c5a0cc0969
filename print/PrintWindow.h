#pragma once

#include "PageLayout.h"
#include "Picture.h"
#include "ui_PrintWindow.h"

#include <QColor>
#include <QRect>
#include <QString>
#include <QWidget>

class QPrinter;

namespace jf {

// The print window: the canvas of a printed cover. Borderless, at the top-left
// corner of the primary screen, hidden except while a cover prints. The cover
// print job sizes it, gives it the picture and the border, and calls
// printPage.
//
// It holds two images, painted from back to front: the border, a solid fill of
// the border colour, and the picture in front of it.
//
// Window pixels are 1/96 inch on paper on every machine.
class PrintWindow : public QWidget
{
    Q_OBJECT

public:
    explicit PrintWindow(QWidget* parent = nullptr);
    ~PrintWindow() override;

    const jf::Picture& picture() const;
    void setPicture(const jf::Picture& picture);

    // Gray until a known name is given; an unknown name keeps the colour
    // (jf::borderColourAfter).
    QColor borderColour() const { return m_borderColour; }
    void setBorderColour(const QString& name);

    // Shows the border `width` pixels wide around the picture's place.
    void placeBorder(int width);

    QRect pictureGeometry() const;
    QRect borderGeometry() const;

    // Outer size = client size (no frame). Each change lays out the picture.
    void setOuterHeight(int height);
    void setOuterWidth(int width);

    // Places the picture at (10, 10) with width = window width - 20 and
    // height = window height - 50.
    void layoutPicture();

    // Prints the window's page image on one page of the current printer, as
    // `layout` places it (PageLayout: from the corner of the printable area,
    // in printer dots); whatever lies beyond the printable area is cut off.
    // Throws PrinterError "Printing in progress" while another page prints,
    // "There is no default printer currently selected" and "Printer selected
    // is not valid".
    void printPage(const jf::PageLayout& layout);

    // Paints the window's page image: background, then each visible image
    // (clipped to its bounds and to the window) stretched to its bounds,
    // scaled by `scaleX` x `scaleY` device units per window pixel and moved
    // by `shift` device units.
    void paintPage(QPainter& painter, qreal scaleX, qreal scaleY, QPointF shift = {}) const;
    // The same, placed by `layout`: what the printer and the preview draw.
    void paintPage(QPainter& painter, const jf::PageLayout& layout) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // A picture that is a plain JPEG file, printed to a PDF file or a print
    // queue: the page is made with the file embedded as it is (DirectPdf),
    // much faster than decoding and compressing it again, and written to the
    // file or handed to the queue with the job's options. False when the
    // page needs the general way.
    bool printJpegDirect(const QPrinter& printer, const jf::PageLayout& layout) const;

    Ui::PrintWindow m_ui;
    QColor m_borderColour;
};

} // namespace jf
