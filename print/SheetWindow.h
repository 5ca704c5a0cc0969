#pragma once

#include "PrintPage.h"
#include "SheetPageDrawer.h"
#include "SheetPrinting.h"
#include "ui_SheetWindow.h"

#include <QDialog>
#include <QList>
#include <QString>

class QLabel;

namespace jf {

// "Sheet...": the covers waiting to print together, the pages as they will
// print (drawn by paintPage as they come in sight, off the window's thread),
// the cut marks choice and the buttons "Print Sheet" (the default button),
// "Remove" (the selected cover), "Clear" and "Close". The list and the note
// below it scroll, so the window fits the screen however long the sheet. A
// normal window that blocks nothing; what the buttons do is the owner's
// business, told through the signals.
class SheetWindow : public QDialog
{
    Q_OBJECT

public:
    explicit SheetWindow(QWidget* parent = nullptr);
    ~SheetWindow() override;

    // Shows the list, the pages and the note below the list; the pictures
    // are read and the rows and note completed as the pages are drawn. The
    // selection stays on the same row where there still is one.
    void showSheet(const jf::SheetView& view);
    void setCutMarks(bool on);
    bool cutMarks() const;
    // The selected row, -1 for none.
    int selectedCover() const;
    // Page `index` of the view at `dotsPerInch`, with the pictures the view
    // holds.
    QImage pageImage(qsizetype index, double dotsPerInch) const;
    qsizetype pageCount() const { return m_view.pages.size(); }

signals:
    void printRequested();
    void removeRequested(int row);
    void clearRequested();
    void cutMarksChanged(bool on);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showRow(int index);
    void showNote();
    void showPages();
    // Asks for the pages in sight that are not drawn yet.
    void drawPagesInSight();
    void takeUp(const QList<jf::CoverPicture>& found);

    Ui::SheetWindow m_ui;
    jf::SheetView m_view;
    QList<QLabel*> m_pageLabels;
    jf::SheetPageDrawer m_drawer;
};

} // namespace jf
