#include "DiscTestPage.h"

#include "DiscTrayLookup.h"
#include "Errors.h"
#include "PageUnits.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace jf {

namespace {

constexpr int kResolution = 1200; // dots per inch
constexpr double kLineMm = 0.2;

} // namespace

QByteArray discTestPagePdf(const DiscJob& job)
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kResolution);
    writer.setPageLayout(
        QPageLayout(QPageSize(job.pagePoints.toSize(), QString(), QPageSize::ExactMatch),
                    QPageLayout::Portrait, QMarginsF()));
    QPainter painter(&writer);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(dotsPerMm(kResolution), dotsPerMm(kResolution)); // millimetres from here
    painter.setPen(QPen(Qt::black, kLineMm));
    const QPointF centre =
        QPointF(pointsToMm(job.pagePoints.width()), pointsToMm(job.pagePoints.height())) / 2 +
        job.ringOffsetMm;
    for (const double diameter : {20, 40, 60, 80, 100, 116})
        painter.drawEllipse(centre, diameter / 2, diameter / 2);
    constexpr double arm = 116 / 2.0;
    painter.drawLine(centre - QPointF(arm, 0), centre + QPointF(arm, 0));
    painter.drawLine(centre - QPointF(0, arm), centre + QPointF(0, arm));
    painter.end();
    return pdf;
}

void printDiscTestPage(const QString& printerName, const DiscJob& job)
{
    if (!sendPdfToQueue(discQueueJob(printerName, QStringLiteral("Disc test"), job),
                        discTestPagePdf(job)))
        throw PrinterError(QStringLiteral("Printer selected is not valid"));
}

} // namespace jf
