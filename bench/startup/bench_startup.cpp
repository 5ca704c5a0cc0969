// Start-up to the first painted frame: Jacketforge's main window against a
// bare Qt window of the same size, started the same way in the same run. A
// third window of that size, started as the program starts, shows the main
// window's captions in their fonts and nothing else: what drawing that text
// at all costs a start here, beside the bare window that draws none.
//
//   bench_startup [runs]        run the comparison (needs the Data folder of
//                               the source tree, found through JF_SOURCE_DIR
//                               or the path compiled in)
//   bench_startup --child bare|app|captions   one start, used by the comparison

#include "AppController.h"
#include "Application.h"
#include "CommandLine.h"
#include "DataFolder.h"
#include "Fonts.h"
#include "OneProgram.h"
#include "WindowLook.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace {

class FirstPaint : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

// The child's peak resident memory, for the parent to read.
void reportPeakMemory()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("peak-kb %ld\n", usage.ru_maxrss);
    std::fflush(stdout);
}

// The text of the main window's first frame, in its fonts: the captions as
// its form and the shipped Data folder have them.
struct Captions
{
    QFont font;
    QStringList texts;
};
QList<Captions> mainWindowCaptions()
{
    return {{jf::captionFont(17, true, true),
             {"DVD", "Slim DVD", "Large DVD", "DVD Inside", "CD Front", "CD Inside", "CD Back",
              "CD Disk"}},
            {jf::captionFont(16, true), {"Vastel - Jacketforge v1.20"}},
            {jf::captionFont(21, true), {"Printer Setup", "Print Cover", "Settings", "Help"}},
            {jf::captionFont(13, true),
             {"Import Image", "Dispose Image", "View Image", "Save Settings", "Default Settings"}},
            {jf::captionFont(11, true),
             {"Your Images", "Add", "Delete", "Your Programs", "Add", "Delete"}},
            {jf::captionFont(21, false), {"Close"}},
            {jf::captionFont(20, true, false, QStringLiteral("Arial Black")), {"X"}},
            {jf::windowFont(), {"Set Width (mm)", "Set Height (mm)", "270", "184"}}};
}

