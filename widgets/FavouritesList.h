#pragma once

#include <QObject>
#include <QString>

class QListWidget;

namespace jf {

class Favourites;

// One favourites list of the main window: the names shown in a list control,
// one a row, and beside them the full paths or command lines kept in a
// Favourites pair. Adding and deleting change the pair and the rows together;
// rows the program fills or empties raise no choice. Return in the list
// chooses the selected entry as a double click does. Owned by the list
// control.
class FavouritesList : public QObject
{
    Q_OBJECT

public:
    // How the user chooses an entry.
    enum class Choice
    {
        Select,     // by selecting it (also with the arrow keys) or clicking it highlighted
        DoubleClick // by double-clicking it
    };

    FavouritesList(QListWidget* list, Favourites& favourites, Choice choice);

    // Shows the names again, with nothing selected.
    void showAll();
    // Appends an entry; every highlight, in this list and others, stays.
    void append(const QString& name, const QString& path);
    // Removes the selected entry, then shows the names again; nothing when
    // no entry is selected.
    void deleteSelected();
    // The selected entry, -1 when none is.
    int selectedRow() const;
    // The path or command line of the selected entry; ListIndexError "List
    // index out of bounds (%d)" when there is none.
    QString selectedPath() const;

signals:
    // The user chose an entry (see Choice); one is selected.
    void chosen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QListWidget* m_list;
    Favourites& m_favourites;
};

} // namespace jf
