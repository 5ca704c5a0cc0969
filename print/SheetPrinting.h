#pragma once

#include "Calibration.h"
#include "CoverPrintJob.h"
#include "Picture.h"
#include "PrintPage.h"
#include "SheetList.h"

#include <QHash>
#include <QSize>
#include <QStringList>
#include <optional>

class QWidget;

namespace jf {

// The pictures of the sheet's covers, loaded from their files when first
// needed and kept while their files stay as they were read (the same size,
// modification time and file): a file changed since is read again. A picture
// whose file is gone or cannot be read is missing: a null picture, asked for
// again next time. One thread uses an instance.
class SheetPictures
{
public:
    Picture pictureFor(const QString& path);
    // The size of that picture, without keeping it when it had to be read;
    // nothing when it is missing.
    std::optional<QSize> sizeFor(const QString& path);
    // Keeps a picture already loaded from `path` (the preview's).
    void keep(const QString& path, const Picture& picture);
    // Forgets the pictures no entry names, and lets every kept one release
    // its decoded pixels.
    void tidy(const QList<SheetEntry>& entries);
    void tidy(const QStringList& paths);

private:
    // What tells one state of a file from another.
    struct Stamp
    {
        qint64 size = -1;
        qint64 modifiedNs = 0;
        quint64 device = 0;
        quint64 inode = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Kept
    {
        Stamp stamp;
        Picture picture; // null when only its size was kept
        QSize size;
    };
    static std::optional<Stamp> stampOf(const QString& path);
    // The kept entry of `path` while its file is unchanged, else nothing
    // (and it is forgotten).
    const Kept* keptFor(const QString& path, const std::optional<Stamp>& stamp);

    QHash<QString, Kept> m_loaded;
};

// What the sheet prints with: the cover names by kind, the border in force,
// the cut marks choice, the bleed and the disc labels' hole.
struct SheetStyle
{
    QStringList coverNames;
    std::uint8_t borderWidth = 0;
    QColor borderColour;
    bool cutMarks = true;
    int bleedMm = 0;
    int discHoleMm = defaultDiscHoleMm;
};

// The sheet laid out on the current printer's paper: its pages, and the
// entries whose pictures are missing (by index; they keep their place with
// an empty picture).
struct SheetLayoutResult
{
    SheetPlan plan;
    QList<PrintPage> pages;
    QList<int> missing;
};

// The name an entry shows: its kind's name.
QString sheetEntryName(const SheetEntry& entry, const QStringList& coverNames);

// Lays the entries out on the current printer (arrangeSheet, its errors).
SheetLayoutResult layOutSheet(const QList<SheetEntry>& entries, const SheetStyle& style,
                              SheetPictures& pictures, const CalibrationTable* calibration);

// One cover as the sheet window lists it.
struct SheetRow
{
    QString name;
    QString size;           // "121 × 121 mm"
    QString pictureName;    // the file's name
    QString placement;      // "Fill, 1.4 ×"
    QString resolution;     // "300 pixels per inch"; empty when missing or not read yet
    int pixelsPerInch = -1; // -1 until the picture was read
    bool missing = false;
};

// What was found of one cover's picture where it prints: missing, or its
// pixels per inch there.
struct CoverPicture
{
    int entry = 0;
    bool missing = false;
    int pixelsPerInch = 0;
};

// What the sheet window shows: a row per entry, the pages as they will print
// on the current printer and why the sheet cannot be laid out. The pictures
// are not read here: the pages hold none, a row is missing when its file
// cannot be read, and what the pictures hold is taken up as they are read
// (takeUp), off the window's thread.
struct SheetView
{
    QList<SheetRow> rows;
    QList<PrintPage> pages;
    QString layoutNote;
    QList<QList<int>> pageEntries; // by page, the entry of each of its covers
    QStringList picturePaths;      // by entry

    void takeUp(const CoverPicture& found);
    // The note below the list: the layout note, each missing picture, each
    // picture that may print blurred.
    QString note() const;
};
SheetView viewSheet(const QList<SheetEntry>& entries, const SheetStyle& style,
                    const CalibrationTable* calibration);

// "Print Sheet": refuses an empty sheet ("There are no covers on the sheet.
// Add one with "Add to Sheet" first.") and one with missing pictures (naming
// the covers and their files), then runs the printer-setup dialog (cancel
// ends silently), lays the sheet out on the chosen paper (turning it when
// that needs fewer sheets, as the setup dialog then shows) and prints every
// page as one job.
void printSheet(QWidget* dialogParent, const QList<SheetEntry>& entries, const SheetStyle& style,
                SheetPictures& pictures, const CalibrationTable* calibration);

} // namespace jf
