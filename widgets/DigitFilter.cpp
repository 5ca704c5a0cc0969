#include "DigitFilter.h"

#include "TypingLimit.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace jf {

DigitFilter::DigitFilter(QLineEdit* edit) : QObject(edit), m_edit(edit) {}

void DigitFilter::install(QLineEdit* edit)
{
    TypingLimit::apply(edit);
    edit->installEventFilter(new DigitFilter(edit));
}

bool DigitFilter::passes(QChar c)
{
    return c == QChar(8) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

bool DigitFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_edit)
        return false;
    if (event->type() == QEvent::KeyPress) {
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        const QString text = keyEvent->text();
        if (text.isEmpty() || keyEvent->key() == Qt::Key_Delete || keyEvent->key() == Qt::Key_Tab ||
            keyEvent->key() == Qt::Key_Backtab)
            return false;
        if (keyEvent->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
            // No shortcut took the key (shortcuts come before the box): the
            // box still gets it for its own keys (Ctrl+A, Ctrl+C, Ctrl+V,
            // Ctrl+X, Ctrl+Z and the like, which go by key, not text), but
            // without its character, so nothing is typed.
            QKeyEvent withoutText(keyEvent->type(), keyEvent->key(), keyEvent->modifiers(),
                                  keyEvent->nativeScanCode(), keyEvent->nativeVirtualKey(),
                                  keyEvent->nativeModifiers(), QString(), keyEvent->isAutoRepeat(),
                                  quint16(keyEvent->count()));
            QCoreApplication::sendEvent(m_edit, &withoutText);
            // A key the box does not use goes on to the window, as before.
            keyEvent->setAccepted(withoutText.isAccepted());
            return true;
        }
        for (QChar c : text) {
            if (!passes(c))
                return true; // dropped before it reaches the box
            if (c != QChar(8) && !TypingLimit::roomForOneMore(m_edit))
                return true;
        }
        return false;
    }
    if (event->type() == QEvent::InputMethod) {
        auto* imEvent = static_cast<QInputMethodEvent*>(event);
        const QString commit = imEvent->commitString();
        QString digits;
        const qsizetype room = TypingLimit::room(m_edit);
        for (QChar c : commit) {
            if (c != QChar(8) && passes(c) && digits.size() < room)
                digits += c;
        }
        if (digits == commit && imEvent->preeditString().isEmpty())
            return false;
        // Composition text never shows in the box, and only digits are
        // committed.
        QInputMethodEvent filtered;
        filtered.setCommitString(digits);
        QCoreApplication::sendEvent(m_edit, &filtered);
        return true;
    }
    return false;
}

} // namespace jf
