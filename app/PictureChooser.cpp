#include "PictureChooser.h"

#include "FileDialogs.h"
#include "Platform.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace jf {

PictureChooser::PictureChooser(QWidget* window) : QObject(window), m_window(window)
{
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

QString PictureChooser::choose()
{
    OpenFileRequest request;
    request.filter = m_filter;
    request.filterIndex = m_filterIndex;
    request.initialFile = m_fileName;
    if (request.initialFile.isEmpty())
        request.initialFolder = picturesFolder();
    request.fileMustExist = true;
    const std::optional<OpenFileResult> chosen = platform().fileDialog->openFile(m_window, request);
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

bool PictureChooser::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched != m_window || (type != QEvent::DragEnter && type != QEvent::Drop))
        return false;
    auto* drop = static_cast<QDropEvent*>(event);
    const QString path = droppedFile(drop->mimeData());
    if (path.isEmpty())
        return false;
    drop->acceptProposedAction();
    if (type == QEvent::Drop)
        emit dropped(path);
    return true;
}

} // namespace jf
