#include "SheetPrinting.h"

#include "CurrentPrinter.h"
#include "Errors.h"
#include "PageOutput.h"
#include "PrintGeometry.h"
#include "SafeFileIO.h"

#include <QFileInfo>
#include <QPrinter>
#include <QScopeGuard>

#include <unistd.h>

namespace jf {

Picture SheetPictures::pictureFor(const QString& path)
{
    // Asked of the name's own bytes: a name that is not valid UTF-8 comes
    // from Sheet.txt as bytes (TextCodec.h), which Qt's file names cannot
    // hold.
    if (::access(nativePath(path).constData(), R_OK) != 0) {
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

SheetView viewSheet(const QList<SheetEntry>& entries, const SheetStyle& style,
                    SheetPictures& pictures, const CalibrationTable* calibration)
{
    SheetView view;
    SheetLayoutResult sheet;
    QStringList notes;
    try {
        sheet = layOutSheet(entries, style, pictures, calibration);
    } catch (const Error& e) {
        notes << e.message();
    }
    // The pages hold the covers in the sheet's order.
    QList<int> resolutions;
    for (const PrintPage& page : sheet.pages)
        for (const PlacedCover& cover : page.covers)
            resolutions << page.pixelsPerInch(cover);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const SheetEntry& entry = entries[i];
        SheetRow row;
        row.name = sheetEntryName(entry, style.coverNames);
        row.size =
            QStringLiteral("%1 \u00d7 %2 mm")
                .arg(QString::number(entry.width, 'g', 12), QString::number(entry.height, 'g', 12));
        row.pictureName = QFileInfo(entry.picturePath).fileName();
        row.missing = sheet.pages.isEmpty() ? pictures.pictureFor(entry.picturePath).isNull()
                                            : sheet.missing.contains(int(i));
        if (row.missing) {
            notes << QStringLiteral("The picture of \"%1\" is missing: %2")
                         .arg(row.name, entry.picturePath);
        } else if (i < resolutions.size()) {
            row.resolution = resolutionText(resolutions[i]);
            const QString warning = blurWarning(row.name, resolutions[i]);
            if (!warning.isEmpty())
                notes << warning;
        }
        view.rows << row;
    }
    view.pages = sheet.pages;
    view.note = notes.join(QLatin1Char('\n'));
    return view;
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
    if (sheet.plan.turned)
        currentPrinter().turnPaperForJob(sheet.plan.orientation);
    printPages(sheet.pages, QStringLiteral("Sheet"));
}

} // namespace jf
