#include "TypingLimit.h"

#include <QLineEdit>

#include <algorithm>

namespace jf {

TypingLimit::TypingLimit(int maxLength, QObject* parent)
    : SingleLineText(parent), m_maxLength(maxLength)
{
}

QValidator::State TypingLimit::validate(QString& input, int& pos) const
{
    SingleLineText::validate(input, pos);
    return input.size() <= m_maxLength ? Acceptable : Invalid;
}

void TypingLimit::apply(QLineEdit* edit)
{
    const int limit = edit->maxLength();
    edit->setMaxLength(32767);
    edit->setValidator(new TypingLimit(limit, edit));
}

qsizetype TypingLimit::room(const QLineEdit* edit)
{
    const auto* limit = dynamic_cast<const TypingLimit*>(edit->validator());
    const qsizetype maxLength = limit ? limit->m_maxLength : edit->maxLength();
    return std::max<qsizetype>(0, maxLength - (edit->text().size() - edit->selectedText().size()));
}

} // namespace jf
