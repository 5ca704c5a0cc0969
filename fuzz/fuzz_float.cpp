// The print job's size fields: decimal text to a floating-point value, then
// millimetres to cover pixels, and the integer scaling the layout uses.
#include "Errors.h"
#include "FuzzSupport.h"
#include "NumberConvert.h"
#include "PageUnits.h"

#include <cstring>

using namespace jf;
using jf::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    double value = 0.0;
    const bool ok = tryStrToFloat(text, value);
    try {
        const double thrown = strToFloat(text);
        require(ok && (thrown == value || (thrown != thrown && value != value)),
                "strToFloat agrees with tryStrToFloat");
    } catch (const ConvertError&) {
        require(!ok, "strToFloat throws only where tryStrToFloat fails");
    }

    // The same bytes as a double as well, for values no text reaches.
    double raw = 0.0;
    std::memcpy(&raw, data, std::min(size, sizeof raw));
    for (const double mm : {value, raw}) {
        try {
            mmToCoverPixels(mm);
        } catch (const MathError&) {
        }
    }
    if (size >= 12) {
        std::int32_t abc[3];
        std::memcpy(abc, data, sizeof abc);
        const std::int32_t q = mulDiv(abc[0], abc[1], abc[2]);
        require(abc[2] != 0 || q == -1, "mulDiv by zero gives -1");
    }
    return 0;
}
