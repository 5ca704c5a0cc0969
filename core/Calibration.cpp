#include "Calibration.h"

#include "Errors.h"

#include <QLocale>
#include <cmath>

namespace jf {

namespace {

constexpr double maxSizeError = 0.10; // of the nominal size
constexpr double maxOffsetMm = 20.0;

// A typed millimetre value with "." or "," as decimal separator; nothing when
// it is not a plain number.
std::optional<double> typedMillimetres(const QString& text)
{
    QString plain = text.trimmed();
    plain.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(plain, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double measuredSize(const QString& text, const QString& field, double nominal)
{
    const std::optional<double> value = typedMillimetres(text);
    if (!value)
        throw Error(QStringLiteral("%1: \"%2\" is not a number of millimetres").arg(field, text));
    if (std::abs(*value - nominal) > nominal * maxSizeError)
        throw Error(QStringLiteral("%1: %2 mm is more than 10% off %3 mm; please measure again")
                        .arg(field, QString::number(*value), QString::number(nominal)));
    return *value;
}

double offset(const QString& text, const QString& field, double expected, double scale)
{
    if (text.trimmed().isEmpty())
        return 0;
    const std::optional<double> value = typedMillimetres(text);
    if (!value)
        throw Error(QStringLiteral("%1: \"%2\" is not a number of millimetres").arg(field, text));
    // The rectangle's edge lands at margin + offset + scale * inset.
    const double off = *value - expected - scale * calibrationInsetMm;
    if (std::abs(off) > maxOffsetMm)
        throw Error(QStringLiteral("%1: %2 mm puts the page more than 20 mm from where it "
                                   "should be; please measure again")
                        .arg(field, QString::number(*value)));
    return off;
}

} // namespace

PrinterCorrection correctionFromMeasurements(const CalibrationMeasurements& typed,
                                             const QRectF& printable, bool measuredOnLandscape)
{
    PrinterCorrection c;
    c.measuredWidth =
        measuredSize(typed.width, QStringLiteral("Measured width"), calibrationWidthMm);
    c.measuredHeight =
        measuredSize(typed.height, QStringLiteral("Measured height"), calibrationHeightMm);
    c.offsetX = offset(typed.left, QStringLiteral("Distance from the left edge"), printable.left(),
                       c.measuredWidth / calibrationWidthMm);
    c.offsetY = offset(typed.top, QStringLiteral("Distance from the top edge"), printable.top(),
                       c.measuredHeight / calibrationHeightMm);
    if (!measuredOnLandscape)
        return c;
    // On landscape paper the rectangle's width runs up the sheet's long
    // edge and its height across the short edge (the page's top along the
    // sheet's left edge): the same factors and shifts in the sheet's axes.
    // Page x lies at length - x down the long edge, so the shift measured
    // along it holds the scaling about the sheet's top: (1 - factor) * length.
    const double widthScale = calibrationWidthMm / c.measuredWidth;    // long edge
    const double heightScale = calibrationHeightMm / c.measuredHeight; // short edge
    PrinterCorrection portrait;
    portrait.measuredWidth = calibrationWidthMm / heightScale;
    portrait.measuredHeight = calibrationHeightMm / widthScale;
    portrait.offsetX = c.offsetY;
    portrait.offsetY = -c.offsetX + (1 - c.measuredWidth / calibrationWidthMm) * printable.width();
    return portrait;
}

QStringList CalibrationLine::fields(const PrinterCorrection& c)
{
    QStringList fields;
    for (double value : {c.measuredWidth, c.measuredHeight, c.offsetX, c.offsetY})
        fields << QString::number(value, 'g', 12);
    return fields;
}

std::optional<PrinterCorrection> CalibrationLine::value(const QStringList& fields)
{
    if (fields.size() != 4)
        return std::nullopt;
    double values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = QLocale::c().toDouble(fields[i], &ok);
        if (!ok || !std::isfinite(values[i]))
            return std::nullopt;
    }
    PrinterCorrection c{values[0], values[1], values[2], values[3]};
    if (std::abs(c.measuredWidth - calibrationWidthMm) > calibrationWidthMm * maxSizeError ||
        std::abs(c.measuredHeight - calibrationHeightMm) > calibrationHeightMm * maxSizeError ||
        std::abs(c.offsetX) > maxOffsetMm || std::abs(c.offsetY) > maxOffsetMm)
        return std::nullopt;
    return c;
}

} // namespace jf
