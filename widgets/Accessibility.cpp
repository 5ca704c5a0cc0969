#include "Accessibility.h"

#include "ChoiceColumn.h"
#include "ClickLabel.h"
#include "ImageControl.h"

#include <QAccessibleWidget>

namespace jf {

namespace {

class CaptionAccessible : public QAccessibleWidget
{
public:
    explicit CaptionAccessible(ClickLabel* label) : QAccessibleWidget(label) {}

    ClickLabel* label() const { return static_cast<ClickLabel*>(widget()); }

    QAccessible::Role role() const override
    {
        if (!label()->isButton())
            return QAccessible::StaticText;
        return label()->isCheckable() ? QAccessible::RadioButton : QAccessible::Button;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        if (label()->isButton() && label()->isCheckable()) {
            state.checkable = true;
            state.checked = label()->isChecked();
        }
        return state;
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
            return label()->text();
        return QAccessibleWidget::text(kind);
    }

    QStringList actionNames() const override
    {
        QStringList names;
        if (label()->isButton() && widget()->isEnabled())
            names << pressAction();
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& name) override
    {
        if (name == pressAction() && label()->isButton() && widget()->isEnabled())
            label()->click();
        else
            QAccessibleWidget::doAction(name);
    }

    QStringList keyBindingsForAction(const QString& name) const override
    {
        if (name == pressAction())
            return {QStringLiteral("Space")};
        return QAccessibleWidget::keyBindingsForAction(name);
    }
};

class ColumnAccessible : public QAccessibleWidget
{
public:
    explicit ColumnAccessible(ChoiceColumn* column)
        : QAccessibleWidget(column, QAccessible::Grouping)
    {
    }

    const QList<ClickLabel*>& captions() const
    {
        return static_cast<ChoiceColumn*>(widget())->captions();
    }

    // The pictures behind the captions are no choices of their own.
    int childCount() const override { return int(captions().size()); }
    QAccessibleInterface* child(int index) const override
    {
        ClickLabel* caption = captions().value(index);
        return caption ? QAccessible::queryAccessibleInterface(caption) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child ? int(captions().indexOf(qobject_cast<ClickLabel*>(child->object()))) : -1;
    }
};

class ImageAccessible : public QAccessibleWidget
{
public:
    explicit ImageAccessible(ImageControl* image) : QAccessibleWidget(image) {}

    QAccessible::Role role() const override
    {
        return widget()->accessibleName().isEmpty() ? QAccessible::Client : QAccessible::Graphic;
    }
};

class WindowAccessible : public QAccessibleWidget
{
public:
    explicit WindowAccessible(QWidget* window) : QAccessibleWidget(window) {}

    // Asked each time: a window may be made a tool window after it is made.
    QAccessible::Role role() const override
    {
        return widget()->windowType() == Qt::Dialog ? QAccessible::Dialog : QAccessible::Window;
    }
};

QAccessibleInterface* programControls(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("jf::ClickLabel"))
        return new CaptionAccessible(static_cast<ClickLabel*>(widget));
    if (className == QLatin1String("jf::ChoiceColumn"))
        return new ColumnAccessible(static_cast<ChoiceColumn*>(widget));
    if (className == QLatin1String("jf::ImageControl"))
        return new ImageAccessible(static_cast<ImageControl*>(widget));
    // The program's own windows made of a plain QWidget; Qt's classes
    // (dialogs, menus, popups) keep their interfaces.
    if (className == QLatin1String("QWidget") && widget->isWindow() &&
        QByteArray(object->metaObject()->className()).startsWith("jf::"))
        return new WindowAccessible(widget);
    return nullptr;
}

} // namespace

void installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(&programControls);
        return true;
    }();
    (void)installed;
}

} // namespace jf
