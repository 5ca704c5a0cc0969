#include "FavouritesList.h"

#include "DisplayText.h"
#include "Favourites.h"
#include "ListMouse.h"
#include "WindowLook.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QSignalBlocker>

#include <algorithm>

namespace jf {

namespace {

// Rows of the favourites lists are 13 pixels high.
constexpr int rowHeight = 13;

void appendRow(QListWidget* list, const QString& name)
{
    auto* item = new QListWidgetItem(shownText(name));
    item->setSizeHint(QSize(0, rowHeight));
    list->addItem(item);
}

} // namespace

FavouritesList::FavouritesList(QListWidget* list, Favourites& favourites, Choice choice)
    : QObject(list), m_list(list), m_favourites(favourites)
{
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    // The lists take the colour of the window they sit on.
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, scrollBarColour());
    list->setPalette(palette);

    list->installEventFilter(this);
    auto* mouse = new ListMouse(list);
    if (choice == Choice::DoubleClick) {
        connect(list, &QListWidget::itemDoubleClicked, this, &FavouritesList::chosen);
        return;
    }
    const auto selected = [this] {
        if (selectedRow() >= 0)
            emit chosen();
    };
    connect(list, &QListWidget::itemSelectionChanged, this, selected);
    // A click on the highlighted entry chooses it again.
    connect(mouse, &ListMouse::highlightedEntryClicked, this, selected);
}

bool FavouritesList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_list || event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    if ((key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) && selectedRow() < 0 &&
        m_list->count() > 0) {
        // The first arrow key selects the entry the list's focus is on (Tab
        // puts it on the first) rather than passing it by.
        m_list->setCurrentRow(std::max(m_list->currentRow(), 0),
                              QItemSelectionModel::ClearAndSelect);
        return true;
    }
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    // Return does what a double click does; with nothing selected, nothing.
    if (selectedRow() >= 0 && !key->isAutoRepeat())
        emit chosen();
    return true;
}

void FavouritesList::showAll()
{
    // Filling the list moves its selection; that is no user's choice.
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    for (const QString& name : m_favourites.names())
        appendRow(m_list, name);
    m_list->setCurrentRow(-1);
}

void FavouritesList::append(const QString& name, const QString& path)
{
    m_favourites.append(name, path);
    const QSignalBlocker blocker(m_list);
    appendRow(m_list, name);
}

void FavouritesList::deleteSelected()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    m_favourites.removeAt(row);
    showAll();
}

int FavouritesList::selectedRow() const
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

QString FavouritesList::selectedPath() const
{
    return m_favourites.pathAt(selectedRow());
}

} // namespace jf
