#pragma once

#include <QObject>

class QLineEdit;

namespace jf {

// Lets only the digits 0 to 9 and backspace through from the keyboard into a
// numeric box, however the text arrives: key presses and input-method
// commits (dead keys, compose) alike. Every other typed character is dropped
// before it reaches the box, and a key held with Ctrl, Alt or Meta types
// nothing at all (the box's own keys, such as Ctrl+V, still work). Pasting is not filtered; the
// box's length limit becomes a typing limit (see TypingLimit), so longer stored values still show
// whole.
class DigitFilter : public QObject
{
    Q_OBJECT

public:
    // Installs a filter owned by `edit`.
    static void install(QLineEdit* edit);

    // Whether a typed character passes: a digit or backspace.
    static bool passes(QChar c);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit DigitFilter(QLineEdit* edit);
    QLineEdit* m_edit;
};

} // namespace jf
