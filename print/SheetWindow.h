#pragma once

#include "PrintPage.h"
#include "SheetPrinting.h"
#include "ui_SheetWindow.h"

#include <QDialog>
#include <QList>
#include <QString>

namespace jf {

// "Sheet...": the covers waiting to print together, the pages as they will
// print (drawn by paintPage, every page), the cut marks choice and the
// buttons "Print Sheet" (the default button), "Remove" (the selected cover),
// "Clear" and "Close". A normal window that blocks nothing; what the buttons
// do is the owner's business, told through the signals.
class SheetWindow : public QDialog
{
    Q_OBJECT

public:
    explicit SheetWindow(QWidget* parent = nullptr);
    ~SheetWindow() override;

    // Shows the list, the pages and the note below the list. The selection
    // stays on the same row where there still is one.
    void showSheet(const jf::SheetView& view);
    void setCutMarks(bool on);
    bool cutMarks() const;
    // The selected row, -1 for none.
    int selectedCover() const;
    // Page `index` as the window draws it, at `dotsPerInch`.
    QImage pageImage(qsizetype index, double dotsPerInch) const;
    qsizetype pageCount() const { return m_pages.size(); }

signals:
    void printRequested();
    void removeRequested(int row);
    void clearRequested();
    void cutMarksChanged(bool on);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void showPages();

    Ui::SheetWindow m_ui;
    QList<jf::PrintPage> m_pages;
};

} // namespace jf
