#include "Menus.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QContextMenuEvent>
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

QActionGroup* addChoices(QMenu* menu, QAction* before, std::initializer_list<MenuEntry> entries)
{
    auto* group = new QActionGroup(menu);
    group->setExclusive(true);
    for (const MenuEntry& entry : entries) {
        auto* action = new QAction(QString::fromLatin1(entry.text), group);
        action->setObjectName(QLatin1String(entry.objectName));
        action->setCheckable(true);
        menu->insertAction(before, action);
        QObject::connect(action, &QAction::triggered, menu, entry.run);
    }
    return group;
}

void openMenuOnRightClick(QWidget* control, QMenu* menu)
{
    control->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(
        control, &QWidget::customContextMenuRequested, menu,
        [control, menu](const QPoint& pos) { menu->popup(control->mapToGlobal(pos)); });
}

void addShortcuts(QWidget* window, QAction* action, const QList<QKeySequence>& keys)
{
    action->setShortcuts(keys);
    window->addAction(action);
}

void openMenusFromKeyboard(QWidget* window)
{
    auto* action = new QAction(window);
    action->setObjectName(QStringLiteral("menuKeyAction"));
    QObject::connect(action, &QAction::triggered, window, [window] {
        QWidget* control = window->focusWidget();
        if (!control)
            control = window;
        // The point Qt itself asks for when the Menu key is pressed.
        const QPoint at = control->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
        QContextMenuEvent request(QContextMenuEvent::Keyboard, at, control->mapToGlobal(at));
        QApplication::sendEvent(control, &request);
    });
    addShortcuts(window, action, {QKeySequence(Qt::SHIFT | Qt::Key_F10)});
}

QPoint menuPosition(const QContextMenuEvent* event)
{
    if (event->reason() == QContextMenuEvent::Keyboard) {
        if (QWidget* control = QApplication::focusWidget())
            return control->mapToGlobal(QPoint(0, control->height()));
    }
    return event->globalPos();
}

} // namespace jf
