#include "Workspace.h"

#include "Errors.h"

namespace jf {

void loadWorkspace(Workspace& workspace)
{
    workspace.folder = DataFolder(currentBaseDir());
    const DataFolder& folder = workspace.folder;
    workspace.programs.load(folder);
    workspace.pictures.load(folder);
    SettingsReread read;
    readSettings(workspace, read);
}

void readSettings(Workspace& workspace, SettingsReread& read)
{
    const DataFolder& folder = workspace.folder;
    workspace.sizes.read(folder.path(datafile::sizes));
    read.sizes = true;
    workspace.coverNames = readCoverNames(folder.path(datafile::names));
    read.names = true;
    workspace.preferences.read(folder.path(datafile::settings));
    read.preferences = true;
    workspace.tips.read(folder.path(datafile::tips));
    read.tips = true;
}

void saveFavourites(Workspace& workspace)
{
    workspace.programs.save(workspace.folder);
    workspace.pictures.save(workspace.folder);
}

std::optional<QString> ClosingSave::save(Workspace& workspace)
{
    const QList<QStringList> lists{workspace.programs.names(), workspace.programs.paths(),
                                   workspace.pictures.names(), workspace.pictures.paths()};
    try {
        saveFavourites(workspace);
    } catch (const Error& e) {
        if (m_unsavedAtFailedClose != lists) {
            m_unsavedAtFailedClose = lists;
            throw;
        }
        // The second close in a row: asked once, not told again.
        m_unsavedAtFailedClose.reset();
        return errorReportText(e.message()) +
               QStringLiteral("\n\nQuit without saving the lists? Their files stay as they are.");
    }
    m_unsavedAtFailedClose.reset();
    return std::nullopt;
}

} // namespace jf
