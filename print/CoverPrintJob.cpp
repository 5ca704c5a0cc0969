#include "CoverPrintJob.h"

#include "PrintGeometry.h"
#include "PrintWindow.h"
#include "Printing.h"

#include <QPrinter>
#include <QScopeGuard>

namespace jf {

namespace {

// Window sizes wrap like the 32-bit integers they are; only pasted sizes far
// beyond any paper get there.
int plus(std::int32_t pixels, int margin)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(pixels) +
                                     static_cast<std::uint32_t>(margin));
}

} // namespace

void printCover(QWidget* dialogParent, const QString& heightText, const QString& widthText,
                const Picture& picture, std::uint8_t borderWidth, const QString& borderColour,
                PrintWindow& window, const CalibrationTable* calibration)
{
    if (!currentPrinter().runSetupDialog(dialogParent))
        return;

    const double height = strToFloat(heightText);
    const double width = strToFloat(widthText);
    const std::int32_t pictureHeight = mmToPixels(height);
    const std::int32_t pictureWidth = mmToPixels(width);

    window.show();
    window.raise();
    window.setOuterHeight(plus(pictureHeight, kHeightMargin));
    window.setOuterWidth(plus(pictureWidth, kWidthMargin));
    window.setPicture(picture);
    window.setBorderColour(borderColour);
    window.placeBorder(borderWidth);

    {
        // Printing decodes the picture at full resolution; the preview only
        // needs a small copy, so the large one is let go afterwards.
        const auto release = qScopeGuard([&picture] { picture.releaseCaches(); });
        std::optional<PrinterCorrection> correction;
        if (calibration)
            correction = calibration->find(currentPrinter().printer().printerName());
        window.printPage(correction ? &*correction : nullptr);
    }
    window.hide();
}

void setUpPrinter(QWidget* parent)
{
    currentPrinter().runSetupDialog(parent);
}

} // namespace jf
