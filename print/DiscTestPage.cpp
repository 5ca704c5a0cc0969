#include "DiscTestPage.h"

#include "DiscTrayPage.h"
#include "PageUnits.h"

#include <QPainter>

namespace jf {

namespace {

constexpr int kResolution = 1200; // dots per inch
constexpr double kLineMm = 0.2;

} // namespace

QByteArray discTestPagePdf(const DiscJob& job)
{
    return paintedDiscPagePdf(job.pagePoints, kResolution, [&job](QPainter& painter) {
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
    });
}

void printDiscTestPage(const QString& printerName, const DiscJob& job)
{
    sendToDiscTray(printerName, QStringLiteral("Disc test"), job, discTestPagePdf(job));
}

} // namespace jf
