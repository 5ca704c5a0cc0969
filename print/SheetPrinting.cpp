#include "SheetPrinting.h"

#include "CurrentPrinter.h"
#include "Errors.h"
#include "PageOutput.h"
#include "PageUnits.h"
#include "SafeFileIO.h"

#include <QFileInfo>
#include <QPrinter>
#include <QScopeGuard>
#include <QSet>

#include <sys/stat.h>
#include <unistd.h>

namespace jf {

namespace {

// Asked of the name's own bytes: a name that is not valid UTF-8 comes from
// Sheet.txt as bytes (TextCodec.h), which Qt's file names cannot hold.
bool readable(const QString& path)
{
    return ::access(nativePath(path).constData(), R_OK) == 0;
}

} // namespace

std::optional<SheetPictures::Stamp> SheetPictures::stampOf(const QString& path)
{
    struct stat st;
    if (::stat(nativePath(path).constData(), &st) != 0 || !readable(path))
        return std::nullopt;
    return Stamp{qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                 quint64(st.st_dev), quint64(st.st_ino)};
}

const SheetPictures::Kept* SheetPictures::keptFor(const QString& path,
                                                  const std::optional<Stamp>& stamp)
{
    const auto kept = m_loaded.constFind(path);
    if (kept == m_loaded.constEnd())
        return nullptr;
    if (stamp && kept->stamp == *stamp)
        return &*kept;
    m_loaded.erase(kept);
    return nullptr;
}

Picture SheetPictures::pictureFor(const QString& path)
{
    const std::optional<Stamp> stamp = stampOf(path);
    const Kept* kept = keptFor(path, stamp);
    if (kept && !kept->picture.isNull())
        return kept->picture;
    if (!stamp)
        return Picture();
    try {
        const Picture picture = loadPicture(path);
        m_loaded.insert(path, {*stamp, picture, picture.size()});
        return picture;
    } catch (const Error&) {
        return Picture();
    }
}

std::optional<QSize> SheetPictures::sizeFor(const QString& path)
{
    const std::optional<Stamp> stamp = stampOf(path);
    if (const Kept* kept = keptFor(path, stamp))
        return kept->size;
    if (!stamp)
        return std::nullopt;
    try {
        const QSize size = loadPicture(path).size();
        m_loaded.insert(path, {*stamp, Picture(), size});
        return size;
    } catch (const Error&) {
        return std::nullopt;
    }
}

void SheetPictures::keep(const QString& path, const Picture& picture)
{
    if (const std::optional<Stamp> stamp = stampOf(path))
        m_loaded.insert(path, {*stamp, picture, picture.size()});
}

void SheetPictures::tidy(const QList<SheetEntry>& entries)
{
    QStringList paths;
    for (const SheetEntry& entry : entries)
        paths << entry.picturePath;
    tidy(paths);
}

void SheetPictures::tidy(const QStringList& paths)
{
    const QSet<QString> named(paths.cbegin(), paths.cend());
    for (auto it = m_loaded.begin(); it != m_loaded.end();) {
        if (!named.contains(it.key())) {
            it = m_loaded.erase(it);
        } else {
            it->picture.releaseCaches();
            ++it;
        }
    }
}

QString sheetEntryName(const SheetEntry& entry, const QStringList& coverNames)
{
    return coverNames.value(entry.kind - 1);
}

namespace {

// The sheet arranged on the current printer's paper, its pictures not read.
struct Arranged
{
    Paper paper;
    std::optional<PrinterCorrection> correction;
    QStringList names;
    SheetPlan plan;
    QList<Placement> placements;
    QList<std::optional<DiscSize>> discs;
};

Arranged arrange(const QList<SheetEntry>& entries, const SheetStyle& style,
                 const CalibrationTable* calibration)
{
    Arranged sheet{
        paperOf(currentPrinter().printer()), currentCorrection(calibration), {}, {}, {}, {}};
    QList<SheetCover> covers;
    for (const SheetEntry& entry : entries) {
        sheet.names << sheetEntryName(entry, style.coverNames);
        sheet.placements << entry.placement;
        const bool disc = isDiscKind(entry.kind);
        sheet.discs << (disc ? std::optional(
                                   DiscSize{QSizeF(entry.width, entry.height), style.discHoleMm})
                             : std::nullopt);
        covers.append({sheet.names.last(),
                       QSize(mmToCoverPixels(entry.width), mmToCoverPixels(entry.height)), disc});
    }
    sheet.plan =
        arrangeSheet(covers, style.borderWidth, sheet.paper, sheet.correction, style.bleedMm);
    return sheet;
}

} // namespace

SheetLayoutResult layOutSheet(const QList<SheetEntry>& entries, const SheetStyle& style,
                              SheetPictures& pictures, const CalibrationTable* calibration)
{
    SheetLayoutResult result;
    QList<Picture> loaded;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        loaded << pictures.pictureFor(entries[i].picturePath);
        if (loaded.last().isNull())
            result.missing << int(i);
    }
    const Arranged sheet = arrange(entries, style, calibration);
    result.plan = sheet.plan;
    result.pages = sheetPages(sheet.plan, sheet.paper, sheet.names, loaded, style.borderColour,
                              style.cutMarks, sheet.correction, sheet.placements, sheet.discs);
    return result;
}

SheetView viewSheet(const QList<SheetEntry>& entries, const SheetStyle& style,
                    const CalibrationTable* calibration)
{
    SheetView view;
    try {
        const Arranged sheet = arrange(entries, style, calibration);
        view.pages = sheetPages(sheet.plan, sheet.paper, sheet.names, {}, style.borderColour,
                                style.cutMarks, sheet.correction, sheet.placements, sheet.discs);
        for (const QList<PlacedFrame>& page : sheet.plan.pages) {
            view.pageEntries.append(QList<int>());
            for (const PlacedFrame& placed : page)
                view.pageEntries.last() << placed.cover;
        }
    } catch (const Error& e) {
        view.layoutNote = e.message();
    }
    for (const SheetEntry& entry : entries) {
        SheetRow row;
        row.name = sheetEntryName(entry, style.coverNames);
        row.size =
            QStringLiteral("%1 \u00d7 %2 mm")
                .arg(QString::number(entry.width, 'g', 12), QString::number(entry.height, 'g', 12));
        row.pictureName = QFileInfo(entry.picturePath).fileName();
        row.placement = placementText(entry.placement);
        row.missing = !readable(entry.picturePath);
        view.rows << row;
        view.picturePaths << entry.picturePath;
    }
    return view;
}

void SheetView::takeUp(const CoverPicture& found)
{
    if (found.entry < 0 || found.entry >= rows.size())
        return;
    SheetRow& row = rows[found.entry];
    row.missing = found.missing;
    row.pixelsPerInch = found.missing ? -1 : found.pixelsPerInch;
    row.resolution = found.missing ? QString() : resolutionText(found.pixelsPerInch);
}

QString SheetView::note() const
{
    QStringList notes;
    if (!layoutNote.isEmpty())
        notes << layoutNote;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows[i].missing)
            notes << QStringLiteral("The picture of \"%1\" is missing: %2")
                         .arg(rows[i].name, picturePaths.value(i));
        else if (rows[i].pixelsPerInch >= 0)
            notes << blurWarning(rows[i].name, rows[i].pixelsPerInch);
    }
    notes.removeAll(QString());
    return notes.join(QLatin1Char('\n'));
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
    if (sheet.plan.paperTurned)
        currentPrinter().turnPaperForJob(sheet.plan.orientation);
    printPages(sheet.pages, QStringLiteral("Sheet"));
}

} // namespace jf
