// Draws the window pictures that ship in resources/: the main window's
// background and panel, the two cover-kind button tabs and the preview
// placeholder, each also at twice the size ("@2x") for screens of two device
// pixels a pixel. Run once after changing a drawing; the results are
// committed.
//
//   make_pictures <output folder>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

const QColor frameBlack(18, 18, 20);
const QColor outline(92, 74, 50);
const QColor panelBeige(239, 230, 210);

QPainterPath roundedRect(const QRectF& r, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

// Each drawing is made on its designed grid and mapped onto an image of
// `size`, by default the grid's own.
QImage canvas(const QSize& grid, QSize size, QImage::Format format)
{
    if (size.isEmpty())
        size = grid;
    QImage img(size, format);
    img.setDevicePixelRatio(1);
    return img;
}

void mapGrid(QPainter& p, const QSize& grid, const QImage& img)
{
    if (img.size() != grid)
        p.scale(qreal(img.width()) / grid.width(), qreal(img.height()) / grid.height());
}

QImage background(QSize size = QSize())
{
    // The window is a plain rectangle: its corners are part of the frame.
    const QSize grid(700, 500);
    QImage img = canvas(grid, size, QImage::Format_RGB32);
    img.fill(frameBlack);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    mapGrid(p, grid, img);

    // Title strip.
    QLinearGradient title(0, 3, 0, 33);
    title.setColorAt(0, QColor(238, 234, 226));
    title.setColorAt(1, QColor(222, 216, 204));
    p.fillPath(roundedRect(QRectF(3, 3, 694, 31), 11), title);

    // Main area.
    QLinearGradient face(0, 37, 0, 497);
    face.setColorAt(0, QColor(250, 248, 243));
    face.setColorAt(1, QColor(240, 237, 229));
    p.fillPath(roundedRect(QRectF(3, 37, 694, 460), 11), face);

    // A quiet rule under the command labels.
    p.setPen(QPen(QColor(205, 198, 184), 1));
    p.drawLine(QPointF(129, 75.5), QPointF(680, 75.5));
    return img;
}

QImage panel(QSize size = QSize())
{
    const QSize grid(500, 380);
    QImage img = canvas(grid, size, QImage::Format_RGB32);
    img.fill(QColor(245, 242, 235));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    mapGrid(p, grid, img);
    // Square corners on the left, where the selected button joins the panel;
    // rounded corners on the right.
    QPainterPath path;
    const QRectF r(0.5, 0.5, 499, 379);
    const qreal radius = 12;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - radius, r.top());
    path.arcTo(QRectF(r.right() - 2 * radius, r.top(), 2 * radius, 2 * radius), 90, -90);
    path.lineTo(r.right(), r.bottom() - radius);
    path.arcTo(QRectF(r.right() - 2 * radius, r.bottom() - 2 * radius, 2 * radius, 2 * radius), 0,
               -90);
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    QLinearGradient fill(0, 0, 0, 380);
    fill.setColorAt(0, QColor(242, 234, 216));
    fill.setColorAt(1, QColor(233, 223, 200));
    p.fillPath(path, fill);
    p.setPen(QPen(outline, 1));
    p.drawPath(path);
    return img;
}

QImage buttonTab(bool selected, QSize size = QSize())
{
    const QSize grid(122, 30);
    QImage img = canvas(grid, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    mapGrid(p, grid, img);
    const qreal radius = 7;
    if (!selected) {
        const QRectF r(1.5, 1.5, 118, 27);
        QLinearGradient fill(0, 0, 0, 30);
        fill.setColorAt(0, QColor(255, 253, 249));
        fill.setColorAt(1, QColor(232, 226, 214));
        p.fillPath(roundedRect(r, radius), fill);
        p.setPen(QPen(outline, 1));
        p.drawPath(roundedRect(r, radius));
    } else {
        // Open on the right, in the panel's colour, so the tab joins the panel.
        QPainterPath path;
        const QRectF r(0.5, 0.5, 125, 29);
        path.moveTo(122, r.top());
        path.lineTo(r.left() + radius, r.top());
        path.arcTo(QRectF(r.left(), r.top(), 2 * radius, 2 * radius), 90, 90);
        path.lineTo(r.left(), r.bottom() - radius);
        path.arcTo(QRectF(r.left(), r.bottom() - 2 * radius, 2 * radius, 2 * radius), 180, 90);
        path.lineTo(122, r.bottom());
        QPainterPath filled = path;
        filled.closeSubpath();
        p.fillPath(filled, QColor(242, 234, 216));
        p.setPen(QPen(outline, 1));
        p.drawPath(path);
    }
    return img;
}

QImage placeholder(QSize size = QSize())
{
    const QSize grid(431, 363);
    QImage img = canvas(grid, size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    mapGrid(p, grid, img);
    p.setPen(QPen(Qt::black, 2));
    p.drawRect(QRectF(1, 1, 429, 361));
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(78);
    font.setBold(true);
    p.setFont(font);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.drawText(QRect(QPoint(0, 0), grid), Qt::AlignCenter, QStringLiteral("PREVIEW"));
    return img;
}

bool save(const QImage& img, const QString& path, const char* format, int quality = -1)
{
    if (!img.save(path, format, quality)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// The pictures are stored at the size of the control that shows them (the
// window 701 x 500, the panel 501 x 390, the preview box 356 x 276), so that
// starting the program only decodes them. The 1x set is drawn on the
// designed grid and stretched as the window would stretch it; the 2x set is
// drawn straight at its size, so no stretch softens its lines.
QImage stretched(const QImage& img, int width, int height)
{
    return img.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pictures <output folder>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    const bool ok =
        save(stretched(background(), 701, 500), out + "background.jpg", "JPEG", 95) &&
        save(stretched(panel(), 501, 390), out + "panel.jpg", "JPEG", 95) &&
        save(buttonTab(false), out + "button-up.png", "PNG") &&
        save(buttonTab(true), out + "button-down.png", "PNG") &&
        save(stretched(placeholder(), 356, 276), out + "preview-empty.jpg", "JPEG", 92) &&
        save(background(QSize(1402, 1000)), out + "background@2x.jpg", "JPEG", 95) &&
        save(panel(QSize(1002, 780)), out + "panel@2x.jpg", "JPEG", 95) &&
        save(buttonTab(false, QSize(244, 60)), out + "button-up@2x.png", "PNG") &&
        save(buttonTab(true, QSize(244, 60)), out + "button-down@2x.png", "PNG") &&
        save(placeholder(QSize(712, 552)), out + "preview-empty@2x.jpg", "JPEG", 92);
    return ok ? 0 : 1;
}
