#include "Favourites.h"

#include "DataFileFormats.h"
#include "Errors.h"
#include "LineBreaks.h"
#include "SafeFileIO.h"
#include "TextCodec.h"

#include <QLocale>

#include <algorithm>

namespace jf {

QString displayNameFromPath(const QString& path)
{
    const QString fileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    return fileName.size() <= 4 ? QString() : fileName.chopped(4);
}

namespace {

// The value of a desktop entry's key with its escapes resolved; a line break
// it spells out becomes a blank.
QString desktopEntryValue(QStringView raw)
{
    QString value;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != QLatin1Char('\\') || i + 1 == raw.size()) {
            value += raw[i];
            continue;
        }
        const QChar next = raw[++i];
        if (next == QLatin1Char('s') || next == QLatin1Char('n') || next == QLatin1Char('r'))
            value += QLatin1Char(' ');
        else if (next == QLatin1Char('t'))
            value += QLatin1Char('\t');
        else
            value += next;
    }
    return blanksForLineBreaks(value.trimmed());
}

} // namespace

QString desktopEntryName(QByteArrayView content, const QString& locale)
{
    // Keys in the order they are preferred: Name[ll_CC], Name[ll], Name.
    QStringList keys;
    const QString language = locale.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    if (!language.isEmpty()) {
        keys << QStringLiteral("Name[%1]").arg(language);
        if (language.contains(QLatin1Char('_')))
            keys << QStringLiteral("Name[%1]").arg(language.section(QLatin1Char('_'), 0, 0));
    }
    keys << QStringLiteral("Name");

    bool inMainGroup = false;
    qsizetype best = keys.size();
    QString name;
    const QString text = decodeLocal8Bit(content);
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inMainGroup || equals < 0)
            continue;
        const qsizetype rank = keys.indexOf(line.first(equals).trimmed().toString());
        if (rank >= 0 && rank < best) {
            best = rank;
            name = desktopEntryValue(line.sliced(equals + 1));
        }
    }
    return name;
}

QString programNameFromPath(const QString& path)
{
    const QString fileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (fileName.endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive)) {
        QByteArray content;
        if (readFileBytes(path, content, maxSettingsFileBytes) == 0) {
            const QString name = desktopEntryName(content, QLocale::system().name());
            if (!name.isEmpty())
                return name;
        }
    }
    // An extension holds a letter: "python3.11" and "gimp-2.10" keep their
    // numbers, ".bashrc" is a whole name.
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot > 0 && dot + 1 < fileName.size()) {
        const QStringView extension = QStringView(fileName).sliced(dot + 1);
        const bool lettersAndDigits = std::all_of(extension.begin(), extension.end(),
                                                  [](QChar c) { return c.isLetterOrNumber(); });
        const bool hasLetter =
            std::any_of(extension.begin(), extension.end(), [](QChar c) { return c.isLetter(); });
        if (lettersAndDigits && hasLetter)
            return fileName.left(dot);
    }
    return fileName;
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
    // Both files or neither: a refused entry in one, or a file of the pair
    // that another program changed, must not leave the other written out of
    // step.
    if (!m_names.needsSaving() && !m_paths.needsSaving())
        return;
    for (const StoredList* list : {&m_names, &m_paths}) {
        if (list->needsSaving())
            refuseLineBreaks(folder.path(list->fileName()), list->entries());
    }
    for (const auto& [list, partner] :
         {std::pair{&m_names, &m_paths}, std::pair{&m_paths, &m_names}}) {
        const QString path = folder.path(list->fileName());
        if (const int err = checkUnchanged(path))
            throw FileStreamError(cannotCreateFileMessage(path, err) +
                                  QStringLiteral("; \"%1\" is kept as it is too")
                                      .arg(folder.path(partner->fileName())));
    }
    m_names.save(folder);
    m_paths.save(folder);
}

} // namespace jf
