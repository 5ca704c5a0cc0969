#pragma once

#include <QObject>
#include <QString>

class QMimeData;
class QWidget;

namespace jf {

// The main window's picture dialog, shared by "Import Image" and the picture
// list's "Add Image", and the files dropped on the window. The dialog offers
// the picture types the program reads and reopens on the file chosen last,
// also when that file was dropped or named on the command line; before the
// first, it opens in the user's pictures folder.
class PictureChooser : public QObject
{
    Q_OBJECT

public:
    // Takes the drops on `window`, which owns it, and runs the dialog over it.
    explicit PictureChooser(QWidget* window);

    // Runs the dialog: the path chosen, empty on cancel.
    QString choose();
    // The dialog reopens on `path`, a picture that came from elsewhere.
    void remember(const QString& path) { m_fileName = path; }

    // The picture a drag carries: the first local file among its data, empty
    // when there is none.
    static QString droppedFile(const QMimeData* data);

signals:
    // A drag carrying a local file was dropped on the window; the file loads
    // as if chosen in the dialog.
    void dropped(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    QString m_filter = QStringLiteral(
        "Bitmap|*.bmp|Graphic|*.jpg;*.jpeg;*.jpe|PNG|*.png|WebP|*.webp|TIFF|*.tif;*.tiff|"
        "GIF|*.gif|SVG|*.svg|HEIC|*.heic;*.heif|Other|*.*");
    int m_filterIndex = 1;
    QString m_fileName;
};

} // namespace jf
