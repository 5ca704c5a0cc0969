#pragma once

#include <QString>
#include <exception>
#include <new>

#include "Errors.h"

namespace jf {

// The one place where failures end: a modal critical message box with the
// failure's message (full stop appended as errorReportText says) and the
// application title as caption. The rest of the failing operation has been
// skipped by the exception; the program goes on.
void reportError(const QString& message);

// Runs one event handler so that no exception crosses a Qt frame.
template <class F> void guarded(F&& handler) noexcept
{
    try {
        handler();
    } catch (const Error& e) {
        reportError(e.message());
    } catch (const std::bad_alloc&) {
        reportError(QStringLiteral("Out of memory"));
    } catch (const std::exception& e) {
        reportError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        reportError(QStringLiteral("Unknown failure"));
    }
}

// A slot that enters `method` of `object` through guarded().
template <class Obj, class... Args> auto guard(Obj* object, void (Obj::*method)(Args...))
{
    return [object, method](Args... args) { guarded([&] { (object->*method)(args...); }); };
}

} // namespace jf
