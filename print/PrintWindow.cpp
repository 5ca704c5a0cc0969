#include "PrintWindow.h"

#include "Errors.h"
#include "PrintGeometry.h"
#include "Printing.h"
#include "ui_PrintWindow.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QResizeEvent>

namespace {

void put16(QByteArray& bytes, int at, quint16 value)
{
    bytes[at] = char(value & 0xff);
    bytes[at + 1] = char(value >> 8);
}

void put32(QByteArray& bytes, int at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xff);
}

jf::Picture colourPicture(quint8 red, quint8 green, quint8 blue)
{
    const QImage image = QImage::fromData(PrintWindow::colourBitmap(red, green, blue), "BMP");
    return jf::Picture::fromImage(image);
}

} // namespace

PrintWindow::PrintWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ui(std::make_unique<Ui::PrintWindow>())
{
    ui->setupUi(this);
    Image_Border = ui->Image_Border;
    Image_Print = ui->Image_Print;
    Image_Yellow = ui->Image_Yellow;
    Image_Red = ui->Image_Red;
    Image_Blue = ui->Image_Blue;
    Image_Green = ui->Image_Green;
    Image_Black = ui->Image_Black;
    Image_Gray = ui->Image_Gray;

    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    Image_Yellow->setPicture(colourPicture(255, 255, 0));
    Image_Red->setPicture(colourPicture(255, 0, 0));
    Image_Blue->setPicture(colourPicture(0, 0, 255));
    Image_Green->setPicture(colourPicture(0, 255, 0));
    Image_Black->setPicture(colourPicture(0, 0, 0));
    Image_Gray->setPicture(colourPicture(128, 128, 128));
    Image_Border->setPicture(colourPicture(128, 128, 128));

    move(0, 0);
}

PrintWindow::~PrintWindow() = default;

QByteArray PrintWindow::colourBitmap(quint8 red, quint8 green, quint8 blue)
{
    QByteArray bmp(58, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(bmp, 2, 58);  // file size
    put32(bmp, 10, 54); // offset of the pixels
    put32(bmp, 14, 40); // information header size
    put32(bmp, 18, 1);  // width
    put32(bmp, 22, 1);  // height
    put16(bmp, 26, 1);  // planes
    put16(bmp, 28, 24); // bits per pixel
    put32(bmp, 34, 4);  // size of the pixel rows, padded
    bmp[54] = char(blue);
    bmp[55] = char(green);
    bmp[56] = char(red);
    return bmp;
}

void PrintWindow::setOuterHeight(int height)
{
    resize(width(), height);
    FormResize();
}

void PrintWindow::setOuterWidth(int width)
{
    resize(width, height());
    FormResize();
}

void PrintWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void PrintWindow::FormResize()
{
    using namespace jf;
    Image_Print->setGeometry(kPictureOrigin, kPictureOrigin, width() - kWidthMargin,
                             height() - kHeightMargin);
}

void PrintWindow::paintPage(QPainter& painter, qreal scaleX, qreal scaleY) const
{
    const QRectF page(0, 0, width(), height());
    painter.save();
    painter.scale(scaleX, scaleY);
    painter.setClipRect(page);
    painter.fillRect(page, palette().color(QPalette::Window));
    const ImageControl* const images[] = {Image_Border, Image_Print, Image_Yellow, Image_Red,
                                          Image_Blue,   Image_Green, Image_Black,  Image_Gray};
    for (const ImageControl* image : images) {
        if (image->isHidden())
            continue;
        const QRectF bounds(image->geometry());
        const QRectF visible = bounds.intersected(page);
        if (visible.isEmpty())
            continue;
        painter.save();
        painter.setClipRect(visible);
        image->paintPicture(painter, bounds);
        painter.restore();
    }
    painter.restore();
}

void PrintWindow::PrintForm()
{
    jf::CurrentPrinter& selection = jf::currentPrinter();
    const jf::CurrentPrinter::JobMark mark(selection);
    QPrinter& printer = selection.printer();
    jf::usePrintableAreaOrigin(printer);
    printer.setDocName(QString());

    QPainter painter;
    if (!painter.begin(&printer))
        throw jf::PrinterError(QStringLiteral("Printer selected is not valid"));
    try {
        const int pageWidth = width();
        const int pageHeight = height();
        const int dotsAcross =
            jf::mulDiv(pageWidth, printer.logicalDpiX(), jf::kWindowPixelsPerInch);
        const int dotsDown =
            jf::mulDiv(pageHeight, printer.logicalDpiY(), jf::kWindowPixelsPerInch);
        if (pageWidth > 0 && pageHeight > 0 && dotsAcross > 0 && dotsDown > 0)
            paintPage(painter, qreal(dotsAcross) / pageWidth, qreal(dotsDown) / pageHeight);
    } catch (...) {
        painter.end(); // the page and the document are always ended
        throw;
    }
    painter.end();
}
