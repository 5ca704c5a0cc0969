#pragma once

#include "PrintPage.h"
#include "SheetPageDrawer.h"
#include "SheetPrinting.h"
#include "ui_SheetWindow.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QTimer>

class QLabel;

namespace jf {

// "Sheet...": the covers waiting to print together (each with its
// placement), the pages as they will print (drawn by paintPage as they come
// in sight, off the window's thread, each as large as the pane shows it
// whole), the cut marks and bleed choices and the buttons "Print Sheet" (the default button),
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
    // Shows the choices in force.
    void setSettings(const jf::SheetSettings& settings);
    jf::SheetSettings settings() const;
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
    // The user changed "Cut marks" or "Bleed".
    void settingsChanged(const jf::SheetSettings& settings);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showRow(int index);
    void showNote();
    void showPages();
    // Sizes the pages to the pane and has them drawn at that size.
    void fitPages();
    // Widens the list's columns to their text, and the list with them.
    void fitColumns();
    // Asks for the pages in sight that are not drawn yet.
    void drawPagesInSight();
    void takeUp(const QList<jf::CoverPicture>& found);

    Ui::SheetWindow m_ui;
    jf::SheetView m_view;
    QList<QLabel*> m_pageLabels;
    jf::SheetPageDrawer m_drawer;
    QTimer m_refit; // the pages drawn again once the pane stops changing size
};

} // namespace jf
