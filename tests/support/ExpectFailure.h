#pragma once

#include "Errors.h"

#include <QString>

namespace jftest {

// Runs `action` and returns the message of the jf::Error of type E it threw;
// "<no failure>" when it threw none.
template <class E = jf::Error, class F> QString failureOf(F&& action)
{
    try {
        action();
    } catch (const E& e) {
        return e.message();
    }
    return QStringLiteral("<no failure>");
}

} // namespace jftest
