#include "TypingLimit.h"

#include <QLineEdit>

TypingLimit::TypingLimit(int maxLength, QObject* parent)
    : QValidator(parent), m_maxLength(maxLength)
{
}

QValidator::State TypingLimit::validate(QString& input, int&) const
{
    return input.size() <= m_maxLength ? Acceptable : Invalid;
}

void TypingLimit::apply(QLineEdit* edit)
{
    const int limit = edit->maxLength();
    edit->setMaxLength(32767);
    edit->setValidator(new TypingLimit(limit, edit));
}

bool TypingLimit::roomForOneMore(const QLineEdit* edit)
{
    const auto* limit = dynamic_cast<const TypingLimit*>(edit->validator());
    if (!limit)
        return true;
    return edit->text().size() - edit->selectedText().size() < limit->m_maxLength;
}
