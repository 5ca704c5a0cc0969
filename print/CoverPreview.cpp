#include "CoverPreview.h"

#include "CurrentPrinter.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace jf {

CoverPreviewDialog::CoverPreviewDialog(const QPrinter& printer, const QList<jf::PrintPage>& pages,
                                       QWidget* parent)
    : QDialog(parent), m_printer(jf::copyPrinterSettings(printer)), m_pages(pages)
{
    setWindowTitle(QStringLiteral("Print Preview"));
    m_view = new QPrintPreviewWidget(m_printer.get(), this);
    m_view->setZoomMode(QPrintPreviewWidget::FitInView);
    connect(m_view, &QPrintPreviewWidget::paintRequested, this, &CoverPreviewDialog::paintSheets);

    // The resolution of each picture, and below it what may print blurred,
    // in the window's own text.
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("resolutionLabel"));
    m_note->setWordWrap(true);
    m_note->setTextFormat(Qt::PlainText);
    m_note->setText(resolutionNote());

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Print"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* column = new QVBoxLayout(this);
    column->addWidget(m_view, 1);
    column->addWidget(m_note);
    column->addWidget(buttons);
    resize(640, 760);
}

CoverPreviewDialog::~CoverPreviewDialog() = default;

QString CoverPreviewDialog::resolutionNote() const
{
    return (jf::resolutionLines(m_pages) + jf::blurWarnings(m_pages)).join(QLatin1Char('\n'));
}

void CoverPreviewDialog::paintSheets(QPrinter* printer)
{
    QPainter painter(printer);
    for (qsizetype i = 0; i < m_pages.size(); ++i) {
        const jf::PrintPage& page = m_pages[i];
        if (i > 0)
            printer->newPage();
        jf::paintPage(painter, page);
        // The printable area as a light dashed outline over it.
        QPen pen(QColor(176, 176, 176));
        pen.setCosmetic(true);
        pen.setStyle(Qt::DashLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(QPointF(0, 0), page.printableDots()));
    }
}

QImage CoverPreviewDialog::pagePicture(int dotsPerInch, qsizetype index) const
{
    return jf::renderPage(m_pages.value(index), dotsPerInch);
}

} // namespace jf
