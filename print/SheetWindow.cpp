#include "SheetWindow.h"

#include "Platform.h"
#include "PrintGeometry.h"

#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QPixmap>

namespace jf {

namespace {

// Pages are drawn this wide on screen.
constexpr double kPageWidthPixels = 260;

} // namespace

SheetWindow::SheetWindow(QWidget* parent) : QDialog(parent, Qt::Window)
{
    m_ui.setupUi(this);
    setWindowTitle(QStringLiteral("Sheet \u2014 ") + jf::applicationTitle());
    setModal(false);
    m_ui.coverList->header()->setStretchLastSection(true);
    m_ui.coverList->setAccessibleName(QStringLiteral("Covers on the sheet"));
    m_ui.pagesArea->setAccessibleName(QStringLiteral("Sheets as they print"));
    connect(m_ui.printSheetButton, &QPushButton::clicked, this, &SheetWindow::printRequested);
    connect(m_ui.removeButton, &QPushButton::clicked, this, [this] {
        if (selectedCover() >= 0)
            emit removeRequested(selectedCover());
    });
    connect(m_ui.clearButton, &QPushButton::clicked, this, &SheetWindow::clearRequested);
    connect(m_ui.closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(m_ui.cutMarksBox, &QCheckBox::toggled, this, &SheetWindow::cutMarksChanged);
}

SheetWindow::~SheetWindow() = default;

void SheetWindow::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    // Closed (Escape, "Close" or its X): the main window takes the keys
    // again, its focus where it was.
    QWidget* owner = parentWidget();
    if (!event->spontaneous() && owner && owner->isVisible())
        owner->activateWindow();
}

void SheetWindow::showSheet(const jf::SheetView& view)
{
    const QList<jf::SheetRow>& rows = view.rows;
    const QString& note = view.note;
    const int selected = selectedCover();
    m_ui.coverList->clear();
    for (const jf::SheetRow& row : rows) {
        auto* item = new QTreeWidgetItem(m_ui.coverList);
        item->setText(0, row.name);
        item->setText(1, row.size);
        item->setText(2, row.missing ? QStringLiteral("%1 (missing)").arg(row.pictureName)
                                     : row.pictureName);
        item->setText(3, row.resolution);
        if (row.missing)
            item->setForeground(2, QColor(176, 0, 0));
    }
    if (selected >= 0 && selected < rows.size())
        m_ui.coverList->setCurrentItem(m_ui.coverList->topLevelItem(selected));
    for (int column = 0; column < 3; ++column)
        m_ui.coverList->resizeColumnToContents(column);
    m_ui.noteLabel->setText(note);
    m_ui.noteLabel->setVisible(!note.isEmpty());
    m_ui.removeButton->setEnabled(!rows.isEmpty());
    m_ui.clearButton->setEnabled(!rows.isEmpty());
    m_pages = view.pages;
    showPages();
}

void SheetWindow::setCutMarks(bool on)
{
    const QSignalBlocker quiet(m_ui.cutMarksBox);
    m_ui.cutMarksBox->setChecked(on);
}

bool SheetWindow::cutMarks() const
{
    return m_ui.cutMarksBox->isChecked();
}

int SheetWindow::selectedCover() const
{
    QTreeWidgetItem* item = m_ui.coverList->currentItem();
    return item ? m_ui.coverList->indexOfTopLevelItem(item) : -1;
}

QImage SheetWindow::pageImage(qsizetype index, double dotsPerInch) const
{
    return jf::renderPage(m_pages.value(index), dotsPerInch);
}

void SheetWindow::showPages()
{
    QLayout* layout = m_ui.pagesLayout;
    while (QLayoutItem* item = layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (qsizetype i = 0; i < m_pages.size(); ++i) {
        const double inches = m_pages[i].sheetMm().width() / jf::kMmPerInch;
        const qreal ratio = devicePixelRatioF();
        QImage image = pageImage(i, kPageWidthPixels / inches * ratio);
        image.setDevicePixelRatio(ratio);
        auto* page = new QLabel(m_ui.pagesHolder);
        page->setObjectName(QStringLiteral("page%1").arg(i + 1));
        page->setPixmap(QPixmap::fromImage(image));
        page->setFrameShape(QFrame::Box);
        const QString name = QStringLiteral("Sheet %1 of %2").arg(i + 1).arg(m_pages.size());
        page->setToolTip(name);
        page->setAccessibleName(name);
        page->setAlignment(Qt::AlignCenter);
        layout->addWidget(page);
    }
    m_ui.pagesLayout->addStretch();
}

} // namespace jf
