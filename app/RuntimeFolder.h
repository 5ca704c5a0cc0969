#pragma once

#include <QByteArray>

namespace jf {

// A folder that only this user can write, for the one-program guard's lock
// and socket: a folder (never a link) owned by the user and closed to
// everyone else. In order:
//  - $XDG_RUNTIME_DIR;
//  - jacketforge-<uid> in $TMPDIR (else /tmp), made when missing;
//  - a fresh folder jacketforge-<uid>-XXXXXX beside it, made by mkdtemp,
//    whose name is kept in jacketforge-runtime in the user's cache folder
//    ($XDG_CACHE_HOME, else ~/.cache) so that every start finds the same.
// One that is set but cannot be used (another user's, a link, open to
// others) is said on the warning channel, with the place used instead.
// Empty, said too, when there is none at all.
QByteArray privateRuntimeFolder();

// Whether `folder` is a folder, not a link, of this user's and closed to
// everyone else.
bool isPrivateFolder(const QByteArray& folder);

} // namespace jf
