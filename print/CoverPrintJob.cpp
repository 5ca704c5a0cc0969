#include "CoverPrintJob.h"

#include "PrintGeometry.h"
#include "Printing.h"
#include "TForm_Print.h"

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

void runCoverPrintJob(QWidget* dialogParent, const QString& heightText, const QString& widthText,
                      const Picture& picture, std::uint8_t borderWidth, const QString& borderColour,
                      TForm_Print& form)
{
    if (!currentPrinter().runSetupDialog(dialogParent))
        return;

    const double height = strToFloat(heightText);
    const double width = strToFloat(widthText);
    const std::int32_t pictureHeight = mmToPixels(height);
    const std::int32_t pictureWidth = mmToPixels(width);

    form.show();
    form.raise();
    form.setOuterHeight(plus(pictureHeight, kHeightMargin));
    form.setOuterWidth(plus(pictureWidth, kWidthMargin));
    form.Image_Print->setPicture(picture);

    if (borderColour == QLatin1String("Black"))
        form.Image_Border->setPicture(form.Image_Black->picture());
    if (borderColour == QLatin1String("Red"))
        form.Image_Border->setPicture(form.Image_Red->picture());
    if (borderColour == QLatin1String("Blue"))
        form.Image_Border->setPicture(form.Image_Blue->picture());
    if (borderColour == QLatin1String("Green"))
        form.Image_Border->setPicture(form.Image_Green->picture());
    if (borderColour == QLatin1String("Yellow"))
        form.Image_Border->setPicture(form.Image_Yellow->picture());
    if (borderColour == QLatin1String("Gray"))
        form.Image_Border->setPicture(form.Image_Gray->picture());

    ImageControl& border = *form.Image_Border;
    const int b = borderWidth;
    border.setVisible(true);
    border.move(border.x(), kPictureOrigin - b);
    border.move(kPictureOrigin - b, border.y());
    border.resize(border.width(), form.Image_Print->height() + 2 * b);
    border.resize(form.Image_Print->width() + 2 * b, border.height());

    {
        // Printing decodes the picture at full resolution; the preview only
        // needs a small copy, so the large one is let go afterwards.
        struct Release
        {
            const Picture& picture;
            ~Release() { picture.releaseCaches(); }
        } release{picture};
        form.PrintForm();
    }
    form.hide();
}

void runPrinterSetup(QWidget* parent)
{
    currentPrinter().runSetupDialog(parent);
}

} // namespace jf
