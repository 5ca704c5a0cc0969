#pragma once

#include "ImageControl.h"

#include <QByteArray>
#include <QWidget>
#include <memory>

namespace Ui {
class PrintWindow;
}

// The print window: the canvas of a printed cover. Borderless, at the top-left
// corner of the primary screen, hidden except while a cover prints. The cover
// print job sizes it, gives it the picture and the border, and calls
// PrintForm.
//
// Window pixels are 1/96 inch on paper on every machine.
class PrintWindow : public QWidget
{
    Q_OBJECT

public:
    explicit PrintWindow(QWidget* parent = nullptr);
    ~PrintWindow() override;

    // The images, in painting order from back to front. The six colour
    // images are hidden one-pixel colour sources for the border.
    ImageControl* Image_Border = nullptr;
    ImageControl* Image_Print = nullptr;
    ImageControl* Image_Yellow = nullptr;
    ImageControl* Image_Red = nullptr;
    ImageControl* Image_Blue = nullptr;
    ImageControl* Image_Green = nullptr;
    ImageControl* Image_Black = nullptr;
    ImageControl* Image_Gray = nullptr;

    // Outer size = client size (no frame). Each change lays out Image_Print.
    void setOuterHeight(int height);
    void setOuterWidth(int width);

    // Places Image_Print at (10, 10) with width = window width - 20 and
    // height = window height - 50.
    void FormResize();

    // Prints the window's whole area on one page of the current printer, at
    // the top-left corner of the printable area, one window pixel per
    // (printer dots per inch / 96) dots; whatever lies beyond the printable
    // area is cut off. Throws PrinterError "Printing in progress" while
    // another page prints, "There is no default printer currently selected"
    // and "Printer selected is not valid".
    void PrintForm();

    // Paints the window's page image: background, then each visible image
    // (clipped to its bounds and to the window) stretched to its bounds,
    // scaled by `scaleX` x `scaleY` device units per window pixel.
    void paintPage(QPainter& painter, qreal scaleX, qreal scaleY) const;

    // A complete 58-byte bitmap file of one 24-bit pixel.
    static QByteArray colourBitmap(quint8 red, quint8 green, quint8 blue);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::unique_ptr<Ui::PrintWindow> ui;
};
