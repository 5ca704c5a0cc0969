#include "AppGlobals.h"

namespace jf {

namespace {
AppGlobals g_globals;
}

AppGlobals& globals()
{
    return g_globals;
}

void resetGlobals()
{
    g_globals = AppGlobals{};
}

} // namespace jf
