// Prints a DVD cover (270 x 184 mm) from a large JPEG to a PDF file through
// the real cover print job, timed from the moment the printer-setup dialog is
// confirmed until the page has been written, and runs
// `img2pdf --imgsize 270mmx184mm --fit exact` on the same JPEG for
// comparison. Each side runs in its own child process so that its peak
// resident memory can be read from the kernel.
//
//   bench_print [--runs N] [--keep DIR] [--tagged] [--fill] [JPEG]
//   bench_print --sheet [--runs N] [--keep DIR]
//   bench_print --make-jpeg PATH     (6000 x 4000, quality 90)
// --sheet prints a sheet of four covers (CD Front, CD Inside, CD Back, CD
// Disk: two A4 pages) from four such JPEGs through "Print Sheet", against
// img2pdf on the same four files.
// --tagged prints (and hands img2pdf) the JPEG with a Display P3 profile
// embedded, as phones tag their photos: both carry it into the PDF.
// --fill prints the cover in "Fill Cover", cropped and zoomed: the JPEG
// still goes in as it is, so the goal is half img2pdf's time.
#include "CoverNames.h"
#include "CoverPrintJob.h"
#include "CurrentPrinter.h"
#include "Picture.h"
#include "Platform.h"
#include "SheetPrinting.h"
#include "TaggedJpeg.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class ConfirmingSetup : public jf::PrinterSetupService
{
public:
    Clock::time_point confirmedAt;
    bool run(QWidget*, QPrinter&) override
    {
        confirmedAt = Clock::now();
        return true;
    }
};

int makeJpeg(const QString& path, quint32 seed = 42)
{
    QImage image(6000, 4000, QImage::Format_RGB32);
    QRandomGenerator noise(seed);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(noise.bounded(24u));
            row[x] = qRgb((x * 255 / 6000 + n) & 0xff, (y * 255 / 4000 + n) & 0xff,
                          ((x ^ y) / 16 + n) & 0xff);
        }
    }
    if (!image.save(path, "JPEG", 90)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}

// Prints to an A4 PDF file without margins as `print` does it, confirming
// the setup at once; writes the confirm-to-written time in milliseconds to
// stdout.
int timePrint(const QString& pdf, QPageLayout::Orientation orientation,
              const std::function<void()>& print)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdf);
    printer->setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), orientation, QMarginsF(0, 0, 0, 0)));
    jf::currentPrinter().replace(std::move(printer));
    ConfirmingSetup setup;
    jf::platform().printerSetup = &setup;
    print();
    const double ms =
        std::chrono::duration<double, std::milli>(Clock::now() - setup.confirmedAt).count();
    std::printf("%.1f\n", ms);
    jf::platform().printerSetup = nullptr;
    jf::currentPrinter().replace(nullptr);
    return 0;
}

// One print job in this (child) process; writes the confirm-to-written time
// in milliseconds to stdout.
int childJob(int argc, char** argv, const QString& jpeg, const QString& pdf, bool fill)
{
    QApplication app(argc, argv);
    const jf::Picture picture = jf::loadPicture(jpeg);
    // Shown in the preview first, as the program always shows it.
    picture.scaledTo(QSize(356, 243));
    jf::BorderColourMemory border;
    const jf::Placement placement =
        fill ? jf::Placement{jf::PictureFit::Fill, {0.45, 0.55, 1.5}} : jf::Placement();
    return timePrint(pdf, QPageLayout::Landscape, [&] {
        jf::printCover(nullptr,
                       {QStringLiteral("184"), QStringLiteral("270"), picture, 2,
                        QStringLiteral("Red"), QStringLiteral("DVD"), placement},
                       border);
    });
}

// "Print Sheet" of four covers in this (child) process, their pictures
// loaded as the sheet holds them; writes the confirm-to-written time.
int childSheet(int argc, char** argv, const QStringList& jpegs, const QString& pdf)
{
    QApplication app(argc, argv);
    jf::SheetPictures pictures;
    QList<jf::SheetEntry> entries;
    const int kinds[] = {5, 6, 7, 8};
    const double sizes[][2] = {{121, 121}, {120, 120}, {151, 118}, {117, 117}};
    for (int i = 0; i < 4; ++i) {
        pictures.keep(jpegs[i], jf::loadPicture(jpegs[i]));
        entries.append({kinds[i], sizes[i][0], sizes[i][1], jpegs[i]});
    }
    return timePrint(pdf, QPageLayout::Portrait, [&] {
        jf::printSheet(nullptr, entries, {jf::defaultCoverNames(), 2, Qt::red, true}, pictures,
                       nullptr);
    });
}

