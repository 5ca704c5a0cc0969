#pragma once

#include "ClickLabel.h"

#include <QColor>

namespace jf {

// The "X" in a borderless window's top right corner: a label that closes its
// window when clicked and may change colour while the pointer is over it.
// It is no stop of the Tab order; assistive technology sees a "Close" button.
class CloseLabel : public ClickLabel
{
    Q_OBJECT

public:
    explicit CloseLabel(QWidget* parent = nullptr);

    // The colour while the pointer is over the label; an invalid colour (the
    // default) keeps it unchanged.
    void setHoverColour(const QColor& colour) { m_hoverColour = colour; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setColour(const QColor& colour);

    QColor m_hoverColour;
};

} // namespace jf
