#include "PrintWindow.h"

#include "CupsOptions.h"
#include "CurrentPrinter.h"
#include "DirectPdf.h"
#include "Errors.h"
#include "JpegDecoder.h"
#include "PaintedJob.h"
#include "Preferences.h"
#include "PrintGeometry.h"

#include <QDir>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QResizeEvent>
#include <QSaveFile>
#include <QTemporaryFile>

namespace jf {

namespace {

// The image control paints a one-pixel picture as a solid fill of its colour.
QImage onePixel(const QColor& colour)
{
    QImage image(1, 1, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

PrintWindow::PrintWindow(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    m_ui.setupUi(this);

    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    m_borderColour = QColor::fromRgb(jf::firstBorderColour);
    m_ui.borderImage->setImage(onePixel(m_borderColour));

    move(0, 0);
}

PrintWindow::~PrintWindow() = default;

const jf::Picture& PrintWindow::picture() const
{
    return m_ui.pictureImage->picture();
}

void PrintWindow::setPicture(const jf::Picture& picture)
{
    m_ui.pictureImage->setPicture(picture);
}

void PrintWindow::setBorderColour(const QString& name)
{
    m_borderColour = QColor::fromRgb(jf::borderColourAfter(name, m_borderColour.rgb()));
    m_ui.borderImage->setImage(onePixel(m_borderColour));
}

void PrintWindow::placeBorder(int width)
{
    using namespace jf;
    m_ui.borderImage->setVisible(true);
    m_ui.borderImage->setGeometry(kPictureOrigin - width, kPictureOrigin - width,
                                  m_ui.pictureImage->width() + 2 * width,
                                  m_ui.pictureImage->height() + 2 * width);
}

QRect PrintWindow::pictureGeometry() const
{
    return m_ui.pictureImage->geometry();
}

QRect PrintWindow::borderGeometry() const
{
    return m_ui.borderImage->geometry();
}

void PrintWindow::setOuterHeight(int height)
{
    resize(width(), height);
    layoutPicture();
}

void PrintWindow::setOuterWidth(int width)
{
    resize(width, height());
    layoutPicture();
}

void PrintWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutPicture();
}

void PrintWindow::layoutPicture()
{
    using namespace jf;
    m_ui.pictureImage->setGeometry(kPictureOrigin, kPictureOrigin, width() - kWidthMargin,
                                   height() - kHeightMargin);
}

void PrintWindow::paintPage(QPainter& painter, qreal scaleX, qreal scaleY, QPointF shift) const
{
    const QRectF page(0, 0, width(), height());
    painter.save();
    painter.translate(shift);
    painter.scale(scaleX, scaleY);
    painter.setClipRect(page);
    painter.fillRect(page, palette().color(QPalette::Window));
    for (const ImageControl* image : {m_ui.borderImage, m_ui.pictureImage}) {
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

void PrintWindow::paintPage(QPainter& painter, const jf::PageLayout& layout) const
{
    if (layout.scaleX > 0 && layout.scaleY > 0)
        paintPage(painter, layout.scaleX, layout.scaleY, QPointF(layout.shiftX, layout.shiftY));
}

bool PrintWindow::printJpegDirect(const QPrinter& printer, const jf::PageLayout& layout) const
{
    jf::DirectPdfPage page;
    page.jpeg = picture().plainJpeg(&page.components);
    if (page.jpeg.isEmpty() || layout.picture.isEmpty() || layout.scaleX <= 0 ||
        layout.scaleY <= 0 || m_ui.pictureImage->isHidden())
        return false;
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat;
    if (!toFile && (printer.outputFormat() != QPrinter::NativeFormat || !jf::canHandToQueue()))
        return false;
    // Only a file every PDF reader draws as the preview does goes in as it is.
    if (!jf::jpegPassesThrough(page.jpeg))
        return false;
    page.jpegSize = picture().size();
    page.iccProfile = picture().embeddedProfile();
    page.sheetPoints = printer.pageLayout().fullRect(QPageLayout::Point).size();
    page.printableMm = layout.printable.topLeft();
    page.layout = layout;
    if (layout.border != layout.picture && !m_ui.borderImage->isHidden())
        page.border = m_borderColour;
    const QByteArray pdf = jf::directPdf(page);
    const auto invalid = [] {
        return jf::PrinterError(QStringLiteral("Printer selected is not valid"));
    };
    if (toFile) {
        QSaveFile file(printer.outputFileName());
        if (!file.open(QIODevice::WriteOnly) || file.write(pdf) < 0 || !file.commit())
            throw invalid();
        return true;
    }
    QTemporaryFile file(QDir::temp().filePath(QStringLiteral("jacketforge-XXXXXX.pdf")));
    if (!file.open() || file.write(pdf) < 0 || !file.flush())
        throw invalid();
    file.close();
    return jf::handPdfToQueue(jf::queueJobFor(printer), file.fileName());
}

void PrintWindow::printPage(const jf::PageLayout& layout)
{
    jf::CurrentPrinter& selection = jf::currentPrinter();
    const jf::CurrentPrinter::JobMark mark(selection);
    QPrinter& printer = selection.printer();
    printer.setDocName(QString());
    if (printJpegDirect(printer, layout))
        return;

    // Qt hands the painted page to a queue itself: the queue is asked first,
    // and its answer read afterwards.
    jf::PaintedJob job(printer, QStringLiteral("Cover"));
    QPainter painter;
    if (!painter.begin(&printer))
        throw jf::PrinterError(QStringLiteral("Printer selected is not valid"));
    try {
        paintPage(painter, layout);
    } catch (...) {
        painter.end(); // the page and the document are always ended
        throw;
    }
    painter.end();
    job.confirm();
}

} // namespace jf
