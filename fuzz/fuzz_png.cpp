#include "fuzz_picture.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    jf::fuzz::makeGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    jf::fuzz::loadAndDraw(data, size, QStringLiteral("png"));
    return 0;
}