struct Measured
{
    double ms = 0;     // wall time of the whole child, or what it reported
    double peakMb = 0; // peak resident memory of the child
    bool ok = false;
};

// Runs argv in a child; its stdout (first line) is returned in `out`.
Measured runChild(const std::vector<std::string>& args, std::string* out)
{
    Measured m;
    int pipeFd[2];
    if (pipe(pipeFd) != 0)
        return m;
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFd[1], 1);
        close(pipeFd[0]);
        close(pipeFd[1]);
        std::vector<char*> cargs;
        for (const auto& a : args)
            cargs.push_back(const_cast<char*>(a.c_str()));
        cargs.push_back(nullptr);
        execvp(cargs[0], cargs.data());
        _exit(127);
    }
    close(pipeFd[1]);
    std::string text;
    char buf[256];
    ssize_t n;
    while ((n = read(pipeFd[0], buf, sizeof buf)) > 0)
        text.append(buf, std::size_t(n));
    close(pipeFd[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    m.ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    m.peakMb = double(usage.ru_maxrss) / 1024.0;
    m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (out)
        *out = text;
    return m;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The times (ms) and peak memories (MB) of the runs of this program and of
// img2pdf.
struct Runs
{
    std::vector<double> ourMs, ourMb, refMs, refMb;
};

// Runs this program's child, which prints its own time, then img2pdf, and
// keeps both; false, with a message, when either fails.
bool runPair(const std::vector<std::string>& ours, const char* ourWhat,
             const std::vector<std::string>& reference, Runs& runs)
{
    std::string out;
    const Measured our = runChild(ours, &out);
    if (!our.ok) {
        std::fprintf(stderr, "%s failed\n", ourWhat);
        return false;
    }
    runs.ourMs.push_back(std::atof(out.c_str()));
    runs.ourMb.push_back(our.peakMb);
    const Measured theirs = runChild(reference, nullptr);
    if (!theirs.ok) {
        std::fprintf(stderr, "img2pdf failed (installed?)\n");
        return false;
    }
    runs.refMs.push_back(theirs.ms);
    runs.refMb.push_back(theirs.peakMb);
    return true;
}

} // namespace

// Four 24-megapixel JPEGs on a sheet of four covers, against img2pdf on the
// same four files: at most 1.2 times as long, under 300 MB.
int benchSheet(const std::string& self, const QString& dir, int runs)
{
    QStringList jpegs;
    for (int i = 0; i < 4; ++i) {
        jpegs << dir + QStringLiteral("/photo-%1.jpg").arg(i + 1);
        if (!QFileInfo::exists(jpegs.last()) && makeJpeg(jpegs.last(), quint32(42 + i)) != 0)
            return 1;
    }
    std::printf("sheet of four covers from four 6000 x 4000 JPEGs, %d runs each\n", runs);
    Runs measured;
    auto& [ourMs, ourMb, refMs, refMb] = measured;
    for (int r = 0; r < runs; ++r) {
        const QString ourPdf = dir + QStringLiteral("/sheet-%1.pdf").arg(r);
        std::vector<std::string> args{self, "--child-sheet", ourPdf.toStdString()};
        const QString refPdf = dir + QStringLiteral("/img2pdf-sheet-%1.pdf").arg(r);
        std::vector<std::string> ref{"img2pdf", "-o", refPdf.toStdString()};
        for (const QString& jpeg : jpegs) {
            args.push_back(jpeg.toStdString());
            ref.push_back(jpeg.toStdString());
        }
        if (!runPair(args, "sheet print", ref, measured))
            return 1;
        std::printf("run %d: jacketforge %.0f ms, %.0f MB peak, %.1f MB PDF | img2pdf %.0f ms, "
                    "%.0f MB peak\n",
                    r + 1, ourMs.back(), ourMb.back(), double(QFileInfo(ourPdf).size()) / 1e6,
                    refMs.back(), refMb.back());
    }
    const double ratio = median(ourMs) / median(refMs);
    const double peak = *std::max_element(ourMb.begin(), ourMb.end());
    std::printf("median: jacketforge %.0f ms (confirm to written) vs img2pdf %.0f ms: %.2fx "
                "(goal <= 1.2x) %s\n",
                median(ourMs), median(refMs), ratio, ratio <= 1.2 ? "OK" : "OVER");
    std::printf("peak memory: jacketforge %.0f MB (goal < 300 MB) %s\n", peak,
                peak < 300 ? "OK" : "OVER");
    return 0;
}

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    if (args.size() == 2 && args[0] == QLatin1String("--make-jpeg"))
        return makeJpeg(args[1]);
    if (args.size() >= 3 && args[0] == QLatin1String("--child"))
        return childJob(argc, argv, args[1], args[2], args.size() > 3);
    if (args.size() == 6 && args[0] == QLatin1String("--child-sheet"))
        return childSheet(argc, argv, args.mid(2), args[1]);

    int runs = 3;
    QString keep;
    QString jpeg;
    bool tagged = false;
    bool sheet = false;
    bool fill = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--tagged"))
            tagged = true;
        else if (args[i] == QLatin1String("--sheet"))
            sheet = true;
        else if (args[i] == QLatin1String("--fill"))
            fill = true;
        else if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--keep") && i + 1 < args.size())
            keep = args[++i];
        else
            jpeg = args[i];
    }
    QTemporaryDir temp;
    const QString dir = keep.isEmpty() ? temp.path() : keep;
    QDir().mkpath(dir);
    if (sheet)
        return benchSheet(argv[0], dir, runs);
    if (jpeg.isEmpty()) {
        jpeg = dir + QStringLiteral("/photo-24mp.jpg");
        std::printf("making a 6000 x 4000 JPEG: %s\n", qPrintable(jpeg));
        if (makeJpeg(jpeg) != 0)
            return 1;
    }
    if (tagged) {
        QFile source(jpeg);
        const QString taggedJpeg = dir + QStringLiteral("/photo-display-p3.jpg");
        QFile out(taggedJpeg);
        if (!source.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) ||
            out.write(jfbench::withDisplayP3Profile(source.readAll())) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(taggedJpeg));
            return 1;
        }
        jpeg = taggedJpeg;
        std::printf("tagged with a Display P3 profile\n");
    }
    std::printf("JPEG %s (%.1f MB), DVD cover 270 x 184 mm%s, %d runs each\n", qPrintable(jpeg),
                double(QFileInfo(jpeg).size()) / 1e6, fill ? ", filled and cropped" : "", runs);

    const std::string self = argv[0];
    Runs measured;
    auto& [ourMs, ourMb, refMs, refMb] = measured;
    for (int r = 0; r < runs; ++r) {
        const QString ourPdf = dir + QStringLiteral("/jacketforge-%1.pdf").arg(r);
        std::vector<std::string> child{self, "--child", jpeg.toStdString(), ourPdf.toStdString()};
        if (fill)
            child.push_back("fill");
        const QString refPdf = dir + QStringLiteral("/img2pdf-%1.pdf").arg(r);
        if (!runPair(child, "print job",
                     {"img2pdf", "--imgsize", "270mmx184mm", "--fit", "exact", "-o",
                      refPdf.toStdString(), jpeg.toStdString()},
                     measured))
            return 1;
        std::printf("run %d: jacketforge %.0f ms, %.0f MB peak, %.1f MB PDF | img2pdf %.0f ms, "
                    "%.0f MB peak, %.1f MB PDF\n",
                    r + 1, ourMs.back(), ourMb.back(), double(QFileInfo(ourPdf).size()) / 1e6,
                    refMs.back(), refMb.back(), double(QFileInfo(refPdf).size()) / 1e6);
    }
    const double timeRatio = median(ourMs) / median(refMs);
    const double goal = fill ? 0.5 : 1.2;
    const double peak = *std::max_element(ourMb.begin(), ourMb.end());
    std::printf("median: jacketforge %.0f ms (confirm to written) vs img2pdf %.0f ms (whole "
                "process): %.2fx (goal <= %.1fx) %s\n",
                median(ourMs), median(refMs), timeRatio, goal, timeRatio <= goal ? "OK" : "OVER");
    std::printf("peak memory: jacketforge %.0f MB (whole process) vs img2pdf %.0f MB: %.2fx "
                "(goal < 150 MB) %s\n",
                peak, median(refMb), peak / median(refMb), peak < 150 ? "OK" : "OVER");
    return 0;
}
