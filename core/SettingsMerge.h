#pragma once

#include <QStringList>

namespace jf {

// Saving a settings file that the settings window did not show whole, because
// it could not be read (or only in part) when the window opened: only the
// lines the user changed come from the window, every other line is taken
// from the file as it stands, so nothing the window did not show is lost.
//
// `edited` is what the window holds now, `shown` what it showed once opening
// was done; the result is `edited` with every line left as shown replaced by
// the file's line (a short file reads empty lines past its end). A file that
// cannot be read for that is kept: InOutError "Cannot create file "%s". It
// could not be read when this window opened, so it is kept as it is", with
// the reason's error code. So is an existing file that is written in one
// piece (`onePiece`: the tips), whose lines cannot be taken one by one. A
// missing file has nothing to keep: `edited` comes back as it is.
QStringList mergeWithFile(const QString& path, const QStringList& edited, const QStringList& shown,
                          bool onePiece);

} // namespace jf
