#include "Workspace.h"

namespace jf {

void loadWorkspace(Workspace& workspace)
{
    workspace.folder = DataFolder(currentBaseDir());
    const DataFolder& folder = workspace.folder;
    workspace.programs.load(folder);
    workspace.pictures.load(folder);
    workspace.sizes.read(folder.path(datafile::sizes));
    workspace.coverNames = readCoverNames(folder.path(datafile::names));
    workspace.preferences.read(folder.path(datafile::settings));
    workspace.tips.read(folder.path(datafile::tips));
}

void saveFavourites(Workspace& workspace)
{
    workspace.programs.save(workspace.folder);
    workspace.pictures.save(workspace.folder);
}

} // namespace jf
