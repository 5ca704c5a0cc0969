#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <optional>

namespace jf {

class ClickLabel;

// A column of choices of which one is made, such as the eight cover kinds:
// their captions (and the pictures behind them) are children of the column.
// For the keyboard the column is one stop of the Tab order, the chosen
// caption; Up and Down move to the caption above or below and press it, as
// a click does. Assistive technology sees a group of checkable buttons named
// by the captions, the chosen one checked.
//
// The column takes the mouse only where a child lies: a press between two
// children reaches what is behind the column, as it would without it. It
// grows to hold its children.
class ChoiceColumn : public QWidget
{
    Q_OBJECT

public:
    explicit ChoiceColumn(QWidget* parent = nullptr);

    // The choices' captions from top to bottom, children of this column;
    // they become checkable buttons.
    void setCaptions(const QList<ClickLabel*>& captions);
    const QList<ClickLabel*>& captions() const { return m_captions; }

    // Shows the choice at `index` as made (-1: none is). Its caption becomes
    // the column's stop of the Tab order (the first one while none is made)
    // and takes the focus if another caption of the column has it.
    void setChosen(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void childEvent(QChildEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitChildren();

    QList<ClickLabel*> m_captions;
    // The children's places and the column's size last fitted.
    std::optional<QList<QRect>> m_fittedPlaces;
    QSize m_fittedSize;
};

} // namespace jf
