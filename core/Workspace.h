#pragma once

#include "Calibration.h"
#include "CoverNames.h"
#include "CoverSizes.h"
#include "DataFolder.h"
#include "Favourites.h"
#include "Preferences.h"
#include "TipCycle.h"

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
};

// Start-up: takes the working directory as the base directory, then reads the
// four list files (programs, then pictures; names before paths), the sizes,
// the names, the preferences and the tips. The first failure is thrown and
// the rest is not read; what was read before it stays.
void loadWorkspace(Workspace& workspace);

// Writes the four list files, in the order they are read, each only when it
// needs it; the first failure is thrown and the later lists are not written.
void saveFavourites(Workspace& workspace);

} // namespace jf
