#include "CoverPrintJob.h"

#include "CoverPreview.h"
#include "CurrentPrinter.h"
#include "Errors.h"
#include "NumberConvert.h"
#include "PageOutput.h"
#include "PageUnits.h"
#include "Preferences.h"

#include <QPrinter>
#include <QScopeGuard>

namespace jf {

BorderColourMemory::BorderColourMemory() : m_colour(firstBorderColour) {}

QColor BorderColourMemory::peekColourFor(const QString& name) const
{
    return QColor::fromRgb(borderColourAfter(name, m_colour));
}

QColor BorderColourMemory::rememberColourFor(const QString& name)
{
    m_colour = borderColourAfter(name, m_colour);
    return current();
}

QSize coverPixels(const QString& heightText, const QString& widthText)
{
    const double height = strToFloat(heightText);
    const double width = strToFloat(widthText);
    if (height < 0 || width < 0)
        throw Error(QStringLiteral("'%1' is not a valid size: sizes cannot be negative")
                        .arg(height < 0 ? heightText : widthText));
    const std::int32_t pictureHeight = mmToCoverPixels(height);
    const std::int32_t pictureWidth = mmToCoverPixels(width);
    return QSize(pictureWidth, pictureHeight);
}

std::optional<PrinterCorrection> currentCorrection(const CalibrationTable* calibration)
{
    const QPrinter& printer = currentPrinter().printer();
    if (calibration && !printer.printerName().isEmpty())
        return calibration->find(printer.printerName());
    return std::nullopt;
}

PrintPage prepareCoverPage(const CoverRequest& request, BorderColourMemory& border,
                           const CalibrationTable* calibration)
{
    const QSize pixels = coverPixels(request.heightText, request.widthText);
    QPrinter& printer = currentPrinter().printer();
    const std::optional<PrinterCorrection> correction = currentCorrection(calibration);
    Paper paper = paperOf(printer);
    const PageLayout layout =
        layoutCover(pixels.width(), pixels.height(), request.borderWidth, paper, correction);
    if (layout.paperTurned)
        currentPrinter().turnPaperForJob(layout.orientation);
    std::optional<DiscSize> disc;
    if (request.discHoleMm)
        disc = DiscSize{QSizeF(strToFloat(request.widthText), strToFloat(request.heightText)),
                        *request.discHoleMm};
    return coverPage(layout, paper, request.name, request.picture,
                     border.rememberColourFor(request.borderColour), correction, request.placement,
                     disc, request.cutGuides);
}

void printCover(QWidget* dialogParent, const CoverRequest& request, BorderColourMemory& border,
                const CalibrationTable* calibration)
{
    if (!currentPrinter().runSetupDialog(dialogParent))
        return;
    printChosenCover(request, border, calibration);
}

void printChosenCover(const CoverRequest& request, BorderColourMemory& border,
                      const CalibrationTable* calibration)
{
    // Printing decodes the picture at full resolution; the preview only
    // needs a small copy, so the large one is let go afterwards.
    const auto release = qScopeGuard([&request] { request.picture.releaseCaches(); });
    // The page is laid out before anything is printed: a cover that fits no
    // way round leaves everything as it was.
    const PrintPage page = prepareCoverPage(request, border, calibration);
    printPages({page});
}

void previewCover(QWidget* parent, const CoverRequest& request, BorderColourMemory& border,
                  const CalibrationTable* calibration)
{
    const auto release = qScopeGuard([&request] { request.picture.releaseCaches(); });
    const PrintPage page = prepareCoverPage(request, border, calibration);
    CoverPreviewDialog dialog(currentPrinter().printer(), {page}, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    printPages({page});
}

void setUpPrinter(QWidget* parent)
{
    currentPrinter().runSetupDialog(parent);
}

} // namespace jf