int child(int argc, char* argv[], const QByteArray& mode)
{
    if (mode == "app") {
        // Exactly what main() does.
        jf::StartArguments start(argc, argv);
        jf::OneProgram one(jf::currentBaseDir());
        one.claim(QString());
        jf::Application application(start);
        FirstPaint watcher;
        const std::unique_ptr<jf::AppController> controller = application.makeController();
        controller->mainWindow().installEventFilter(&watcher);
        controller->mainWindow().show();
        jf::finishStartAfterFirstFrame(controller->mainWindow(), one);
        const int result = QApplication::exec();
        reportPeakMemory();
        return result;
    }
    if (mode == "captions") {
        // The program's start up to its fonts, then a window with its
        // captions' text and nothing else.
        jf::StartArguments start(argc, argv);
        jf::Application application(start);
        jf::waitForFontConfiguration();
        FirstPaint watcher;
        QWidget window;
        window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        window.resize(701, 500);
        int y = 0;
        for (const Captions& captions : mainWindowCaptions()) {
            for (const QString& text : captions.texts) {
                auto* label = new QLabel(text, &window);
                label->setFont(captions.font);
                label->move(10 + y / 480 * 300, y % 480);
                label->adjustSize();
                y += 20;
            }
        }
        window.installEventFilter(&watcher);
        window.show();
        return QApplication::exec();
    }
    QApplication application(argc, argv);
    FirstPaint watcher;
    QWidget bare;
    bare.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    bare.resize(701, 500);
    bare.installEventFilter(&watcher);
    bare.show();
    return QApplication::exec();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double timeOnce(const QString& self, const QString& mode, const QString& workDir,
                long* peakKb = nullptr)
{
    QProcess process;
    process.setWorkingDirectory(workDir);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    process.start(self, {QStringLiteral("--child"), mode});
    process.waitForFinished(60000);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    const QByteArray out = process.readAllStandardOutput();
    if (peakKb && out.startsWith("peak-kb "))
        *peakKb = out.mid(8).trimmed().toLong();
    return ms;
}

// A Data folder whose first caption, first tip and first picture name are
// each a line of about a megabyte (the settings files stay within their
// 1 MiB ceiling).
void writeLongLines(const QString& data)
{
    const QByteArray line(1024 * 1024 - 256, 'W');
    const auto put = [&](const char* name, const QByteArray& bytes) {
        QFile f(data + "/" + name);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(bytes);
    };
    put("DefaultNames.ins", line + "\r\nSlim DVD\r\nLarge DVD\r\nDVD Inside\r\nCD Front\r\n"
                                   "CD Inside\r\nCD Back\r\nCD Disk\r\n");
    put("Tips.txt", line + "\r\nSecond tip\r\n");
    put("PicturesNames.txt", QByteArray(1024 * 1024, 'P') + "\r\n");
    put("PicturesPaths.txt", "/pictures/p.jpg\r\n");
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc >= 3 && QByteArray(argv[1]) == "--child")
        return child(argc, argv, QByteArray(argv[2]));

    QCoreApplication core(argc, argv);
    const int runs = argc >= 2 ? std::max(3, atoi(argv[1])) : 15;
    QString source = qEnvironmentVariable("JF_SOURCE_DIR", QStringLiteral(JF_SOURCE_DIR));
    QTemporaryDir work;
    QDir().mkpath(work.path() + "/Data");
    for (const QString& name : QDir(source + "/data").entryList(QDir::Files))
        QFile::copy(source + "/data/" + name, work.path() + "/Data/" + name);

    const QString self = QCoreApplication::applicationFilePath();
    // Warm the file cache for each, then alternate so drift hits all alike.
    const QStringList modes = {QStringLiteral("bare"), QStringLiteral("app"),
                               QStringLiteral("captions")};
    for (const QString& mode : modes)
        timeOnce(self, mode, work.path());
    std::vector<double> bare, app, captions;
    for (int i = 0; i < runs; ++i) {
        bare.push_back(timeOnce(self, modes[0], work.path()));
        app.push_back(timeOnce(self, modes[1], work.path()));
        captions.push_back(timeOnce(self, modes[2], work.path()));
    }
    const double b = median(bare);
    const double a = median(app);
    const double c = median(captions);

    // The same start with lines of a megabyte in the data files.
    QTemporaryDir longWork;
    QDir().mkpath(longWork.path() + "/Data");
    for (const QString& name : QDir(work.path() + "/Data").entryList(QDir::Files))
        QFile::copy(work.path() + "/Data/" + name, longWork.path() + "/Data/" + name);
    writeLongLines(longWork.path() + "/Data");
    timeOnce(self, "app", longWork.path());
    std::vector<double> normal, longLines;
    long normalKb = 0, longKb = 0;
    for (int i = 0; i < runs; ++i) {
        normal.push_back(timeOnce(self, "app", work.path(), &normalKb));
        longLines.push_back(timeOnce(self, "app", longWork.path(), &longKb));
    }
    std::printf("platform: %s\n", qPrintable(qEnvironmentVariable("QT_QPA_PLATFORM", "default")));
    std::printf("bare Qt window, start to first frame: median %.1f ms over %d runs\n", b, runs);
    std::printf("Jacketforge main window:              median %.1f ms over %d runs\n", a, runs);
    // The goal holds on a real X server; the offscreen platform has no
    // display connection to make, so its bare window starts much quicker and
    // its ratio is shown for comparison only.
    const bool offscreen = qEnvironmentVariable("QT_QPA_PLATFORM") == QLatin1String("offscreen");
    std::printf("ratio Jacketforge / bare: %.2f (%s)\n", a / b,
                offscreen ? "for comparison; the goal is on an X server" : "goal: at most 1.1");
    std::printf("the main window's captions alone: median %.1f ms, %.2f x bare; Jacketforge "
                "%+.1f ms beyond them\n",
                c, c / b, a - c);
    const double n = median(normal);
    const double l = median(longLines);
    std::printf("with megabyte lines: median %.1f ms, %.2f x a normal start (%.1f ms), "
                "%+.1f ms (goal: within 500 ms)\n",
                l, l / n, n, l - n);
    std::printf("peak memory: %.1f MB with megabyte lines, %.1f MB normally (goal: under "
                "150 MB)\n",
                double(longKb) / 1024, double(normalKb) / 1024);
    return 0;
}
