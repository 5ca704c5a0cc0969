#include "Menus.h"

#include <QMenu>

namespace jf {

QMenu* makeMenu(QWidget* parent, const char* objectName, std::initializer_list<MenuEntry> entries)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName(QLatin1String(objectName));
    for (const MenuEntry& entry : entries) {
        QAction* action = menu->addAction(QString::fromLatin1(entry.text));
        action->setObjectName(QLatin1String(entry.objectName));
        QObject::connect(action, &QAction::triggered, parent, entry.run);
    }
    return menu;
}

void openMenuOnRightClick(QWidget* control, QMenu* menu)
{
    control->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(
        control, &QWidget::customContextMenuRequested, menu,
        [control, menu](const QPoint& pos) { menu->popup(control->mapToGlobal(pos)); });
}

} // namespace jf
