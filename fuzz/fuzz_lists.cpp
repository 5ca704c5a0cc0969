// The list files (programs and pictures): the content split into entries as
// readListFile does after reading the file.
#include "DataFileFormats.h"
#include "FuzzSupport.h"

#include <QStringList>

using jf::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView content(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList entries = jf::splitListContent(content);
    const qsizetype nul = content.indexOf('\0');
    qsizetype breaks = 0;
    for (const char c : nul < 0 ? content : content.first(nul))
        breaks += c == '\n' || c == '\r';
    require(entries.size() <= breaks + 1, "no more entries than line breaks plus one");
    for (const QString& entry : entries)
        require(!entry.contains(QLatin1Char('\n')) && !entry.contains(QLatin1Char('\r')),
                "an entry holds no line break");
    return 0;
}
