// Measures what importing a picture into the preview costs.
//
//   bench_preview --make-ppm OUT.ppm WIDTH HEIGHT  photo-like test picture
//   bench_preview --make-bomb SMALL.jpg OUT.jpg    SMALL claiming 65500 x 65500
//   bench_preview --tag IN.jpg OUT.jpg             IN with a Display P3 profile
//   bench_preview --preview FILE.jpg [RUNS]        loadPicture + scaledTo(356 x 243)
//   bench_preview --bomb FILE.jpg                  time until the load is refused
//   bench_preview --crop FILE.jpg [STEPS]          one crop step redrawn in the preview
#include "BenchSupport.h"
#include "Errors.h"
#include "Picture.h"
#include "PicturePreview.h"
#include "TaggedJpeg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

const QSize kPreview(356, 243);

// A field of /proc/self/status in kB.
long statusKb(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const size_t n = std::strlen(field);
    while (std::getline(in, line))
        if (line.compare(0, n, field) == 0 && line.size() > n && line[n] == ':')
            return std::atol(line.c_str() + n + 1);
    return -1;
}

// Starts a new peak RSS measurement from the current RSS (Linux 4.0+).
bool resetPeakRss()
{
    std::ofstream out("/proc/self/clear_refs");
    out << "5";
    return bool(out.flush());
}

int makePpm(const char* path, int width, int height)
{
    std::FILE* f = std::fopen(path, "wb");
    if (!f)
        return 1;
    std::fprintf(f, "P6\n%d %d\n255\n", width, height);
    std::string row(size_t(width) * 3, '\0');
    QRandomGenerator random(42);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // Smooth light, some texture and sensor-like noise.
            const double fx = x / double(width), fy = y / double(height);
            const double texture =
                18 * std::sin(x * 0.07 + std::sin(y * 0.013) * 9) * std::cos(y * 0.05 + fx * 6);
            const int noise = int(random.bounded(15u)) - 7;
            const auto clamp = [](double v) { return char(std::clamp(int(v), 0, 255)); };
            row[size_t(x) * 3] = clamp(60 + 150 * fx + texture + noise);
            row[size_t(x) * 3 + 1] = clamp(80 + 100 * fy - texture + noise);
            row[size_t(x) * 3 + 2] = clamp(200 - 120 * fx * fy + texture / 2 + noise);
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    return std::fclose(f) == 0 ? 0 : 1;
}

int makeBomb(const char* small, const char* out)
{
    QFile in(QString::fromLocal8Bit(small));
    if (!in.open(QIODevice::ReadOnly))
        return 1;
    QByteArray bytes = in.readAll();
    for (qsizetype i = 2; i + 8 < bytes.size(); ++i) {
        const uchar m = uchar(bytes[i + 1]);
        if (uchar(bytes[i]) == 0xff && (m == 0xc0 || m == 0xc1 || m == 0xc2)) {
            bytes[i + 5] = bytes[i + 7] = char(0xff);
            bytes[i + 6] = bytes[i + 8] = char(0xdc); // 65500
            QFile o(QString::fromLocal8Bit(out));
            return o.open(QIODevice::WriteOnly) && o.write(bytes) == bytes.size() ? 0 : 1;
        }
    }
    return 1;
}

int tag(const char* in, const char* out)
{
    QFile source(QString::fromLocal8Bit(in));
    if (!source.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray tagged = jfbench::withDisplayP3Profile(source.readAll());
    QFile o(QString::fromLocal8Bit(out));
    return o.open(QIODevice::WriteOnly) && o.write(tagged) == tagged.size() ? 0 : 1;
}

int preview(const QString& path, int runs)
{
    resetPeakRss();
    const long idleKb = statusKb("VmHWM");
    {
        const jf::Picture picture = jf::loadPicture(path);
        if (picture.scaledTo(kPreview).size() != kPreview)
            return 1;
    }
    const long peakKb = statusKb("VmHWM");

    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        const jf::Picture picture = jf::loadPicture(path);
        const QImage image = picture.scaledTo(kPreview);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        if (image.size() != kPreview)
            return 1;
        best = std::min(best, ms);
    }
    std::printf("preview_best_ms %.1f\n", best);
    std::printf("idle_peak_rss_mb %.1f\n", double(idleKb) / 1024.0);
    std::printf("preview_peak_rss_above_idle_mb %.1f\n", double(peakKb - idleKb) / 1024.0);
    return 0;
}

int bomb(const QString& path)
{
    QElapsedTimer timer;
    timer.start();
    try {
        jf::loadPicture(path);
    } catch (const jf::Error& e) {
        std::printf("bomb_refused_ms %.1f\nbomb_message %s\n", double(timer.nsecsElapsed()) / 1e6,
                    e.what());
        return 0;
    }
    std::printf("bomb was loaded\n");
    return 1;
}

// The cover preview of a DVD cover filled from the picture, zoomed to 2:
// each arrow key moves the crop one step and the preview is drawn again, as
// the screen would; the median of `steps` such steps.
int crop(int argc, char** argv, const QString& path, int steps)
{
    QApplication app(argc, argv);
    jf::PicturePreview preview;
    preview.resize(356, 243);
    preview.setCoverSize(QSizeF(1026, 699));
    preview.setFit(jf::PictureFit::Fill);
    preview.showPicture(jf::loadPicture(path), QStringLiteral("photo.jpg"));
    QImage screen(preview.size(), QImage::Format_ARGB32_Premultiplied);
    const auto draw = [&] {
        QPainter painter(&screen);
        preview.render(&painter);
    };
    const auto key = [&](int code) {
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier);
        QApplication::sendEvent(&preview, &press);
    };
    draw();
    key(Qt::Key_Plus);
    key(Qt::Key_Plus);
    key(Qt::Key_Plus);
    draw();
    // The sharper copy for the new zoom is made once zooming pauses.
    QEventLoop pause;
    QTimer::singleShot(400, &pause, &QEventLoop::quit);
    pause.exec();
    draw();
    std::vector<double> ms;
    for (int i = 0; i < steps; ++i) {
        QElapsedTimer timer;
        timer.start();
        key(i % 20 < 10 ? Qt::Key_Right : Qt::Key_Left);
        draw();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("crop_zoom %.2f\ncrop_step_median_ms %.2f\n", preview.placement().crop.zoom,
                jfbench::median(ms));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    try {
        if (mode == "--make-ppm" && argc == 5)
            return makePpm(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
        if (mode == "--make-bomb" && argc == 4)
            return makeBomb(argv[2], argv[3]);
        if (mode == "--tag" && argc == 4)
            return tag(argv[2], argv[3]);
        if (mode == "--preview" && argc >= 3)
            return preview(QString::fromLocal8Bit(argv[2]), argc > 3 ? std::atoi(argv[3]) : 5);
        if (mode == "--bomb" && argc == 3)
            return bomb(QString::fromLocal8Bit(argv[2]));
        if (mode == "--crop" && argc >= 3)
            return crop(argc, argv, QString::fromLocal8Bit(argv[2]),
                        argc > 3 ? std::atoi(argv[3]) : 50);
    } catch (const jf::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: see the top of bench_preview.cpp\n");
    return 2;
}
