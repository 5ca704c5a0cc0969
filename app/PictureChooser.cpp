#include "PictureChooser.h"

#include "FileDialogs.h"
#include "Platform.h"

#include <QMimeData>
#include <QUrl>

namespace jf {

QString PictureChooser::choose(QWidget* parent)
{
    OpenFileRequest request;
    request.filter = m_filter;
    request.filterIndex = m_filterIndex;
    request.initialFile = m_fileName;
    if (request.initialFile.isEmpty())
        request.initialFolder = picturesFolder();
    request.fileMustExist = true;
    const std::optional<OpenFileResult> chosen = platform().fileDialog->openFile(parent, request);
    if (!chosen)
        return QString();
    m_fileName = chosen->path;
    m_filterIndex = chosen->filterIndex;
    return chosen->path;
}

QString PictureChooser::droppedFile(const QMimeData* data)
{
    if (!data)
        return QString();
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return QString();
}

} // namespace jf
