#include "TipsLine.h"

#include "ClickLabel.h"
#include "ErrorReport.h"
#include "TipCycle.h"

#include <QTimer>

namespace jf {

TipsLine::TipsLine(ClickLabel* label, TipCycle& tips)
    : QObject(label), m_label(label), m_tips(tips), m_timer(new QTimer(this))
{
    m_timer->setObjectName(QStringLiteral("tipTimer"));
    m_timer->setInterval(m_interval);
    m_timer->start();
    connect(m_timer, &QTimer::timeout, this, guard(this, &TipsLine::showNext));
}

void TipsLine::setInterval(std::int32_t milliseconds)
{
    if (milliseconds == m_interval)
        return;
    m_interval = milliseconds;
    if (milliseconds <= 0) {
        m_timer->stop();
        return;
    }
    m_timer->start(milliseconds);
}

void TipsLine::showNext()
{
    if (!m_noteKept)
        show(m_tips.next());
}

void TipsLine::showNote(const QString& text, bool kept)
{
    m_noteKept = kept;
    show(text);
}

void TipsLine::show(const QString& text)
{
    m_label->setText(text);
    m_label->adjustSize();
}

} // namespace jf
