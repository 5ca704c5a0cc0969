#include "DataFolder.h"

#include "TextCodec.h"

#include <QByteArray>
#include <cerrno>
#include <unistd.h>

namespace jf {

QString currentBaseDir()
{
    QByteArray buffer(4096, '\0');
    while (::getcwd(buffer.data(), size_t(buffer.size())) == nullptr) {
        if (errno != ERANGE)
            return QStringLiteral("./");
        buffer.resize(buffer.size() * 2);
    }
    return decodeLocal8Bit(QByteArrayView(buffer.constData())) + QLatin1Char('/');
}

QString DataFolder::path(const char* name) const
{
    return m_baseDir + QStringLiteral("Data/") + QLatin1String(name);
}

} // namespace jf
