#include "CoverPrintJob.h"

#include "PrintGeometry.h"
#include "Printing.h"
#include "PrintWindow.h"

#include <utility>

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
                      PrintWindow& form)
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

    // Every name is compared, exactly; a name that matches none keeps the
    // border colour of the previous job.
    const std::pair<const char*, const ImageControl*> colours[] = {
        {"Black", form.Image_Black}, {"Red", form.Image_Red},       {"Blue", form.Image_Blue},
        {"Green", form.Image_Green}, {"Yellow", form.Image_Yellow}, {"Gray", form.Image_Gray}};
    for (const auto& [name, image] : colours) {
        if (borderColour == QLatin1String(name))
            form.Image_Border->setPicture(image->picture());
    }

    const int b = borderWidth;
    form.Image_Border->setVisible(true);
    form.Image_Border->setGeometry(kPictureOrigin - b, kPictureOrigin - b,
                                   form.Image_Print->width() + 2 * b,
                                   form.Image_Print->height() + 2 * b);

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
