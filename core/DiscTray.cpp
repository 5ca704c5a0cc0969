#include "DiscTray.h"

#include "Errors.h"
#include "NumberConvert.h"
#include "PageUnits.h"

#include <QRegularExpression>
#include <cmath>
#include <optional>

namespace jf {

namespace {

// A hole smaller than this is printed up to (the driver's "Print To Hub").
constexpr int smallHoleMm = 20;
constexpr double slack = 1e-6;

// A number as the print service takes it: a dot, at most three decimals.
QString decimal(double value)
{
    return floatToShortStr(value, 3);
}

QString millimetres(double mm)
{
    return QString::number(mm, 'f', 1);
}

double toMm(const DriverLength& length, double value)
{
    return pointsToMm(value * length.unitPoints);
}

// The whole tenths of a millimetre a length takes: "-10.5 to 10.5 mm".
QString rangeMm(const DriverLength& length)
{
    const double lowest = std::ceil(toMm(length, length.minimum) * 10 - slack) / 10;
    const double highest = std::floor(toMm(length, length.maximum) * 10 + slack) / 10;
    return QStringLiteral("%1 to %2 mm").arg(millimetres(lowest), millimetres(highest));
}

// What a driver's length is sent as, and the millimetres that value means.
struct SentLength
{
    QString text;
    double mm = 0;
};

// `mm` as the driver takes it: a choice's name where one is exactly it, a
// custom value ("Custom.2.835") where the driver takes any, else the
// nearest choice. Nothing outside the driver's range.
std::optional<SentLength> sentLength(const DriverLength& length, double mm)
{
    const double value = mmToPoints(mm) / length.unitPoints;
    if (value < length.minimum - slack || value > length.maximum + slack)
        return std::nullopt;
    const double whole = std::round(value);
    if (std::abs(value - whole) < slack && length.choices.contains(whole))
        return SentLength{decimal(whole), mm};
    if (length.anyValue)
        return SentLength{QStringLiteral("Custom.") + decimal(value), mm};
    if (length.choices.isEmpty())
        return std::nullopt;
    double nearest = length.choices.first();
    for (double choice : length.choices) {
        if (std::abs(choice - value) < std::abs(nearest - value))
            nearest = choice;
    }
    return SentLength{decimal(nearest), toMm(length, nearest)};
}

} // namespace

QString noDiscTrayReason()
{
    return QStringLiteral("This printer's driver has no disc tray.");
}

QString noDiscPageReason()
{
    return QStringLiteral("This printer's driver has a disc tray but no disc page size.");
}

QString noDiscTrayForFileReason()
{
    return QStringLiteral("\"Print to File (PDF)\" has no disc tray.");
}

DiscTray discTrayFromMediaSources(const QStringList& mediaSources, const QStringList& media)
{
    DiscTray tray;
    if (!mediaSources.contains(QLatin1String("disc"))) {
        tray.missing = noDiscTrayReason();
        return tray;
    }
    // A PWG medium's name ends in its size: disc_standard_40x118mm is a
    // 118 mm disc with a 40 mm hub.
    static const QRegularExpression size(QStringLiteral("_([0-9.]+)x([0-9.]+)(mm|in)$"));
    double largest = 0;
    for (const QString& name : media) {
        const QRegularExpressionMatch match = size.match(name);
        if (!name.startsWith(QLatin1String("disc_")) || !match.hasMatch())
            continue;
        const double unit = match.captured(3) == QLatin1String("in") ? kMmPerInch : 1;
        const double diameter =
            std::max(match.captured(1).toDouble(), match.captured(2).toDouble()) * unit;
        if (diameter > largest) {
            largest = diameter;
            tray.discPage = name;
        }
    }
    if (tray.discPage.isEmpty()) {
        tray.missing = noDiscPageReason();
        return tray;
    }
    tray.sourceOption = QStringLiteral("media-source");
    tray.source = QStringLiteral("disc");
    tray.sizeOption = QStringLiteral("media");
    tray.discPagePoints = QSizeF(mmToPoints(largest), mmToPoints(largest));
    return tray;
}

DiscJob discJob(const DiscTray& tray, const DiscRequest& request)
{
    if (!tray.has())
        throw PrinterError(tray.missing);
    DiscJob job;
    const auto option = [&job](const QString& name, const QString& value) {
        job.options.append({name, value});
    };
    option(tray.sourceOption, tray.source);
    if (!tray.customPage.isEmpty() && tray.outerDiameter.offered) {
        const std::optional<SentLength> diameter =
            sentLength(tray.outerDiameter, request.diameterMm);
        if (!diameter)
            throw Error(QStringLiteral("The disc's diameter, %1 mm, is outside what this "
                                       "printer's disc tray prints (%2)")
                            .arg(QString::number(request.diameterMm), rangeMm(tray.outerDiameter)));
        option(tray.sizeOption, tray.customPage);
        option(QStringLiteral("StpCDOuterDiameter"), diameter->text);
        job.pagePoints = tray.customPagePoints;
    } else {
        option(tray.sizeOption, tray.discPage);
        job.pagePoints = tray.discPagePoints;
    }
    if (tray.hubChoice)
        option(QStringLiteral("StpCDInnerRadius"),
               request.holeMm < smallHoleMm ? QStringLiteral("Small") : QStringLiteral("None"));
    // The correction the driver takes goes as its adjustment; the rest moves
    // the ring on the page.
    const auto adjust = [&](const DriverLength& length, const QString& name, int tenths,
                            const QString& direction) {
        const double mm = tenths / 10.0;
        if (!length.offered)
            return mm;
        const std::optional<SentLength> sent = sentLength(length, mm);
        if (!sent)
            throw Error(QStringLiteral("The disc's %1 position correction, %2 mm, is outside "
                                       "what this printer's driver takes (%3)")
                            .arg(direction, millimetres(mm), rangeMm(length)));
        option(name, sent->text);
        return mm - sent->mm;
    };
    job.ringOffsetMm.setX(adjust(tray.xAdjustment, QStringLiteral("StpCDXAdjustment"),
                                 request.printer.offsetX, QStringLiteral("horizontal")));
    job.ringOffsetMm.setY(adjust(tray.yAdjustment, QStringLiteral("StpCDYAdjustment"),
                                 request.printer.offsetY, QStringLiteral("vertical")));
    // The page is the disc page: nothing to fit or scale.
    option(QStringLiteral("print-scaling"), QStringLiteral("none"));
    return job;
}

} // namespace jf
