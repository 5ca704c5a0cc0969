#include "Calibration.h"

#include "DataFileFormats.h"
#include "Errors.h"
#include "SafeFileIO.h"
#include "TextCodec.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cerrno>
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

std::optional<PrinterCorrection> parseLine(const QString& line, QString& printer)
{
    const QStringList fields = line.split(QLatin1Char('\t'));
    if (fields.size() != 5 || fields[0].isEmpty())
        return std::nullopt;
    double values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = QLocale::c().toDouble(fields[i + 1], &ok);
        if (!ok || !std::isfinite(values[i]))
            return std::nullopt;
    }
    PrinterCorrection c{values[0], values[1], values[2], values[3]};
    if (std::abs(c.measuredWidth - calibrationWidthMm) > calibrationWidthMm * maxSizeError ||
        std::abs(c.measuredHeight - calibrationHeightMm) > calibrationHeightMm * maxSizeError ||
        std::abs(c.offsetX) > maxOffsetMm || std::abs(c.offsetY) > maxOffsetMm)
        return std::nullopt;
    printer = fields[0];
    return c;
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

std::optional<PrinterCorrection> CalibrationTable::find(const QString& printer) const
{
    for (const auto& [name, correction] : m_entries) {
        if (name == printer)
            return correction;
    }
    return std::nullopt;
}

void CalibrationTable::set(const QString& printer, const PrinterCorrection& correction)
{
    for (auto& entry : m_entries) {
        if (entry.first == printer) {
            entry.second = correction;
            return;
        }
    }
    m_entries.append({printer, correction});
}

void CalibrationTable::remove(const QString& printer)
{
    m_entries.removeIf([&](const auto& entry) { return entry.first == printer; });
}

QList<int> CalibrationTable::read(const QString& path)
{
    m_entries.clear();
    m_keptLines.clear();
    m_notReadWhole = false;
    QList<int> damaged;
    QByteArray content;
    try {
        content = readSettingsFileBytes(path, FileUse::State, FailureText::NamingTheFile);
    } catch (const InOutError& e) {
        if (e.osError() == ENOENT || e.osError() == ENOTDIR)
            return damaged; // no printer calibrated yet (or no Data folder at all)
        m_notReadWhole = true;
        throw;
    }
    // Every line is read, also after a Ctrl+Z byte. A line holding a control
    // character other than the tab is damaged; damaged lines are kept as
    // they are and written back after the table.
    const QList<QByteArray> lines = content.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray bytes = lines[i];
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        if (bytes.isEmpty())
            continue;
        const bool control = std::any_of(bytes.cbegin(), bytes.cend(), [](char c) {
            return (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == '\x7f';
        });
        QString printer;
        const std::optional<PrinterCorrection> c =
            control ? std::nullopt : parseLine(decodeLocal8Bit(bytes), printer);
        if (c) {
            set(printer, *c);
        } else {
            damaged << int(i + 1);
            m_keptLines << decodeLocal8Bit(bytes);
        }
    }
    return damaged;
}

void CalibrationTable::write(const QString& path) const
{
    // A file that could not be read whole would lose what was not read.
    if (m_notReadWhole)
        throw InOutError(EFBIG, keptUnreadMessage(path));
    if (isEmpty()) {
        // No calibrated printer left: no file either.
        if (const int err = removeFile(path))
            throw InOutError(
                err,
                QStringLiteral("Cannot delete file \"%1\". %2").arg(path, osErrorDescription(err)));
        return;
    }
    QStringList lines;
    for (const auto& [name, c] : m_entries) {
        QStringList fields{name};
        for (double value : {c.measuredWidth, c.measuredHeight, c.offsetX, c.offsetY})
            fields << QString::number(value, 'g', 12);
        lines << fields.join(QLatin1Char('\t'));
    }
    writeSettingsFile(path, lines + m_keptLines, FailureText::NamingTheFile);
}

} // namespace jf
