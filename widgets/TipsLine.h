#pragma once

#include <QObject>
#include <cstdint>

class QTimer;

namespace jf {

class ClickLabel;
class TipCycle;

// The tips line: a label that shows the next tip of a TipCycle at every tick
// of its timer ("tipTimer"), which runs from the start every 6 seconds.
// Owned by the label.
class TipsLine : public QObject
{
    Q_OBJECT

public:
    TipsLine(ClickLabel* label, TipCycle& tips);

    // An equal value changes nothing, a different positive one restarts the
    // period, 0 or less stops the tips (the last one stays shown).
    void setInterval(std::int32_t milliseconds);
    std::int32_t interval() const { return m_interval; }
    // Shows the next tip; a note that is kept stays instead.
    void showNext();

    // Shows a note of the program in the tips line: one that is `kept`
    // stays until the next note; any other until the next tip.
    void showNote(const QString& text, bool kept);

private:
    void show(const QString& text);

    ClickLabel* m_label;
    TipCycle& m_tips;
    QTimer* m_timer;
    std::int32_t m_interval = 6000;
    bool m_noteKept = false;
};

} // namespace jf
