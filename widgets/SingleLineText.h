#pragma once

#include <QValidator>

class QLineEdit;
class QWidget;

namespace jf {

// Keeps a one-line edit box to one line: every line break typed, pasted,
// dropped or set into the box (CR, LF, U+2028, U+2029) becomes a blank before
// the box takes the text, so no entry of a line-based data file can split.
class SingleLineText : public QValidator
{
public:
    explicit SingleLineText(QObject* parent);
    State validate(QString& input, int& pos) const override;

    // Gives every one-line edit box of `window` (editable combo boxes
    // included) this rule, unless the box already has it or a validator of
    // its own, which then decides what may stand in it.
    static void applyToAll(QWidget* window);
};

} // namespace jf
