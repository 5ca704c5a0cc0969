#include "SingleLineText.h"

#include "LineBreaks.h"

#include <QLineEdit>

namespace jf {

SingleLineText::SingleLineText(QObject* parent) : QValidator(parent) {}

QValidator::State SingleLineText::validate(QString& input, int& pos) const
{
    if (jf::hasLineBreak(input))
        input = jf::blanksForLineBreaks(input, &pos);
    return Acceptable;
}

void SingleLineText::applyToAll(QWidget* window)
{
    for (QLineEdit* edit : window->findChildren<QLineEdit*>()) {
        if (!edit->validator())
            edit->setValidator(new SingleLineText(edit));
        if (!dynamic_cast<const SingleLineText*>(edit->validator()))
            continue;
        // A text the validator refuses as a whole (a stored name over the
        // typing limit) keeps what validation changed out; it is mended here.
        QObject::connect(edit, &QLineEdit::textChanged, edit, [edit](const QString& text) {
            if (jf::hasLineBreak(text))
                edit->setText(jf::blanksForLineBreaks(text));
        });
    }
}

} // namespace jf
