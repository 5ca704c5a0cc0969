#pragma once

#include <QStringList>
#include <cstdint>

namespace jf {

// The tips of Tips.txt, one per line, and which one the tips line shows.
class TipCycle
{
public:
    const QStringList& tips() const { return m_tips; }
    void setTips(const QStringList& tips) { m_tips = tips; }

    // Empties the tips, then appends every line of the file up to its end;
    // a failure leaves the lines read before it.
    void read(const QString& path);

    // Moves on to the next tip and returns it: the first again after the
    // last, and after the 128th; empty when there are no tips.
    QString next();

    // The tip shown last, -1 before the first.
    int index() const { return m_index; }

private:
    QStringList m_tips;
    std::int8_t m_index = -1;
};

} // namespace jf
