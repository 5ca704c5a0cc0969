#include "DiscFiles.h"

#include "DataFileFormats.h"
#include "Errors.h"

#include <cerrno>
#include <cstdlib>

namespace jf {

namespace {

// A whole number in decimal digits, optionally signed, blanks around it
// allowed.
std::optional<int> wholeNumber(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

bool offsetInRange(int tenths)
{
    return std::abs(tenths) <= largestDiscOffsetTenths;
}

} // namespace

int readDiscHole(const QString& path)
{
    try {
        const std::optional<int> mm = wholeNumber(
            SettingsFileReader(path, FileUse::State, FailureText::NamingTheFile).readLine());
        return mm && *mm >= 0 && *mm <= largestDiscHoleMm ? *mm : defaultDiscHoleMm;
    } catch (const InOutError& e) {
        if (e.osError() == ENOENT || e.osError() == ENOTDIR)
            return defaultDiscHoleMm; // never changed (or no Data folder at all)
        throw;
    }
}

void writeDiscHole(const QString& path, int millimetres)
{
    if (millimetres < 0 || millimetres > largestDiscHoleMm)
        throw Error(
            QStringLiteral("The hole's diameter must be from 0 to %1 mm").arg(largestDiscHoleMm));
    writeSettingsFile(path, {QString::number(millimetres)}, FailureText::NamingTheFile);
}

QStringList DiscCalibrationLine::fields(const DiscPrinterSettings& settings)
{
    return {QString::number(settings.offsetX), QString::number(settings.offsetY),
            settings.tray ? QStringLiteral("1") : QStringLiteral("0")};
}

std::optional<DiscPrinterSettings> DiscCalibrationLine::value(const QStringList& fields)
{
    if (fields.size() != 2 && fields.size() != 3)
        return std::nullopt;
    const std::optional<int> x = wholeNumber(fields[0]);
    const std::optional<int> y = wholeNumber(fields[1]);
    const QString tray = fields.value(2, QStringLiteral("0"));
    if (!x || !y || !offsetInRange(*x) || !offsetInRange(*y) ||
        (tray != QLatin1String("0") && tray != QLatin1String("1")))
        return std::nullopt;
    return DiscPrinterSettings{*x, *y, tray == QLatin1String("1")};
}

DiscPrinterSettings DiscCalibrationTable::find(const QString& printer) const
{
    return m_table.find(printer).value_or(DiscPrinterSettings());
}

void DiscCalibrationTable::set(const QString& printer, const DiscPrinterSettings& settings)
{
    if (!offsetInRange(settings.offsetX) || !offsetInRange(settings.offsetY))
        throw Error(QStringLiteral("The disc's position correction must be from -%1 to %1 mm")
                        .arg(largestDiscOffsetTenths / 10));
    if (settings == DiscPrinterSettings())
        m_table.remove(printer);
    else
        m_table.set(printer, settings);
}

} // namespace jf
