#pragma once

#include "SingleLineText.h"

class QLineEdit;

namespace jf {

// Limits what the user may type or paste into an edit box to a number of
// characters, while texts the program sets are shown whole (a stored size of
// five digits still shows all five). The box stays one line.
class TypingLimit : public SingleLineText
{
public:
    TypingLimit(int maxLength, QObject* parent);
    State validate(QString& input, int& pos) const override;

    // Moves the box's own length limit from its window definition into a
    // TypingLimit.
    static void apply(QLineEdit* edit);

    // Whether one more typed character fits into the box.
    static bool roomForOneMore(const QLineEdit* edit) { return room(edit) > 0; }

    // How many more characters may be typed over the box's selection.
    static qsizetype room(const QLineEdit* edit);

private:
    int m_maxLength;
};

} // namespace jf
