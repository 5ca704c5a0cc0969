#include "SheetWindow.h"

#include "PageUnits.h"
#include "Platform.h"

#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>

namespace jf {

namespace {

// Pages are drawn at least this wide on screen.
constexpr int kLeastPageWidth = 120;
// The note below the list shows this many lines and scrolls beyond them.
constexpr int kNoteLines = 6;

} // namespace

SheetWindow::SheetWindow(QWidget* parent) : QDialog(parent, Qt::Window)
{
    m_ui.setupUi(this);
    setWindowTitle(QStringLiteral("Sheet \u2014 ") + jf::applicationTitle());
    setModal(false);
    m_ui.coverList->header()->setStretchLastSection(true);
    m_ui.coverList->setAccessibleName(QStringLiteral("Covers on the sheet"));
    m_ui.pagesArea->setAccessibleName(QStringLiteral("Sheets as they print"));
    m_ui.noteArea->setMaximumHeight(fontMetrics().lineSpacing() * kNoteLines);
    connect(m_ui.printSheetButton, &QPushButton::clicked, this, &SheetWindow::printRequested);
    connect(m_ui.removeButton, &QPushButton::clicked, this, [this] {
        if (selectedCover() >= 0)
            emit removeRequested(selectedCover());
    });
    connect(m_ui.clearButton, &QPushButton::clicked, this, &SheetWindow::clearRequested);
    connect(m_ui.closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(m_ui.cutMarksBox, &QCheckBox::toggled, this,
            [this] { emit settingsChanged(settings()); });
    connect(m_ui.bleedBox, &QSpinBox::valueChanged, this,
            [this] { emit settingsChanged(settings()); });
    m_ui.bleedBox->setMaximum(jf::kMostBleedMm);
    m_refit.setSingleShot(true);
    m_refit.setInterval(100);
    connect(&m_refit, &QTimer::timeout, this, &SheetWindow::fitPages);
    m_ui.pagesArea->viewport()->installEventFilter(this);
    QScrollBar* scroll = m_ui.pagesArea->verticalScrollBar();
    connect(scroll, &QScrollBar::valueChanged, this, &SheetWindow::drawPagesInSight);
    connect(scroll, &QScrollBar::rangeChanged, this, &SheetWindow::drawPagesInSight);
    connect(&m_drawer, &SheetPageDrawer::pageDrawn, this, [this](qsizetype index, QImage image) {
        if (QLabel* page = m_pageLabels.value(index)) {
            image.setDevicePixelRatio(devicePixelRatioF());
            page->setPixmap(QPixmap::fromImage(image));
        }
    });
    connect(&m_drawer, &SheetPageDrawer::picturesRead, this, &SheetWindow::takeUp);
}

SheetWindow::~SheetWindow() = default;

void SheetWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // However long the sheet, the window and its buttons stay on the screen.
    if (const QScreen* screen = this->screen()) {
        const QRect room = screen->availableGeometry();
        const QSize frame = frameGeometry().size() - size();
        resize(size().boundedTo(room.size() - frame).expandedTo(minimumSizeHint()));
        const QRect placed = frameGeometry();
        move(pos() + QPoint(std::max(room.left() - placed.left(),
                                     std::min(0, room.right() - placed.right())),
                            std::max(room.top() - placed.top(),
                                     std::min(0, room.bottom() - placed.bottom()))));
    }
    QTimer::singleShot(0, this, &SheetWindow::drawPagesInSight);
}

void SheetWindow::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    m_drawer.start({}, 0); // nothing more to draw or read while closed
    // Closed (Escape, "Close" or its X): the main window takes the keys
    // again, its focus where it was.
    QWidget* owner = parentWidget();
    if (!event->spontaneous() && owner && owner->isVisible())
        owner->activateWindow();
}

void SheetWindow::showSheet(const jf::SheetView& view)
{
    const int selected = selectedCover();
    m_view = view;
    m_ui.coverList->clear();
    for (int i = 0; i < m_view.rows.size(); ++i) {
        new QTreeWidgetItem(m_ui.coverList);
        showRow(i);
    }
    if (selected >= 0 && selected < m_view.rows.size())
        m_ui.coverList->setCurrentItem(m_ui.coverList->topLevelItem(selected));
    fitColumns();
    showNote();
    m_ui.removeButton->setEnabled(!m_view.rows.isEmpty());
    m_ui.clearButton->setEnabled(!m_view.rows.isEmpty());
    showPages();
}

void SheetWindow::showRow(int index)
{
    QTreeWidgetItem* item = m_ui.coverList->topLevelItem(index);
    if (!item)
        return;
    const jf::SheetRow& row = m_view.rows[index];
    item->setText(0, row.name);
    item->setText(1, row.size);
    item->setText(2, row.missing ? QStringLiteral("%1 (missing)").arg(row.pictureName)
                                 : row.pictureName);
    item->setText(3, row.placement);
    item->setText(4, row.resolution);
    item->setForeground(2, row.missing ? QBrush(QColor(176, 0, 0)) : QBrush());
}

