#include "CalibrationPage.h"

#include "Calibration.h"
#include "CurrentPrinter.h"
#include "Errors.h"
#include "PageOutput.h"
#include "PageUnits.h"

#include <QPageLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QScopeGuard>

namespace jf {

namespace {

void drawArrow(QPainter& painter, QPointF from, QPointF to)
{
    constexpr qreal head = 2.5;
    painter.drawLine(from, to);
    for (const auto& [tip, back] : {std::pair{from, to}, std::pair{to, from}}) {
        const QLineF shaft(tip, back);
        QLineF side = shaft;
        side.setLength(head);
        side.setAngle(shaft.angle() + 25);
        painter.drawLine(side);
        side.setAngle(shaft.angle() - 25);
        painter.drawLine(side);
    }
}

void drawText(QPainter& painter, QPointF at, qreal sizeMm, const QString& text)
{
    // Text as outlines, so it measures the same on every printer.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(100);
    QPainterPath path;
    path.addText(QPointF(0, 0), font, text);
    painter.save();
    painter.translate(at);
    painter.scale(sizeMm / 100, sizeMm / 100);
    painter.fillPath(path, Qt::black);
    painter.restore();
}

void drawCalibrationPage(QPainter& painter, const QPrinter& printer, const QString& printerName,
                         const QDate& date)
{
    // Millimetres from the corner a cover starts at.
    painter.scale(dotsPerMm(printer.logicalDpiX()), dotsPerMm(printer.logicalDpiY()));
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRectF box(calibrationInsetMm, calibrationInsetMm, calibrationWidthMm,
                     calibrationHeightMm);
    painter.fillRect(box, Qt::white);
    // The outline lies inside the rectangle, so its outer edges measure
    // exactly 150 x 100 mm.
    constexpr qreal line = 0.25;
    painter.fillRect(QRectF(box.left(), box.top(), box.width(), line), Qt::black);
    painter.fillRect(QRectF(box.left(), box.bottom() - line, box.width(), line), Qt::black);
    painter.fillRect(QRectF(box.left(), box.top(), line, box.height()), Qt::black);
    painter.fillRect(QRectF(box.right() - line, box.top(), line, box.height()), Qt::black);

    QPen pen(Qt::black, 0.15);
    painter.setPen(pen);
    for (int mm = 1; mm < int(calibrationWidthMm); ++mm) {
        const qreal length = mm % 10 == 0 ? 5 : mm % 5 == 0 ? 3.5 : 2;
        const qreal x = box.left() + mm;
        painter.drawLine(QPointF(x, box.top()), QPointF(x, box.top() + length));
        if (mm % 10 == 0)
            drawText(painter, QPointF(x - 2, box.top() + 9), 3, QString::number(mm / 10));
    }
    for (int mm = 1; mm < int(calibrationHeightMm); ++mm) {
        const qreal length = mm % 10 == 0 ? 5 : mm % 5 == 0 ? 3.5 : 2;
        const qreal y = box.top() + mm;
        painter.drawLine(QPointF(box.left(), y), QPointF(box.left() + length, y));
        if (mm % 10 == 0)
            drawText(painter, QPointF(box.left() + 6, y + 1), 3, QString::number(mm / 10));
    }

    drawArrow(painter, QPointF(box.left() + 15, box.top() + 35),
              QPointF(box.right() - 1, box.top() + 35));
    drawText(painter, QPointF(box.left() + 40, box.top() + 32), 4,
             QStringLiteral("Measure this width (150 mm) from edge to edge"));
    drawArrow(painter, QPointF(box.right() - 12, box.top() + 12),
              QPointF(box.right() - 12, box.bottom() - 1));
    drawText(painter, QPointF(box.left() + 40, box.top() + 55), 4,
             QStringLiteral("Measure this height (100 mm) from edge to edge"));
    drawText(painter, QPointF(box.left() + 15, box.top() + 75), 3.5,
             QStringLiteral("Also measure the rectangle's distance from the sheet's left and "
                            "top edges."));
    drawText(painter, QPointF(box.left() + 15, box.top() + 85), 3.5,
             QStringLiteral("Printer: %1")
                 .arg(printerName.isEmpty() ? QStringLiteral("(file)") : printerName));
    drawText(painter, QPointF(box.left() + 15, box.top() + 91), 3.5,
             QStringLiteral("Printed: %1").arg(date.toString(Qt::ISODate)));
}

} // namespace

PaperOrientation printCalibrationPage(const QDate& date)
{
    CurrentPrinter& selection = currentPrinter();
    const CurrentPrinter::JobMark mark(selection);
    QPrinter& printer = selection.printer();

    // Measured on portrait paper; turned only when it fits no other way.
    Paper paper = paperOf(printer);
    paper.orientation = PaperOrientation::Portrait;
    const QSizeF needed(calibrationInsetMm + calibrationWidthMm,
                        calibrationInsetMm + calibrationHeightMm);
    const PaperOrientation orientation =
        fitOnPaper(paper, needed, needed, QStringLiteral("The calibration page"));
    // The cover's own orientation comes back after the page.
    const QPageLayout coverLayout = printer.pageLayout();
    const auto restore = qScopeGuard([&] { selection.restorePageLayout(coverLayout); });
    selection.setPaperOrientation(orientation);
    printer.setDocName(QStringLiteral("Calibration page"));
    const QString printerName = printer.printerName();

    printPainted(printer, [&](QPrinter& device, QPainter& painter) {
        drawCalibrationPage(painter, device, printerName, date);
    });
    return orientation;
}

} // namespace jf
