#pragma once

#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace jftest {

// Aborts the test run when the guarded code has not returned within the given
// seconds, so that a call that blocks fails instead of hanging the run.
class HangGuard
{
public:
    explicit HangGuard(unsigned seconds)
    {
        std::signal(SIGALRM, &onAlarm);
        ::alarm(seconds);
    }
    ~HangGuard() { ::alarm(0); }
    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;

private:
    static void onAlarm(int)
    {
        static const char text[] = "Blocked: the guarded call did not return\n";
        if (::write(STDERR_FILENO, text, sizeof text - 1) < 0) {
        }
        std::abort();
    }
};

} // namespace jftest
