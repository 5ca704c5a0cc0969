#include "SheetPageDrawer.h"

namespace jf {

SheetPageDrawer::SheetPageDrawer(QObject* parent) : QObject(parent)
{
    m_thread = std::thread([this] { run(); });
}

SheetPageDrawer::~SheetPageDrawer()
{
    {
        const std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void SheetPageDrawer::start(const SheetView& view, double dotsPerInch)
{
    {
        const std::lock_guard lock(m_mutex);
        ++m_sheet;
        m_view = view;
        m_dotsPerInch = dotsPerInch;
        m_toDraw.clear();
        m_asked.clear();
        m_nextRead = 0;
    }
    m_wake.notify_one();
}

void SheetPageDrawer::draw(qsizetype index)
{
    {
        const std::lock_guard lock(m_mutex);
        if (index < 0 || index >= m_view.pages.size() || m_asked.contains(index))
            return;
        m_asked.insert(index);
        m_toDraw.append(index);
    }
    m_wake.notify_one();
}

std::optional<SheetPageDrawer::Task> SheetPageDrawer::next()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_ending)
            return std::nullopt;
        qsizetype index = -1;
        const bool draw = !m_toDraw.isEmpty();
        if (draw) {
            index = m_toDraw.takeFirst();
        } else {
            while (m_nextRead < m_view.pages.size() && m_asked.contains(m_nextRead))
                ++m_nextRead;
            if (m_nextRead < m_view.pages.size())
                index = m_nextRead++;
        }
        if (index >= 0)
            return Task{m_sheet,
                        index,
                        draw,
                        m_view.pages[index],
                        m_view.pageEntries.value(index),
                        m_view.picturePaths,
                        m_dotsPerInch};
        m_wake.wait(lock);
    }
}

QList<CoverPicture> SheetPageDrawer::readPictures(Task& task, SheetPictures& pictures)
{
    QList<CoverPicture> found;
    for (qsizetype k = 0; k < task.page.covers.size(); ++k) {
        PlacedCover& cover = task.page.covers[k];
        CoverPicture picture{task.entries.value(k)};
        const QString path = task.paths.value(picture.entry);
        if (task.draw) {
            cover.picture = pictures.pictureFor(path);
            picture.missing = cover.picture.isNull();
            picture.pixelsPerInch = task.page.pixelsPerInch(cover);
        } else {
            const std::optional<QSize> size = pictures.sizeFor(path);
            picture.missing = !size;
            picture.pixelsPerInch = size ? task.page.pixelsPerInch(cover, *size) : 0;
        }
        found << picture;
    }
    return found;
}

void SheetPageDrawer::run()
{
    // Only this thread touches these pictures.
    SheetPictures pictures;
    quint64 tidied = 0;
    while (std::optional<Task> task = next()) {
        if (task->sheet != tidied) {
            pictures.tidy(task->paths);
            tidied = task->sheet;
        }
        QList<CoverPicture> found;
        QImage image;
        try {
            found = readPictures(*task, pictures);
            if (task->draw)
                image = renderPage(task->page, task->dotsPerInch);
        } catch (...) {
            // Out of memory, say: the page stays blank, its pictures missing.
            found.clear();
            for (const int entry : task->entries)
                found.append({entry, true, 0});
            image = QImage();
        }
        // Told on the window's thread, unless another sheet came meanwhile
        // (only that thread changes m_sheet).
        QMetaObject::invokeMethod(
            this,
            [this, sheet = task->sheet, index = task->index, draw = task->draw, image, found] {
                if (sheet != m_sheet)
                    return;
                if (draw)
                    emit pageDrawn(index, image);
                emit picturesRead(found);
            },
            Qt::QueuedConnection);
    }
}

} // namespace jf
