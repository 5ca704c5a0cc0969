#pragma once

#include <QByteArray>
#include <QString>

namespace jf {

// The data files hold bytes in the locale's 8-bit encoding, which is UTF-8 on
// this platform. Bytes that are not valid UTF-8 are carried through a QString
// as lone surrogates U+DC80..U+DCFF, so that a file read and written back
// unchanged keeps every byte.
QString decodeLocal8Bit(QByteArrayView bytes);
QByteArray encodeLocal8Bit(QStringView text);

} // namespace jf
