#include "DiscTrayPage.h"

#include "DirectPdf.h"
#include "DiscGeometry.h"
#include "DiscTrayLookup.h"
#include "Errors.h"
#include "NumberConvert.h"
#include "PageUnits.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QScopeGuard>

namespace jf {

namespace {

// Fine enough for the ring's edge; the picture itself keeps its own pixels.
constexpr int kDotsPerInch = 1200;

} // namespace

PrintPage discTrayPage(const CoverRequest& cover, const DiscJob& job)
{
    coverPixels(cover.heightText, cover.widthText); // the checks of "Print Cover"
    const QSizeF discMm(strToFloat(cover.widthText), strToFloat(cover.heightText));
    PrintPage page;
    page.sheetPoints = job.pagePoints;
    page.printableMm = QRectF(QPointF(0, 0), pointsToMm(job.pagePoints));
    page.dotsPerInchX = kDotsPerInch;
    page.dotsPerInchY = kDotsPerInch;
    const double perMm = dotsPerMm(kDotsPerInch);
    const QPointF centre = (page.printableMm.center() + job.ringOffsetMm) * perMm;
    const QSizeF size = discMm * perMm;
    const QRectF box(centre - QPointF(size.width(), size.height()) / 2, size);
    // The box is the cover's whole area: no border ring around it, and no
    // cut guides on a disc.
    CoverFrame frame;
    frame.area = frame.picture = frame.border = box;
    PlacedCover placed{cover.name, cover.picture, frame, QColor(Qt::white), cover.placement, box};
    shapeAsDisc(placed, DiscSize{discMm, cover.discHoleMm.value_or(defaultDiscHoleMm)});
    page.covers.append(placed);
    return page;
}

QByteArray paintedDiscPagePdf(QSizeF pagePoints, int dotsPerInch,
                              const std::function<void(QPainter&)>& paint)
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(dotsPerInch);
    writer.setPageLayout(
        QPageLayout(QPageSize(pagePoints, QPageSize::Point, QString(), QPageSize::ExactMatch),
                    QPageLayout::Portrait, QMarginsF()));
    QPainter painter;
    if (!painter.begin(&writer))
        throw PrinterError(QStringLiteral("Printer selected is not valid"));
    paint(painter);
    painter.end();
    return pdf;
}

void sendToDiscTray(const QString& printerName, const QString& title, const DiscJob& job,
                    const QByteArray& pdf)
{
    if (!sendPdfToQueue(discQueueJob(printerName, title, job), pdf))
        throw PrinterError(QStringLiteral("Printer selected is not valid"));
}

QByteArray discTrayPdf(const PrintPage& page)
{
    if (!page.covers.isEmpty() && passesThrough(page.covers.first()))
        return directPdf({page});
    return paintedDiscPagePdf(page.sheetPoints, page.dotsPerInchX,
                              [&page](QPainter& painter) { paintPage(painter, page); });
}

void printOnDiscTray(const QString& printerName, const CoverRequest& cover, const DiscJob& job)
{
    // Printing decodes the picture at full resolution; the preview only
    // needs a small copy, so the large one is let go afterwards.
    const auto release = qScopeGuard([&cover] { cover.picture.releaseCaches(); });
    sendToDiscTray(printerName, QStringLiteral("Cover"), job,
                   discTrayPdf(discTrayPage(cover, job)));
}

} // namespace jf
