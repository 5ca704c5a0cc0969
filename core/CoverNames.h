#pragma once

#include <QStringList>

namespace jf {

// The display names of the eight cover kinds, DefaultNames.ins line by line.

// The names the window shows until the file has been read, which a fresh
// installation ships and the settings window restores.
QStringList defaultCoverNames();

// The eight lines of the file; missing lines read empty.
QStringList readCoverNames(const QString& path);

// Writes the eight names, each followed by CR LF.
void writeCoverNames(const QString& path, const QStringList& names);

} // namespace jf
