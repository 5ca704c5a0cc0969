// A compressed SVG that inflates to about 1.5 GB from a file of about
// 1.5 MB: how long the program takes to refuse it and the peak memory of a
// process that does, against `gzip -dc` inflating the same file to nothing
// in the same run. A plain SVG of the same drawing is loaded for comparison.
//
//   bench_svg [runs]
//   bench_svg load <file>   (one load in a fresh process; prints peak KB)
#include "BenchSupport.h"
#include "Errors.h"
#include "Picture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>
#include <zlib.h>

using jfbench::median;
using jfbench::peakKb;

namespace {

const QByteArray drawing("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\">"
                         "<!--PAD--><rect width=\"50\" height=\"100\" fill=\"#0000ff\"/></svg>");

// Writes the drawing with `padding` blanks in its comment, gzip-compressed,
// streaming so that the padding never sits in memory.
bool writeBomb(const QString& path, qint64 padding)
{
    gzFile out = gzopen(QFile::encodeName(path).constData(), "wb9");
    if (!out)
        return false;
    const qsizetype cut = drawing.indexOf("<!--PAD--") + 4;
    gzwrite(out, drawing.constData(), unsigned(cut));
    const QByteArray blanks(1024 * 1024, ' ');
    for (qint64 left = padding; left > 0; left -= blanks.size())
        gzwrite(out, blanks.constData(), unsigned(std::min<qint64>(left, blanks.size())));
    gzwrite(out, drawing.constData() + cut, unsigned(drawing.size() - cut));
    return gzclose(out) == Z_OK;
}

double timeLoad(const QString& path, QString* failure)
{
    QElapsedTimer timer;
    timer.start();
    try {
        jf::loadPicture(path);
    } catch (const jf::Error& e) {
        *failure = e.message();
    }
    return double(timer.nsecsElapsed()) / 1e6;
}

long loadPeakKb(const QString& path)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("load"), path});
    child.waitForFinished(-1);
    return child.readAllStandardOutput().trimmed().toLong();
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "load") {
        try {
            jf::loadPicture(QFile::decodeName(argv[2]));
        } catch (const jf::Error&) {
        }
        std::printf("%ld\n", peakKb());
        return 0;
    }
    const int runs = argc >= 2 ? std::max(3, atoi(argv[1])) : 5;
    QTemporaryDir work;
    const QString bomb = work.filePath(QStringLiteral("bomb.svg"));
    const QString plain = work.filePath(QStringLiteral("plain.svg"));
    if (!writeBomb(bomb, 1536LL * 1024 * 1024))
        return 1;
    QFile small(plain);
    if (!small.open(QIODevice::WriteOnly))
        return 1;
    small.write(QByteArray(drawing).replace("<!--PAD-->", ""));
    small.close();

    std::vector<double> ours, gzip;
    QString failure;
    for (int run = 0; run < runs; ++run) {
        ours.push_back(timeLoad(bomb, &failure));
        QElapsedTimer timer;
        timer.start();
        QProcess zcat;
        zcat.setStandardOutputFile(QProcess::nullDevice());
        zcat.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), bomb});
        zcat.waitForFinished(-1);
        gzip.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    QString none;
    const double plainMs = timeLoad(plain, &none);
    std::printf("compressed SVG of %lld bytes inflating to 1.5 GB: refused in median %.1f ms "
                "over %d runs (\"%s\")\n",
                QFile(bomb).size(), median(ours), runs, qPrintable(failure));
    std::printf("gzip -dc inflating the same file to nothing:        median %.1f ms\n",
                median(gzip));
    std::printf("ratio: %.3f\n", median(ours) / median(gzip));
    std::printf("peak resident of a process refusing it: %ld KB; loading the plain drawing "
                "(%.1f ms): %ld KB\n",
                loadPeakKb(bomb), plainMs, loadPeakKb(plain));
    return 0;
}
