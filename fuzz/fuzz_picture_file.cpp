// One picture type read from memory: compiled once for each target, with
// JF_FUZZ_EXTENSION naming the extension the loader is given ("jpg", "bmp",
// "ico", "tif", "png").
#include "fuzz_picture.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    jf::fuzz::makeGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    jf::fuzz::loadAndDraw(data, size, QStringLiteral(JF_FUZZ_EXTENSION));
    return 0;
}
