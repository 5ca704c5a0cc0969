#pragma once

// Printing straight onto a printable disc through a printer's disc tray:
// what a printer's driver offers for it, and the job options, page and ring
// position a disc print asks for. The print service is asked by
// DiscTrayLookup (platform); everything here is plain values.

#include "DiscFiles.h"

#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <utility>

namespace jf {

// A length option of a printer's driver (Gutenprint's StpCDXAdjustment and
// the like): the values it takes, in the driver's own unit.
struct DriverLength
{
    bool offered = false;
    double minimum = 0;
    double maximum = 0;
    // The unit in PDF points: 1 for points, 72 / 25.4 for millimetres.
    double unitPoints = 1;
    // It takes any value in its range; otherwise only one of `choices`.
    bool anyValue = false;
    QList<double> choices;

    bool operator==(const DriverLength&) const = default;
};

// What a printer offers for printing on discs.
struct DiscTray
{
    // Empty when the printer has a disc tray; otherwise why not, one line
    // for the window ("This printer's driver has no disc tray.").
    QString missing;
    // The job option that chooses the tray: "InputSlot" "CD" (a driver's
    // PPD), or "media-source" "disc" (a driverless printer).
    QString sourceOption;
    QString source;
    // The option that chooses the page ("PageSize" or "media") and the disc
    // page: the driver's 5-inch disc page (CD5Inch, 329 x 329 pt), or a
    // driverless printer's largest disc medium.
    QString sizeOption;
    QString discPage;
    QSizeF discPagePoints;
    // Gutenprint's CDCustom page with the disc's diameter as
    // StpCDOuterDiameter, when the driver has both.
    QString customPage;
    QSizeF customPagePoints;
    DriverLength outerDiameter;
    // StpCDInnerRadius with its choices None (print outside the hub) and
    // Small (print to the hole).
    bool hubChoice = false;
    // StpCDXAdjustment and StpCDYAdjustment: moving the print on the disc.
    DriverLength xAdjustment;
    DriverLength yAdjustment;

    bool has() const { return missing.isEmpty(); }
};

// Why a printer has no disc tray, as DiscTray::missing says it.
QString noDiscTrayReason();        // "This printer's driver has no disc tray."
QString noDiscPageReason();        // a tray, but no disc page size
QString noDiscTrayForFileReason(); // "Print to File (PDF)"

// The tray a driverless printer offers: `disc` among its media sources
// (IPP media-source-supported) and its disc media (media-supported names
// such as disc_standard_40x118mm, the hub's and the disc's diameters).
DiscTray discTrayFromMediaSources(const QStringList& mediaSources, const QStringList& media);

// One disc print: the disc's diameter (the cover's width), its hole and the
// printer's settings (DiscFiles.h).
struct DiscRequest
{
    double diameterMm = 117;
    int holeMm = defaultDiscHoleMm;
    DiscPrinterSettings printer;
};

// How a disc print goes to the printer: the job options, each one name and
// one value (the whole set: the paper's own options do not go with them),
// the page the PDF must have, and how far the ring moves from the page's
// centre (millimetres, right and down positive) for the part of the
// position correction the driver does not take.
struct DiscJob
{
    QList<std::pair<QString, QString>> options;
    QSizeF pagePoints;
    QPointF ringOffsetMm;
};

// The job for `request` on `tray`: the tray, its page (CDCustom with the
// disc's diameter where the driver has it, else the disc page), the hub
// (StpCDInnerRadius Small under a 20 mm hole, else None) and the position
// correction as the driver's adjustments, in its unit; a driver without
// them gets the correction as the ring's offset on the page. Throws
// PrinterError with the tray's reason when it has none, and Error, with the
// range in millimetres, for a diameter or a correction outside what the
// driver declares.
DiscJob discJob(const DiscTray& tray, const DiscRequest& request);

} // namespace jf