void SheetWindow::showNote()
{
    const QString note = m_view.note();
    m_ui.noteLabel->setText(note);
    m_ui.noteArea->setVisible(!note.isEmpty());
    // As high as its lines, up to kNoteLines; it lies under the list, as wide.
    m_ui.noteArea->setMinimumHeight(std::min(
        m_ui.noteArea->maximumHeight(), m_ui.noteLabel->heightForWidth(m_ui.coverList->width())));
}

void SheetWindow::takeUp(const QList<jf::CoverPicture>& found)
{
    for (const jf::CoverPicture& picture : found) {
        m_view.takeUp(picture);
        showRow(picture.entry);
    }
    fitColumns();
    showNote();
}

void SheetWindow::fitColumns()
{
    QTreeWidget* list = m_ui.coverList;
    // Measured unstretched: the last column then is as wide as its text.
    list->header()->setStretchLastSection(false);
    for (int column = 0; column < list->columnCount(); ++column)
        list->resizeColumnToContents(column);
    const int width = list->header()->length() + 2 * list->frameWidth() +
                      list->verticalScrollBar()->sizeHint().width();
    list->header()->setStretchLastSection(true);
    const int most = screen() ? screen()->availableGeometry().width() / 2 : 600;
    list->setMinimumWidth(std::min(width, most));
}

void SheetWindow::setSettings(const jf::SheetSettings& settings)
{
    const QSignalBlocker quietMarks(m_ui.cutMarksBox);
    const QSignalBlocker quietBleed(m_ui.bleedBox);
    m_ui.cutMarksBox->setChecked(settings.cutMarks);
    m_ui.bleedBox->setValue(settings.bleedMm);
}

jf::SheetSettings SheetWindow::settings() const
{
    return {m_ui.cutMarksBox->isChecked(), m_ui.bleedBox->value()};
}

bool SheetWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui.pagesArea->viewport() && event->type() == QEvent::Resize)
        m_refit.start();
    return QDialog::eventFilter(watched, event);
}

int SheetWindow::selectedCover() const
{
    QTreeWidgetItem* item = m_ui.coverList->currentItem();
    return item ? m_ui.coverList->indexOfTopLevelItem(item) : -1;
}

QImage SheetWindow::pageImage(qsizetype index, double dotsPerInch) const
{
    return jf::renderPage(m_view.pages.value(index), dotsPerInch);
}

void SheetWindow::showPages()
{
    QLayout* layout = m_ui.pagesLayout;
    while (QLayoutItem* item = layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_pageLabels.clear();
    // Every page has its place at once; its picture comes when drawn.
    for (qsizetype i = 0; i < m_view.pages.size(); ++i) {
        auto* page = new QLabel(m_ui.pagesHolder);
        page->setObjectName(QStringLiteral("page%1").arg(i + 1));
        page->setFrameShape(QFrame::Box);
        const QString name = QStringLiteral("Sheet %1 of %2").arg(i + 1).arg(m_view.pages.size());
        page->setToolTip(name);
        page->setAccessibleName(name);
        page->setAlignment(Qt::AlignCenter);
        layout->addWidget(page);
        layout->setAlignment(page, Qt::AlignHCenter);
        m_pageLabels << page;
    }
    m_ui.pagesLayout->addStretch();
    fitPages();
}

void SheetWindow::fitPages()
{
    if (m_view.pages.isEmpty()) {
        m_drawer.start(m_view, 0);
        return;
    }
    // Each page as large as the pane shows it whole; all have one paper.
    const QSizeF sheet = m_view.pages[0].sheetMm();
    const int frame = 2 * m_pageLabels[0]->frameWidth();
    const QMargins margins = m_ui.pagesLayout->contentsMargins();
    const QSize room =
        m_ui.pagesArea->viewport()->size() -
        QSize(margins.left() + margins.right() + frame, margins.top() + margins.bottom() + frame);
    const double pixelsPerMm =
        std::max(double(kLeastPageWidth) / sheet.width(),
                 std::min(room.width() / sheet.width(), room.height() / sheet.height()));
    for (QLabel* page : m_pageLabels) {
        page->clear();
        page->setFixedSize(qRound(sheet.width() * pixelsPerMm) + frame,
                           qRound(sheet.height() * pixelsPerMm) + frame);
    }
    m_drawer.start(m_view, pixelsPerMm * jf::kMmPerInch * devicePixelRatioF());
    QTimer::singleShot(0, this, &SheetWindow::drawPagesInSight);
}

void SheetWindow::drawPagesInSight()
{
    if (!isVisible() || m_pageLabels.isEmpty())
        return;
    // The pages lie one below the other, all of one height.
    const int pitch = m_pageLabels[0]->height() + std::max(0, m_ui.pagesLayout->spacing());
    const int top =
        m_ui.pagesArea->verticalScrollBar()->value() - m_ui.pagesLayout->contentsMargins().top();
    const int bottom = top + m_ui.pagesArea->viewport()->height();
    for (qsizetype i = std::max(0, top / pitch); i < m_pageLabels.size() && i * pitch < bottom; ++i)
        m_drawer.draw(i);
}

} // namespace jf
