#pragma once

#include "PrintPage.h"

#include <QDialog>
#include <QImage>
#include <memory>

class QLabel;
class QPrinter;
class QPrintPreviewWidget;

namespace jf {

// "Print Preview": the sheets of the current printer as they will print
// (paper, printable area, the covers and their borders at their place and
// size after the fit rule and calibration), drawn by paintPage as the
// printer draws them, and below them each picture's resolution at its
// printed size, with a warning for one that may print blurred. "Print"
// accepts the dialog, "Close" rejects it; the caller prints.
class CoverPreviewDialog : public QDialog
{
    Q_OBJECT

public:
    CoverPreviewDialog(const QPrinter& printer, const QList<jf::PrintPage>& pages,
                       QWidget* parent = nullptr);
    ~CoverPreviewDialog() override;

    // Page `index` as the preview shows it, rendered at `dotsPerInch`: the
    // whole sheet (without the printable area's outline, which only the
    // screen shows).
    QImage pagePicture(int dotsPerInch, qsizetype index = 0) const;
    // The resolution lines and warnings shown below the pages.
    QString resolutionNote() const;

private:
    void paintSheets(QPrinter* printer);

    std::unique_ptr<QPrinter> m_printer;
    QList<jf::PrintPage> m_pages;
    QPrintPreviewWidget* m_view = nullptr;
    QLabel* m_note = nullptr;
};

} // namespace jf
