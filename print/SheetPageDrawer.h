#pragma once

#include "SheetPrinting.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QSet>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace jf {

// Draws the sheet window's pages and reads their pictures on a thread of its
// own, so that the window opens at once whatever the sheet holds. A page is
// drawn when asked for (those in sight); meanwhile the pictures of the other
// pages are read for their resolution, one page at a time, without drawing
// them or keeping them. Each picture is read from its file on that thread
// (its own SheetPictures), and read again when the file changed.
class SheetPageDrawer : public QObject
{
    Q_OBJECT

public:
    explicit SheetPageDrawer(QObject* parent = nullptr);
    // Waits for the page at hand.
    ~SheetPageDrawer() override;

    // A new sheet: `view`'s pages, drawn at `dotsPerInch`. What was asked for
    // the sheet before is dropped, and nothing more is told of it.
    void start(const SheetView& view, double dotsPerInch);
    // Asks for page `index` drawn; a page is drawn once a sheet.
    void draw(qsizetype index);

signals:
    void pageDrawn(qsizetype index, const QImage& image);
    // The pictures of one page's covers, as read.
    void picturesRead(const QList<jf::CoverPicture>& found);

private:
    struct Task
    {
        quint64 sheet = 0;
        qsizetype index = 0;
        bool draw = false;
        PrintPage page;
        QList<int> entries;
        QStringList paths;
        double dotsPerInch = 0;
    };
    // The pictures of the task's page, read into it when it is to be drawn.
    static QList<CoverPicture> readPictures(Task& task, SheetPictures& pictures);
    void run();
    // The next task, waiting for one; nothing once the drawer ends.
    std::optional<Task> next();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_ending = false;
    quint64 m_sheet = 0;
    SheetView m_view;
    double m_dotsPerInch = 0;
    QList<qsizetype> m_toDraw;
    qsizetype m_nextRead = 0; // the pages before it are read or drawn
    QSet<qsizetype> m_asked;
    std::thread m_thread; // last: started once the rest is made
};

} // namespace jf
