#include "Favourites.h"

#include "Errors.h"
#include "TextFiles.h"

namespace jf {

QString displayNameFromPath(const QString& path)
{
    const QString fileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    return fileName.size() <= 4 ? QString() : fileName.chopped(4);
}

QStringList& StoredList::edit()
{
    m_changed = true;
    return m_entries;
}

void StoredList::load(const DataFolder& folder)
{
    bool complete = true;
    try {
        m_entries = readListFile(folder.path(m_fileName), &complete);
    } catch (const FileTooLargeError&) {
        m_keepFile = true;
        throw;
    }
    m_keepFile = false;
    // Content after a NUL byte was not read: the file is not rewritten from
    // these entries unless the list changes.
    if (complete)
        m_onDisk = m_entries;
    else
        m_onDisk.reset();
    m_changed = false;
}

bool StoredList::needsSaving() const
{
    return m_onDisk ? *m_onDisk != m_entries : m_changed;
}

void StoredList::save(const DataFolder& folder)
{
    if (!needsSaving())
        return;
    if (m_keepFile)
        throw FileStreamError(QStringLiteral("Cannot create file \"%1\". The file is over the "
                                             "program's limits and was not read, so it is kept "
                                             "as it is")
                                  .arg(folder.path(m_fileName)));
    writeListFile(folder.path(m_fileName), m_entries);
    m_onDisk = m_entries;
}

Favourites::Favourites(const char* namesFile, const char* pathsFile)
    : m_names(namesFile), m_paths(pathsFile)
{
}

void Favourites::append(const QString& name, const QString& path)
{
    m_paths.edit() << path;
    m_names.edit() << name;
}

void Favourites::removeAt(qsizetype index)
{
    if (index >= 0 && index < m_paths.entries().size())
        m_paths.edit().removeAt(index);
    if (index >= 0 && index < m_names.entries().size())
        m_names.edit().removeAt(index);
}

void Favourites::clear()
{
    m_names.edit().clear();
    m_paths.edit().clear();
}

QString Favourites::pathAt(qsizetype index) const
{
    if (index < 0 || index >= m_paths.entries().size())
        throw ListIndexError(index);
    return m_paths.entries()[index];
}

void Favourites::load(const DataFolder& folder)
{
    m_names.load(folder);
    m_paths.load(folder);
}

void Favourites::save(const DataFolder& folder)
{
    m_names.save(folder);
    m_paths.save(folder);
}

} // namespace jf
