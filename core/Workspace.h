#pragma once

#include "Calibration.h"
#include "CoverNames.h"
#include "CoverSizes.h"
#include "DataFolder.h"
#include "DiscFiles.h"
#include "Favourites.h"
#include "Preferences.h"
#include "SheetList.h"
#include "TipCycle.h"

#include <QList>
#include <optional>

namespace jf {

// Everything the program keeps in the Data folder, as it stands in memory.
struct Workspace
{
    DataFolder folder;
    CoverSizes sizes;
    QStringList coverNames = defaultCoverNames();
    Preferences preferences;
    TipCycle tips;
    Favourites programs{datafile::programsNames, datafile::programsPaths};
    Favourites pictures{datafile::picturesNames, datafile::picturesPaths};
    CalibrationTable calibration;
    // The covers waiting to print together (Sheet.txt) and the sheet
    // window's choices (SheetSettings.ins).
    SheetList sheet;
    SheetSettings sheetSettings;
    // How pictures are placed on their covers (PictureFit.ins).
    PictureFit pictureFit = PictureFit::Stretch;
    // The disc label's hole (Disc.ins) and each printer's disc tray choice
    // and position correction (DiscCalibration.txt).
    int discHoleMm = defaultDiscHoleMm;
    DiscCalibrationTable discPrinters;
};

// Start-up: takes the working directory as the base directory, then reads the
// four list files (programs, then pictures; names before paths) and the
// settings files (readSettings). The first failure is thrown and the rest is
// not read; what was read before it stays.
void loadWorkspace(Workspace& workspace);

// Which of the settings files a reading got through whole.
struct SettingsReread
{
    bool sizes = false;
    bool names = false;
    bool preferences = false;
    bool tips = false;
};

// Reads the settings files in this order: the sizes, the names, the
// preferences and the tips (at start-up, and again after the settings window
// closed). `read` tells each file read whole as soon as it is; the first
// failure is thrown and the later files are not read.
void readSettings(Workspace& workspace, SettingsReread& read);

// Writes the four list files, in the order they are read, each only when it
// needs it; the first failure is thrown and the later lists are not written.
void saveFavourites(Workspace& workspace);

// What ending the program saves: the four list files. A failure is thrown,
// so the program stays open and nothing is lost. Closing again with the lists
// as they were at that failure is not refused a second time: save() then
// gives the question to put to the user, whether to end without saving.
class ClosingSave
{
public:
    // Empty when the lists are saved; otherwise the question.
    std::optional<QString> save(Workspace& workspace);

private:
    // The four lists as they stood when a close last failed to save them.
    std::optional<QList<QStringList>> m_unsavedAtFailedClose;
};

} // namespace jf
