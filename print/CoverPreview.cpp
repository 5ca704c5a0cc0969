#include "CoverPreview.h"

#include "CurrentPrinter.h"
#include "PrintGeometry.h"
#include "PrintWindow.h"

#include <QDialogButtonBox>
#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace jf {

CoverPreviewDialog::CoverPreviewDialog(const QPrinter& printer, const PrintWindow& window,
                                       const jf::PageLayout& layout, QWidget* parent)
    : QDialog(parent), m_printer(jf::copyPrinterSettings(printer)), m_window(window),
      m_layout(layout)
{
    setWindowTitle(QStringLiteral("Print Preview"));
    m_view = new QPrintPreviewWidget(m_printer.get(), this);
    m_view->setZoomMode(QPrintPreviewWidget::FitInView);
    connect(m_view, &QPrintPreviewWidget::paintRequested, this, &CoverPreviewDialog::paintSheet);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Print"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* column = new QVBoxLayout(this);
    column->addWidget(m_view, 1);
    column->addWidget(buttons);
    resize(640, 720);
}

CoverPreviewDialog::~CoverPreviewDialog() = default;

void CoverPreviewDialog::paintSheet(QPrinter* printer)
{
    QPainter painter(printer);
    m_window.paintPage(painter, m_layout);
    // The printable area as a light dashed outline over it.
    QPen pen(QColor(176, 176, 176));
    pen.setCosmetic(true);
    pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(0, 0,
                            m_layout.printable.width() / jf::kMmPerInch * m_layout.dotsPerInchX,
                            m_layout.printable.height() / jf::kMmPerInch * m_layout.dotsPerInchY));
}

QImage CoverPreviewDialog::pagePicture(int dotsPerInch) const
{
    const QSizeF sheet = m_printer->pageLayout().fullRect(QPageLayout::Millimeter).size();
    QImage page(qRound(sheet.width() / jf::kMmPerInch * dotsPerInch),
                qRound(sheet.height() / jf::kMmPerInch * dotsPerInch), QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.scale(double(dotsPerInch) / m_layout.dotsPerInchX,
                  double(dotsPerInch) / m_layout.dotsPerInchY);
    painter.translate(m_layout.printable.left() / jf::kMmPerInch * m_layout.dotsPerInchX,
                      m_layout.printable.top() / jf::kMmPerInch * m_layout.dotsPerInchY);
    m_window.paintPage(painter, m_layout);
    return page;
}

} // namespace jf
