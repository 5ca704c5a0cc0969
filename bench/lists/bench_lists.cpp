// Long favourites lists: 100 000 entries (the most a list holds) in each of
// the four list files, loaded and shown the way start-up does, then changed
// and saved the way a close does. Compared with `cat` reading the same four
// files and writing copies of them, in the same run. Then the memory the
// shown lists take, against a start-up with empty lists, and a start-up with
// a names file of 8 MB of bare line feeds (over the entry ceiling: refused).
//
//   bench_lists [runs] [entries]
#include "AppController.h"
#include "BenchSupport.h"
#include "Favourites.h"
#include "Platform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using jfbench::median;
using jfbench::peakKb;

namespace {

const char* const listFiles[] = {"ProgramsNames.txt", "ProgramsPaths.txt", "PicturesNames.txt",
                                 "PicturesPaths.txt"};

void writeLists(const QString& data, int entries)
{
    for (const char* name : listFiles) {
        QByteArray content;
        const bool paths = QByteArray(name).contains("Paths");
        for (int i = 0; i < entries; ++i) {
            content += paths ? "/home/someone/Pictures/Covers/Album number " : "Album number ";
            content += QByteArray::number(i);
            content += paths ? ".jpg\r\n" : "\r\n";
        }
        QFile f(data + "/" + name);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(content);
    }
}

// cat reads the four files and writes a copy of each.
double timeCat(const QString& data)
{
    QElapsedTimer timer;
    timer.start();
    for (const char* name : listFiles) {
        QProcess cat;
        cat.setStandardOutputFile(data + "/" + name + ".copy");
        cat.start(QStringLiteral("cat"), {data + "/" + name});
        cat.waitForFinished();
    }
    return double(timer.nsecsElapsed()) / 1e6;
}

// Failures are counted, not shown: a message box would wait for a click.
class QuietMessages final : public jf::MessageService
{
public:
    int errors = 0;
    void showError(const QString&) override { ++errors; }
    void showMessage(const QString&) override {}
    bool askYesNo(const QString&) override { return false; }
};

} // namespace

// The peak resident size of a fresh process that starts up with the Data
// folder `data` as it stands, in KB: "bench_lists resident <data>" prints it.
static long startUpPeakKb(const QString& data)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("resident"), data});
    child.waitForFinished(-1);
    return child.readAllStandardOutput().trimmed().toLong();
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "resident") {
        QuietMessages quiet;
        jf::platform().messages = &quiet;
        QDir::setCurrent(QFile::decodeName(argv[2]) + "/..");
        jf::AppController controller;
        std::printf("%ld\n", peakKb());
        return 0;
    }
    const int runs = argc >= 2 ? std::max(3, atoi(argv[1])) : 7;
    const int entries = argc >= 3 ? atoi(argv[2]) : 100000;
    QuietMessages quiet;
    jf::platform().messages = &quiet;
    const QString source = qEnvironmentVariable("JF_SOURCE_DIR");

    QTemporaryDir work;
    const QString data = work.path() + "/Data";
    QDir().mkpath(data);
    for (const QString& name : QDir(source + "/data").entryList(QDir::Files))
        QFile::copy(source + "/data/" + name, data + "/" + name);
    QDir::setCurrent(work.path());

    std::vector<double> ours, cat;
    for (int run = 0; run < runs; ++run) {
        writeLists(data, entries);
        QElapsedTimer timer;
        timer.start();
        {
            // Start-up reads every data file and fills the lists; one entry
            // added to each list makes the close write all four files.
            jf::AppController controller;
            controller.workspace().programs.append(QStringLiteral("New"), QStringLiteral("/new"));
            controller.workspace().pictures.append(QStringLiteral("New"), QStringLiteral("/n.jpg"));
            jf::saveFavourites(controller.workspace());
        }
        ours.push_back(double(timer.nsecsElapsed()) / 1e6);
        cat.push_back(timeCat(data));
    }
    const double a = median(ours);
    const double b = median(cat);
    std::printf("%d entries in each list file\n", entries);
    std::printf("start-up with the lists shown, then saving all four: median %.1f ms over %d runs "
                "(goal: under 1000 ms)\n",
                a, runs);
    std::printf("cat reading and copying the same four files:           median %.1f ms\n", b);
    std::printf("ratio: %.2f\n", a / b);

    // Memory: the peak of a fresh start-up, with the lists and without.
    writeLists(data, 0);
    const long emptyKb = startUpPeakKb(data);
    writeLists(data, entries);
    const long fullKb = startUpPeakKb(data);
    std::printf("start-up peak resident with the four lists: %ld KB; with empty lists: %ld KB; "
                "%.0f bytes per entry (goal: under 200 MB in all)\n",
                fullKb, emptyKb, double(fullKb - emptyKb) * 1024.0 / (4.0 * entries));

    // 8 MB of bare line feeds: over the entry ceiling, refused.
    writeLists(data, 0);
    {
        QFile f(data + "/PicturesNames.txt");
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(QByteArray(8 * 1024 * 1024, '\n'));
    }
    QElapsedTimer timer;
    timer.start();
    const int failuresBefore = quiet.errors;
    {
        jf::AppController controller;
    }
    const double feedsMs = double(timer.nsecsElapsed()) / 1e6;
    std::printf("start-up with 8 MB of bare line feeds as a list: %.1f ms, peak resident %ld KB, "
                "%d failure(s) reported\n",
                feedsMs, startUpPeakKb(data), quiet.errors - failuresBefore);
    return 0;
}
