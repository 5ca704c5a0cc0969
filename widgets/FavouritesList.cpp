#include "FavouritesList.h"

#include "DisplayText.h"
#include "Favourites.h"
#include "ListMouse.h"
#include "WindowLook.h"

#include <QListWidget>
#include <QSignalBlocker>

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
