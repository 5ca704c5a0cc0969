#pragma once

#include <QObject>

class QAbstractItemView;

namespace jf {

// Makes a list answer the mouse as a desktop list box does: a left click on
// an entry chooses it every time, also when it is highlighted already; a
// right click only opens the list's menu and leaves the highlight (and so
// what the menu's entries act on) as it was.
class ListMouse : public QObject
{
    Q_OBJECT

public:
    // Watches `view`, which owns the object.
    explicit ListMouse(QAbstractItemView* view);

signals:
    // A left click on the entry that was highlighted before the click. No
    // change of selection tells of such a click.
    void highlightedEntryClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView* m_view;
    QObject* m_viewport;
    int m_highlightedAtPress = -1;
};

} // namespace jf
