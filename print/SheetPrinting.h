#pragma once

#include "Calibration.h"
#include "CoverPrintJob.h"
#include "Picture.h"
#include "PrintPage.h"
#include "SheetList.h"

#include <QHash>
#include <QStringList>

class QWidget;

namespace jf {

// The pictures of the sheet's covers, loaded from their files when first
// needed and kept. A picture whose file is gone or cannot be read is
// missing: a null picture, asked for again next time.
class SheetPictures
{
public:
    Picture pictureFor(const QString& path);
    // Keeps a picture already loaded from `path` (the preview's).
    void keep(const QString& path, const Picture& picture) { m_loaded.insert(path, picture); }
    // Forgets the pictures no entry names, and lets every kept one release
    // its decoded pixels.
    void tidy(const QList<SheetEntry>& entries);

private:
    QHash<QString, Picture> m_loaded;
};

// What the sheet prints with: the cover names by kind, the border in force
// and the cut marks choice.
struct SheetStyle
{
    QStringList coverNames;
    std::uint8_t borderWidth = 0;
    QColor borderColour;
    bool cutMarks = true;
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
    QString size;        // "121 × 121 mm"
    QString pictureName; // the file's name
    QString resolution;  // "300 pixels per inch"; empty when missing
    bool missing = false;
};

// What the sheet window shows: a row per entry, the pages as they will print
// on the current printer, and the note below the list: why the sheet cannot
// be laid out, each missing picture, each picture that may print blurred.
struct SheetView
{
    QList<SheetRow> rows;
    QList<PrintPage> pages;
    QString note;
};
SheetView viewSheet(const QList<SheetEntry>& entries, const SheetStyle& style,
                    SheetPictures& pictures, const CalibrationTable* calibration);

// "Print Sheet": refuses an empty sheet ("There are no covers on the sheet.
// Add one with "Add to Sheet" first.") and one with missing pictures (naming
// the covers and their files), then runs the printer-setup dialog (cancel
// ends silently), lays the sheet out on the chosen paper (turning it when
// that needs fewer sheets, as the setup dialog then shows) and prints every
// page as one job.
void printSheet(QWidget* dialogParent, const QList<SheetEntry>& entries, const SheetStyle& style,
                SheetPictures& pictures, const CalibrationTable* calibration);

} // namespace jf
