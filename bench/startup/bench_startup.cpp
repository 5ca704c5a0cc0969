// Start-up to the first painted frame: Jacketforge's main window against a
// bare Qt window of the same size, started the same way in the same run.
//
//   bench_startup [runs]        run the comparison (needs the Data folder of
//                               the source tree, found through JF_SOURCE_DIR
//                               or the path compiled in)
//   bench_startup --child bare|app   one start, used by the comparison

#include "AppController.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
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

int child(int argc, char* argv[], bool app)
{
    QApplication application(argc, argv);
    FirstPaint watcher;
    if (app) {
        // Exactly what main() does.
        jf::prepareApplication();
        jf::AppController controller;
        controller.mainWindow().installEventFilter(&watcher);
        controller.mainWindow().show();
        return QApplication::exec();
    }
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

double timeOnce(const QString& self, const QString& mode, const QString& workDir)
{
    QProcess process;
    process.setWorkingDirectory(workDir);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    process.start(self, {QStringLiteral("--child"), mode});
    process.waitForFinished(60000);
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc >= 3 && QByteArray(argv[1]) == "--child")
        return child(argc, argv, QByteArray(argv[2]) == "app");

    QCoreApplication core(argc, argv);
    const int runs = argc >= 2 ? std::max(3, atoi(argv[1])) : 15;
    QString source = qEnvironmentVariable("JF_SOURCE_DIR", QStringLiteral(JF_SOURCE_DIR));
    QTemporaryDir work;
    QDir().mkpath(work.path() + "/Data");
    for (const QString& name : QDir(source + "/data").entryList(QDir::Files))
        QFile::copy(source + "/data/" + name, work.path() + "/Data/" + name);

    const QString self = QCoreApplication::applicationFilePath();
    // Warm the file cache for both, then alternate so drift hits both alike.
    timeOnce(self, "bare", work.path());
    timeOnce(self, "app", work.path());
    std::vector<double> bare, app;
    for (int i = 0; i < runs; ++i) {
        bare.push_back(timeOnce(self, "bare", work.path()));
        app.push_back(timeOnce(self, "app", work.path()));
    }
    const double b = median(bare);
    const double a = median(app);
    std::printf("platform: %s\n", qPrintable(qEnvironmentVariable("QT_QPA_PLATFORM", "default")));
    std::printf("bare Qt window, start to first frame: median %.1f ms over %d runs\n", b, runs);
    std::printf("Jacketforge main window:              median %.1f ms over %d runs\n", a, runs);
    std::printf("ratio Jacketforge / bare: %.2f (goal: at most 1.3)\n", a / b);
    return 0;
}
