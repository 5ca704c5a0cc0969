#pragma once

#include "Platform.h"

class QFileInfo;

namespace jf {

// The desktop's file-open dialog (Qt's own, so it behaves the same
// everywhere). Extensions in the filters match without regard to case.
class DesktopFileDialog final : public FileDialogService
{
public:
    std::optional<OpenFileResult> openFile(QWidget* parent,
                                           const OpenFileRequest& request) override;
};

// "Bitmap|*.bmp|Graphic|*.jpg" to Qt name filters that ignore letter case,
// such as "Bitmap (*.[bB][mM][pP])".
QStringList caseInsensitiveNameFilters(const QString& filter);

// Whether the program dialog lists a file: a folder, a file that may be run
// or a desktop entry (".desktop"), which starts the program it describes.
bool listedAsProgram(const QFileInfo& file);

// Where a search for pictures starts: the user's Pictures folder, or the home
// folder when there is none.
QString picturesFolder();

} // namespace jf
