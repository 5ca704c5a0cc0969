// Metafiles go through the converter child process as in the program, so a
// crash or hang inside libwmf or libemf2svg only means "not valid" here; the
// target looks for faults in what this process does with the child's answer
// (reading it, drawing the SVG). An input with the EMF signature is loaded as
// .emf, any other as .wmf.
#include "fuzz_picture.h"

#include <csignal>
#include <cstring>
#include <pthread.h>

// Present in sanitized builds only.
extern "C" __attribute__((weak)) void __sanitizer_set_death_callback(void (*)(void));

namespace {

// The converter child inherits libFuzzer's handlers, which would record the
// child's expected deaths as crashes of this process: it dies plainly.
void plainChild()
{
    if (__sanitizer_set_death_callback)
        __sanitizer_set_death_callback(nullptr);
    for (int sig : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT})
        std::signal(sig, SIG_DFL);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    jf::fuzz::makeGuiApplication();
    pthread_atfork(nullptr, nullptr, plainChild);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const bool enhanced = size >= 44 && std::memcmp(data + 40, " EMF", 4) == 0;
    jf::fuzz::loadAndDraw(data, size, enhanced ? QStringLiteral("emf") : QStringLiteral("wmf"));
    return 0;
}
