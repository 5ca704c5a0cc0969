#pragma once

#include "DataFolder.h"

#include <QStringList>
#include <optional>

namespace jf {

// The name a favourites list shows for a file: the text after the path's
// last "/" less its last four characters (meant for a dot and a three-letter
// extension), so "photo.jpeg" gives "photo."; empty when that text has four
// characters or fewer.
QString displayNameFromPath(const QString& path);

// The name the program list offers for a program file: a desktop entry
// (".desktop") gives its Name, in the locale's language where it has one; a
// file name with an extension gives the name without it ("Editor.exe" gives
// "Editor"); any other file name is the name as it stands ("openbox").
QString programNameFromPath(const QString& path);

// The Name key of a desktop entry's main group, preferring the translation
// for `locale` ("de_DE.UTF-8" tries Name[de_DE], then Name[de]); empty when
// there is none.
QString desktopEntryName(QByteArrayView content, const QString& locale);

// One list file's entries, and what is known of the file on disk: a list is
// written back only when it differs from what was read or written last, and
// a list whose file was not (or only partly) read is written only when it was
// changed in this run. So nothing the user saved is overwritten with what
// the program never saw.
class StoredList
{
public:
    explicit StoredList(const char* fileName) : m_fileName(fileName) {}

    const char* fileName() const { return m_fileName; }
    const QStringList& entries() const { return m_entries; }
    QStringList& edit();

    // Replaces the entries with the file's; throws FileStreamError, keeping
    // the entries as they were. A file over the list ceilings is never
    // written over: saving a changed list then throws instead.
    void load(const DataFolder& folder);
    // Writes the entries when they need it; throws FileStreamError.
    void save(const DataFolder& folder);
    bool needsSaving() const;

private:
    const char* m_fileName;
    QStringList m_entries;
    std::optional<QStringList> m_onDisk; // the file's entries, when known
    bool m_changed = false;
    bool m_keepFile = false; // the file is over the ceilings and was not read
};

// A favourites list: display names, and at the same index the full path or
// command line behind each. The two run in parallel, but files edited out of
// step are taken as they are, so they may differ in length.
class Favourites
{
public:
    Favourites(const char* namesFile, const char* pathsFile);

    const QStringList& names() const { return m_names.entries(); }
    const QStringList& paths() const { return m_paths.entries(); }

    void append(const QString& name, const QString& path);
    // Removes entry `index` from the paths, then from the names; a list that
    // has no such entry is left as it is.
    void removeAt(qsizetype index);
    void clear();
    // The path at `index`; ListIndexError "List index out of bounds (%d)"
    // when there is none.
    QString pathAt(qsizetype index) const;

    // The names file, then the paths file. Saving writes both files of the
    // pair or neither: when another program changed either of them since it
    // was read (checkUnchanged), FileStreamError names it and nothing is
    // written.
    void load(const DataFolder& folder);
    void save(const DataFolder& folder);

private:
    StoredList m_names;
    StoredList m_paths;
};

} // namespace jf
