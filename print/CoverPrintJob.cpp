#include "CoverPrintJob.h"

#include "CoverPreview.h"
#include "CurrentPrinter.h"
#include "Errors.h"
#include "NumberConvert.h"
#include "PrintGeometry.h"
#include "PrintWindow.h"

#include <QPrinter>
#include <QScopeGuard>

namespace jf {

PageLayout prepareCoverPage(const QString& heightText, const QString& widthText,
                            const Picture& picture, std::uint8_t borderWidth,
                            const QString& borderColour, PrintWindow& window,
                            const CalibrationTable* calibration)
{
    const double height = strToFloat(heightText);
    const double width = strToFloat(widthText);
    const std::int32_t pictureHeight = mmToPixels(height);
    const std::int32_t pictureWidth = mmToPixels(width);

    QPrinter& printer = currentPrinter().printer();
    std::optional<PrinterCorrection> correction;
    if (calibration && !printer.printerName().isEmpty())
        correction = calibration->find(printer.printerName());
    const PageLayout layout =
        layoutCover(pictureWidth, pictureHeight, borderWidth, paperOf(printer), correction);
    if (layout.turned) {
        if (currentPrinter().jobRunning())
            throw PrinterError(QStringLiteral("Printing in progress"));
        currentPrinter().setPaperOrientation(layout.orientation);
    }

    window.setOuterHeight(layout.window.height());
    window.setOuterWidth(layout.window.width());
    window.setPicture(picture);
    window.setBorderColour(borderColour);
    window.placeBorder(borderWidth);
    return layout;
}

void printCover(QWidget* dialogParent, const QString& heightText, const QString& widthText,
                const Picture& picture, std::uint8_t borderWidth, const QString& borderColour,
                PrintWindow& window, const CalibrationTable* calibration)
{
    if (!currentPrinter().runSetupDialog(dialogParent))
        return;

    // The page is laid out before the window is shown: a cover that fits no
    // way round leaves everything as it was.
    const PageLayout layout = prepareCoverPage(heightText, widthText, picture, borderWidth,
                                               borderColour, window, calibration);
    window.show();
    window.raise();
    {
        // Printing decodes the picture at full resolution; the preview only
        // needs a small copy, so the large one is let go afterwards.
        const auto release = qScopeGuard([&picture] { picture.releaseCaches(); });
        window.printPage(layout);
    }
    window.hide();
}

void previewCover(QWidget* parent, const QString& heightText, const QString& widthText,
                  const Picture& picture, std::uint8_t borderWidth, const QString& borderColour,
                  PrintWindow& window, const CalibrationTable* calibration)
{
    const auto release = qScopeGuard([&picture] { picture.releaseCaches(); });
    const PageLayout layout = prepareCoverPage(heightText, widthText, picture, borderWidth,
                                               borderColour, window, calibration);
    CoverPreviewDialog dialog(currentPrinter().printer(), window, layout, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    window.show();
    window.raise();
    window.printPage(layout);
    window.hide();
}

void setUpPrinter(QWidget* parent)
{
    currentPrinter().runSetupDialog(parent);
}

} // namespace jf
