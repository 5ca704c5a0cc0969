#pragma once

#include "PageLayout.h"

#include <QDialog>
#include <QImage>
#include <memory>

class QPrinter;
class QPrintPreviewWidget;

namespace jf {

class PrintWindow;

// "Print Preview": the sheet of the current printer as the cover will print
// on it (paper, printable area, the cover and its border at their place and
// size after the fit rule and calibration), drawn from the same page layout
// and print window as the printed page. "Print" accepts the dialog, "Close"
// rejects it; the caller prints.
class CoverPreviewDialog : public QDialog
{
    Q_OBJECT

public:
    CoverPreviewDialog(const QPrinter& printer, const PrintWindow& window,
                       const jf::PageLayout& layout, QWidget* parent = nullptr);
    ~CoverPreviewDialog() override;

    // The page the preview shows, rendered at `dotsPerInch`: the whole sheet,
    // white, with the page image at the printable area's corner (without the
    // printable area's outline, which only the screen shows).
    QImage pagePicture(int dotsPerInch) const;

private:
    void paintSheet(QPrinter* printer);

    std::unique_ptr<QPrinter> m_printer;
    const PrintWindow& m_window;
    jf::PageLayout m_layout;
    QPrintPreviewWidget* m_view = nullptr;
};

} // namespace jf
