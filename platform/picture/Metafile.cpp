#include "Metafile.h"

#include "Errors.h"

namespace jf {

QImage decodeMetafile(const QByteArray&, bool)
{
    throw PictureError(QStringLiteral("Metafile is not valid"));
}

} // namespace jf
