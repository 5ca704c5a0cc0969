#include "FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <QStandardPaths>

namespace jf {

QStringList caseInsensitiveNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            // "*.*" means every file, also those whose names have no dot.
            if (pattern == QLatin1String("*.*")) {
                patterns << QStringLiteral("*");
                continue;
            }
            QString folded;
            for (const QChar c : pattern) {
                if (c.isLetter() && c.toLower() != c.toUpper())
                    folded += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
                else
                    folded += c;
            }
            patterns << folded;
        }
        result << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                      QLatin1Char(')');
    }
    return result;
}

bool listedAsProgram(const QFileInfo& file)
{
    return file.isDir() || file.isExecutable() ||
           file.fileName().endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive);
}

namespace {

// Lets through what listedAsProgram accepts.
class ProgramFilter final : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        return !files || listedAsProgram(files->fileInfo(files->index(row, 0, parent)));
    }
};

} // namespace

QString picturesFolder()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return pictures;
    return QDir::homePath();
}

std::optional<OpenFileResult> DesktopFileDialog::openFile(QWidget* parent,
                                                          const OpenFileRequest& request)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (request.executablesOnly)
        dialog.setProxyModel(new ProgramFilter(&dialog));
    const QStringList filters = caseInsensitiveNameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    if (!request.initialFile.isEmpty()) {
        const QFileInfo info(request.initialFile);
        dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    } else if (!request.initialFolder.isEmpty()) {
        dialog.setDirectory(request.initialFolder);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    OpenFileResult result;
    result.path = QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath();
    result.filterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (result.filterIndex < 1)
        result.filterIndex = 1;
    return result;
}

} // namespace jf
