#include "SheetPrinting.h"

#include "CurrentPrinter.h"
#include "Errors.h"
#include "PageOutput.h"
#include "PrintGeometry.h"

#include <QFileInfo>
#include <QPrinter>
#include <QScopeGuard>

namespace jf {

Picture SheetPictures::pictureFor(const QString& path)
{
    if (!QFileInfo(path).isReadable()) {
        m_loaded.remove(path);
        return Picture();
    }
    if (const auto kept = m_loaded.constFind(path); kept != m_loaded.constEnd())
        return *kept;
    try {
        const Picture picture = loadPicture(path);
        m_loaded.insert(path, picture);
        return picture;
    } catch (const Error&) {
        return Picture();
    }
}

void SheetPictures::tidy(const QList<SheetEntry>& entries)
{
    QSet<QString> named;
    for (const SheetEntry& entry : entries)
        named.insert(entry.picturePath);
    for (auto it = m_loaded.begin(); it != m_loaded.end();) {
        if (!named.contains(it.key())) {
            it = m_loaded.erase(it);
        } else {
            it->releaseCaches();
            ++it;
        }
    }
}

QString sheetEntryName(const SheetEntry& entry, const QStringList& coverNames)
{
    return coverNames.value(entry.kind - 1);
}

SheetLayoutResult layOutSheet(const QList<SheetEntry>& entries, const SheetStyle& style,
                              SheetPictures& pictures, const CalibrationTable* calibration)
{
    SheetLayoutResult result;
    QList<SheetCover> covers;
    QStringList names;
    QList<Picture> loaded;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const SheetEntry& entry = entries[i];
        const QString name = sheetEntryName(entry, style.coverNames);
        names << name;
        covers.append({name, QSize(mmToPixels(entry.width), mmToPixels(entry.height))});
        loaded << pictures.pictureFor(entry.picturePath);
        if (loaded.last().isNull())
            result.missing << int(i);
    }
    const Paper paper = paperOf(currentPrinter().printer());
    const std::optional<PrinterCorrection> correction = currentCorrection(calibration);
    result.plan = arrangeSheet(covers, style.borderWidth, paper, correction);
    result.pages = sheetPages(result.plan, paper, names, loaded, style.borderColour, style.cutMarks,
                              correction);
    return result;
}

void printSheet(QWidget* dialogParent, const QList<SheetEntry>& entries, const SheetStyle& style,
                SheetPictures& pictures, const CalibrationTable* calibration)
{
    if (entries.isEmpty())
        throw Error(QStringLiteral("There are no covers on the sheet. Add one with \"Add to "
                                   "Sheet\" first."));
    QStringList missing;
    for (const SheetEntry& entry : entries) {
        if (pictures.pictureFor(entry.picturePath).isNull())
            missing << QStringLiteral("\"%1\" (%2)")
                           .arg(sheetEntryName(entry, style.coverNames), entry.picturePath);
    }
    if (!missing.isEmpty())
        throw Error(QStringLiteral("The picture of %1 is missing or cannot be read. Nothing was "
                                   "printed: remove the cover or put the picture back")
                        .arg(missing.join(QStringLiteral(", "))));
    if (!currentPrinter().runSetupDialog(dialogParent))
        return;
    const auto release = qScopeGuard([&] { pictures.tidy(entries); });
    const SheetLayoutResult sheet = layOutSheet(entries, style, pictures, calibration);
    if (sheet.plan.turned) {
        if (currentPrinter().jobRunning())
            throw PrinterError(QStringLiteral("Printing in progress"));
        currentPrinter().setPaperOrientation(sheet.plan.orientation);
    }
    printPages(sheet.pages, QStringLiteral("Sheet"));
}

} // namespace jf
