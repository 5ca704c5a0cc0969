// Jobs to a print queue tell the truth and never hold the window up: a
// failure names the queue and CUPS's reason (a queue that refuses jobs, one
// that is gone, a print service that does not answer or does not run),
// options reach the job one value each, and the main window shows the send,
// refuses a second print and asks before it closes. A disc print reaches a
// real disc-tray driver with its options. Runs against the private cupsd of
// scripts/cups-start, with queues of its own for the refusals; skips where
// no print service runs.
#include "AppController.h"
#include "DirectPdf.h"
#include "DiscGeometry.h"
#include "DiscTrayLookup.h"
#include "ExpectFailure.h"
#include "HangGuard.h"
#include "JobSender.h"
#include "PageUnits.h"
#include "PrintServiceCheck.h"
#include "PrintTestSupport.h"
#include "ProgramFixture.h"
#include "TestPlatform.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include <cups/cups.h>

#include <atomic>
#include <thread>

#include <sys/socket.h>
#include <unistd.h>

using namespace printtest;

namespace {

const QString kRefusing = QStringLiteral("JacketforgeRefusing");
const QString kDeleted = QStringLiteral("JacketforgeDeleted");
const QString kStopped = QStringLiteral("JacketforgeStopped");
const QString kOptionsQueue = QStringLiteral("JacketforgeOptions");
const QString kDiscQueue = QStringLiteral("JacketforgeDisc");
const QString kRaw = QStringLiteral("JacketforgeRaw"); // no driver description

// Runs a command line (arguments split as a shell would); true when it
// ended well.
bool run(const QString& command)
{
    return outputOf(QProcess::splitCommand(command), 30).has_value();
}

bool addQueue(const QString& name)
{
    return run("lpadmin -p " + name + " -v cups-pdf:/" + name +
               " -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd -E");
}

// A print service of the test's own. Silent takes connections and never
// answers (it has hung); the others answer each request with success until
// the job's document comes, then hang up or stop reading and answering.
class FakeService
{
public:
    enum Mode
    {
        Silent,
        HangsUp,
        Stalls
    };
    std::atomic_bool documentCame{false};

    FakeService(const QString& path, Mode mode) : m_path(path)
    {
        QFile::remove(path);
        m_fd = jftest::boundSocket(path);
        m_listening = m_fd >= 0 && ::listen(m_fd, 8) == 0;
        if (m_listening && mode != Silent)
            m_thread = std::thread([this, mode] {
                for (int client; (client = ::accept(m_fd, nullptr, nullptr)) >= 0;
                     ::close(client)) {
                    while (answer(client))
                        continue;
                    if (documentCame && mode == Stalls)
                        return (void)(m_stalled = client);
                }
            });
    }
    ~FakeService()
    {
        ::shutdown(m_fd, SHUT_RDWR);
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_fd);
        ::close(m_stalled);
        QFile::remove(m_path);
    }
    bool listening() const { return m_listening; }

private:
    // One request read and answered; false at the job's document (a request
    // in chunks or a Print-Job) and when the client hung up.
    bool answer(int client)
    {
        QByteArray head;
        for (char c = 0; !head.endsWith("\r\n\r\n") && ::read(client, &c, 1) == 1;)
            head += c;
        if (head.contains("100-continue"))
            (void)!::write(client, "HTTP/1.1 100 Continue\r\n\r\n", 25);
        const qsizetype at = head.indexOf("Content-Length: ");
        QByteArray body(at < 0 ? 4 : std::atoi(head.constData() + at + 16), 0);
        if (!head.endsWith("\r\n\r\n") || ::recv(client, body.data(), 4, MSG_WAITALL) != 4)
            return false;
        if (at < 0 || body[3] == 2)
            return !(documentCame = true);
        const QByteArray reply = "HTTP/1.1 200 OK\r\nContent-Type: application/ipp\r\n"
                                 "Content-Length: 25\r\n\r\n" +
                                 QByteArray("\2\0\0\0\0\0\0\1\2\x21\0\6job-id\0\4\0\0\0\7\3", 25);
        return ::recv(client, body.data() + 4, size_t(body.size() - 4), MSG_WAITALL) ==
                   body.size() - 4 &&
               ::write(client, reply.constData(), size_t(reply.size())) == reply.size();
    }

    QString m_path;
    int m_fd = -1;
    int m_stalled = -1;
    bool m_listening = false;
    std::thread m_thread;
};

} // namespace

class TestPrintQueue : public QObject, public jftest::ProgramFixture
{
    Q_OBJECT

    // The print service (empty: the private cupsd), the queue, whether it
    // takes the job, why it failed or why it waits.
    using SendRow = std::tuple<QString, QString, bool, QString>;
    // The print service (empty: the private cupsd), the printer, why there is
    // no tray (empty: there is one).
    using TrayRow = std::tuple<QString, QString, QString>;

    QTemporaryDir m_temp;
    QString m_silent;
    QString m_nowhere;
    ScriptedPrinterSetup m_setup;

private slots:
    void initTestCase()
    {
        if (!outputOf({QStringLiteral("lpstat"), "-r"}, 10)
                 .value_or("")
                 .contains("scheduler is running"))
            QSKIP("no print service runs (start it with scripts/cups-start)");
        if (!QPrinterInfo::availablePrinterNames().contains(kOptionsQueue))
            QSKIP("no queue JacketforgeOptions (scripts/cups-start adds it)");
        if (!addQueue(kRefusing) || !run("cupsreject " + kRefusing) || !addQueue(kStopped) ||
            !run("cupsdisable -r \"Out of paper\" " + kStopped) ||
            !run("lpadmin -p " + kRaw + " -v cups-pdf:/" + kRaw + " -E"))
            QSKIP("cannot add a queue of this test's own here (not root?)");
        m_silent = m_temp.filePath(QStringLiteral("silent.sock"));
        m_nowhere = m_temp.filePath(QStringLiteral("nowhere.sock"));
    }
    void cleanupTestCase()
    {
        for (const QString& queue : {kRefusing, kStopped, kDeleted, kRaw})
            run("lpadmin -x " + queue);
    }
    void init() { renew(); }
    // The program ended, and what a test changed of its print service and
    // printer put back.
    void cleanup()
    {
        clear();
        cupsSetServer(nullptr);
        jf::platform().printerSetup = nullptr;
        jf::currentPrinter().replace(nullptr);
        jf::jobSender().setServer({});
        jf::jobSender().setAnswerTimeout(jf::defaultAnswerTimeoutMs);
        jf::printServiceCheck().setAnswerTimeout(jf::defaultAnswerTimeoutMs);
    }

    void sendOutcomes_data()
    {
        const auto row = jftest::rows<SendRow>();
        row("queue refuses jobs", "", kRefusing, false,
            "destination \"JacketforgeRefusing\" is not accepting jobs");
        row("queue is gone", "", "JacketforgeGone", false, "the printer or class does not exist");
        row("service does not answer", "silent", kOptionsQueue, false,
            "did not answer within 1 second");
        row("service does not run", "nowhere", kOptionsQueue, false, "cannot be reached");
        row("queue takes the job", "", kOptionsQueue, true, "");
        row("queue is stopped", "", kStopped, true, "the printer is stopped (\"Out of paper\")");
        row("service hangs up in the document", "hangs up", kOptionsQueue, false, "was lost after");
        row("service stops answering in the document", "stalls", kOptionsQueue, false,
            "stopped answering; sending was given up after");
        // Once the document is on its way.
        row("cancelled while the service stalls", "stalls, cancel", kOptionsQueue, false,
            "sending was cancelled");
    }
    void sendOutcomes()
    {
        const auto [server, queue, accepted, reason] = jftest::fetch<SendRow>();
        const bool fake = !server.isEmpty() && server != QLatin1String("nowhere");
        const bool cancel = server.endsWith(QLatin1String("cancel"));
        FakeService service(m_silent, server.startsWith("silent")  ? FakeService::Silent
                                      : server.startsWith("hangs") ? FakeService::HangsUp
                                                                   : FakeService::Stalls);
        QVERIFY(service.listening());
        jf::JobSender sender;
        // A stopped job ends at once, whatever the bound.
        sender.setAnswerTimeout(cancel ? jf::defaultAnswerTimeoutMs : 1000);
        sender.setServer(QFile::encodeName(fake                                 ? m_silent
                                           : server == QLatin1String("nowhere") ? m_nowhere
                                                                                : QString()));
        // The window's thread goes on meanwhile: a timer keeps firing.
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
        timer.start(10);
        QSignalSpy finished(&sender, &jf::JobSender::finished);
        jf::PrintPage blank; // the fake services take a long document
        blank.sheetPoints = QSizeF(595, 842);
        const QByteArray pdf = fake ? QByteArray(4 << 20, '%') : jf::directPdf({blank});
        QElapsedTimer clock;
        clock.start();
        // Typed in the setup dialog's job options, where a command line would
        // split it into options of their own.
        const QString billing =
            QStringLiteral("Dept 42 copies=3 O'Brien \"x\" job-hold-until=indefinite");
        sender.send({queue,
                     QStringLiteral("Cover"),
                     {{QStringLiteral("job-billing"), billing},
                      {QStringLiteral("job-priority"), QString()}}}, // empty: left out
                    pdf);
        QVERIFY(sender.isSending());
        if (cancel) {
            QTRY_VERIFY(service.documentCame);
            sender.cancel();
            clock.restart();
        }
        QVERIFY(finished.wait(cancel ? 2500 : 20000));
        const jf::SentJob job = finished[0][0].value<jf::SentJob>();
        // A time the message tells is the time that passed.
        const QString told =
            QRegularExpression(QStringLiteral("(\\d+) seconds?$")).match(job.failure).captured(1);
        QVERIFY2(told.isEmpty() || qAbs(told.toInt() * 1000 - clock.elapsed()) < 1000,
                 qPrintable(job.failure));
        QVERIFY(!sender.isSending());
        QVERIFY2(ticks >= clock.elapsed() / 50,
                 qPrintable(QStringLiteral("%1 ticks in %2 ms").arg(ticks).arg(clock.elapsed())));
        QCOMPARE(job.accepted(), accepted);
        if (accepted) {
            QVERIFY(job.jobId > 0);
            QCOMPARE(job.note, reason);
            // The options reach the job one value each (ipptool shows a quote in
            // a value as \").
            const QString attributes = jobAttributes(queue, job.jobId, m_temp.path());
            QVERIFY2(
                attributes.contains(QStringLiteral("job-billing (nameWithoutLanguage) = ") +
                                    QString(billing).replace(u'"', QStringLiteral("\\\""))) &&
                    !attributes.contains(QLatin1String("copies (integer) = 3")) &&
                    !attributes.contains(QLatin1String("job-hold-until (keyword) = indefinite")) &&
                    attributes.contains(QLatin1String("job-priority (integer) = 50")),
                qPrintable(attributes));
        } else {
            const QString message = jf::sendFailureMessage(job);
            QVERIFY2(message ==
                             QStringLiteral("The cover could not be sent to \"%1\": ").arg(queue) +
                                 job.failure &&
                         job.failure.contains(reason),
                     qPrintable(message));
        }
    }

    void windowTellsTheTruth()
    {
        auto [platform, work, app, form] = start();
        jf::platform().printerSetup = &m_setup;
        const auto lastError = [&platform = platform] {
            return platform.messages.errors.value(platform.messages.errors.size() - 1);
        };

        // A JPEG cover goes through the sender; the print service has hung.
        form.show();
        form.openPicture(work.put("cover.jpg", solidJpeg(QColor(0, 128, 128), {60, 40})));
        useQueue(kOptionsQueue);
        const FakeService silent(m_silent, FakeService::Silent);
        jf::jobSender().setServer(QFile::encodeName(m_silent));
        jf::jobSender().setAnswerTimeout(1500);
        emit form.printRequested();
        QVERIFY2(jf::jobSender().isSending(), qPrintable(lastError()));
        QCOMPARE(jftest::child<QLabel>(form, "tipLabel")->text(),
                 QStringLiteral("Sending the cover to \"JacketforgeOptions\"\u2026"));
        emit form.printRequested(); // a second print meanwhile
        QCOMPARE(lastError(), QStringLiteral("Printing in progress."));
        // Closing asks; "No" waits for the job, which fails: that is told and
        // the program stays.
        QVERIFY(!form.close());
        QVERIFY(platform.messages.questions.last().startsWith(
            QStringLiteral("The cover is still being sent to \"JacketforgeOptions\".")));
        QTRY_VERIFY_WITH_TIMEOUT(!jf::jobSender().isSending(), 10000);
        QCOMPARE(lastError(),
                 QStringLiteral("The cover could not be sent to \"JacketforgeOptions\": "
                                "the print service at %1 did not answer within 2 "
                                "seconds.")
                     .arg(m_silent));
        QTest::qWait(50);
        QVERIFY(form.isVisible());
        // "Yes" saves the lists first: a save that fails keeps the window and the job.
        jf::jobSender().setAnswerTimeout(3000);
        emit form.printRequested();
        QVERIFY(jf::jobSender().isSending());
        app.workspace().pictures.append(QStringLiteral("Other"), QStringLiteral("/other.jpg"));
        work.write(QStringLiteral("PicturesNames.txt"), "changed by another program\r\n");
        platform.messages.answers.enqueue(true);
        QVERIFY(!form.close());
        QTest::qWait(1500); // a stop is seen within 1.2 s
        QVERIFY(jf::jobSender().isSending());
        // Quitting without the lists cancels the job and closes at once.
        const qsizetype told = platform.messages.errors.size();
        platform.messages.answers << true << true;
        QVERIFY(form.close());
        QTRY_VERIFY(!jf::jobSender().isSending());
        QCOMPARE(platform.messages.errors.size(), told); // nothing new told
        form.show();
        jf::jobSender().setServer({});

        // A painted cover goes the same way, and the queue is asked first.
        form.openPicture(work.solidBitmap(QStringLiteral("cover.bmp"), QSize(40, 30), Qt::blue));
        useQueue(kRefusing);
        emit form.printRequested();
        QTRY_VERIFY(!jf::jobSender().isSending());
        QCOMPARE(lastError(),
                 QStringLiteral("The cover could not be sent to \"JacketforgeRefusing\": "
                                "destination \"JacketforgeRefusing\" is not accepting jobs."));

        // The calibration page to a queue deleted meanwhile claims nothing.
        QVERIFY(addQueue(kDeleted));
        useQueue(kDeleted);
        QVERIFY(run("lpadmin -x " + kDeleted));
        emit app.calibration().window().printPageRequested();
        QTRY_VERIFY(!jf::jobSender().isSending());
        QCOMPARE(lastError(),
                 QStringLiteral("The calibration page could not be sent to "
                                "\"JacketforgeDeleted\": the printer or class does not "
                                "exist."));
        const auto status = [&app = app] {
            return jftest::child<QLabel>(app.calibration().window(), "statusLabel")->text();
        };
        QVERIFY(!status().contains(QLatin1String("went to")));
        // One the queue took is told with its job number, once it was taken.
        useQueue(kOptionsQueue);
        emit app.calibration().window().printPageRequested();
        QCOMPARE(status(),
                 QStringLiteral("Sending the calibration page to \"JacketforgeOptions\"\u2026"));
        QTRY_VERIFY(!jf::jobSender().isSending());
        QVERIFY2(
            QRegularExpression(QStringLiteral("^The calibration page went to JacketforgeOptions "
                                              "as job \\d+\\. Measure it"))
                .match(status())
                .hasMatch(),
            qPrintable(status()));
    }

    void discTrays_data()
    {
        const auto row = jftest::rows<TrayRow>();
        const QString none = QStringLiteral("This printer's driver has no disc tray.");
        row("Gutenprint's R300", QString(), kDiscQueue, QString());
        row("cups-pdf", QString(), QStringLiteral("JacketforgePDF"), none);
        row("raw queue", QString(), kRaw, none);
        row("service does not answer", QStringLiteral("silent"), QStringLiteral("JacketforgeGone"),
            QStringLiteral("The printer's disc tray could not be looked up: the print service at "
                           "%1 did not answer within 1 second.")
                .arg(m_silent));
    }
    // What a printer offers for discs is asked off the window's thread, and a
    // service that does not answer ends the wait; a disc label printed from the
    // main window reaches Gutenprint's driver with the tray's options on the
    // driver's disc page, and its filter chain finishes.
    void discTrays()
    {
        const auto [server, printer, missing] = jftest::fetch<TrayRow>();
        if (printer == kDiscQueue && !QPrinterInfo::availablePrinterNames().contains(kDiscQueue))
            QSKIP("no queue JacketforgeDisc (scripts/cups-start adds it with Gutenprint)");
        const FakeService silent(m_silent, FakeService::Silent);
        jf::DiscTrayLookup lookup;
        lookup.setAnswerTimeout(1000);
        lookup.setServer(server.isEmpty() ? QByteArray() : QFile::encodeName(m_silent));
        QSignalSpy described(&lookup, &jf::DiscTrayLookup::described);
        lookup.ask(QStringLiteral("JacketforgeOptions")); // replaced by the next before its answer
        lookup.ask(printer);
        QVERIFY(described.wait(20000));
        QCOMPARE(described.size(), 1);
        QCOMPARE(described[0][0].toString(), printer);
        const jf::DiscTray tray = described[0][1].value<jf::DiscTray>();
        QCOMPARE(tray.missing, missing);
        if (!tray.has())
            return;
        // Gutenprint's expert PPD: its pages, and its lengths' ranges in points.
        QCOMPARE((QList<double>{tray.discPagePoints.width(), tray.customPagePoints.width(),
                                tray.outerDiameter.minimum, tray.outerDiameter.maximum,
                                tray.xAdjustment.minimum, tray.yAdjustment.maximum}),
                 (QList<double>{329, 340, 184, 340, -30, 30}));
        // "Disc Label..." for this printer refuses a correction its driver
        // cannot take and keeps the others; "Print Cover" of a disc label then
        // goes to the tray.
        auto [platform, work, app, form] = start();
        jf::platform().printerSetup = &m_setup;
        useQueue(kDiscQueue);
        form.show();
        trigger("discLabelAction");
        jf::DiscLabelWindow& window = discLabel();
        auto* trayBox = jftest::child<QCheckBox>(window, "trayBox");
        QTRY_VERIFY_WITH_TIMEOUT(trayBox->isEnabled(), 20000);
        auto* offsetY = jftest::child<QSpinBox>(window, "offsetYBox");
        offsetY->setValue(-110);
        QCOMPARE(platform.messages.errors,
                 QStringList("The disc's vertical position correction, -11.0 mm, is outside what "
                             "this printer's driver takes (-10.5 to 10.5 mm)"));
        QCOMPARE(offsetY->value(), 0);
        jftest::child<QSpinBox>(window, "offsetXBox")->setValue(-25);
        offsetY->setValue(31);
        trayBox->setChecked(true);
        QTest::mouseClick(jftest::child<QPushButton>(window, "hole17Button"), Qt::LeftButton);
        QCOMPARE(work.read("DiscCalibration.txt"), "JacketforgeDisc\t-25\t31\t1\r\n");
        QCOMPARE(work.read("Disc.ins"), "17\r\n");
        form.openPicture(work.put("cover.jpg", solidJpeg(QColor(0, 128, 128), {60, 40})));
        form.selectCoverKind(jf::discCoverKind); // 117 mm across
        QSignalSpy finished(&jf::jobSender(), &jf::JobSender::finished);
        emit form.printRequested();
        QVERIFY(finished.wait(30000));
        QVERIFY2(platform.messages.errors.size() == 1,
                 qPrintable(platform.messages.errors.join('|')));
        const jf::SentJob job = finished[0][0].value<jf::SentJob>();
        QVERIFY2(job.accepted(), qPrintable(job.failure));
        QString state;
        QTRY_VERIFY_WITH_TIMEOUT(!(state = jobAttributes(kDiscQueue, job.jobId, m_temp.path())
                                               .section("job-state (enum) = ", 1)
                                               .section('\n', 0, 0))
                                      .contains(QRegularExpression("pending|held|processing")),
                                 120000);
        QCOMPARE(state, QStringLiteral("completed"));
        // The backend keeps what it got in the folder its device names.
        const QString kept =
            QString::fromLocal8Bit(
                outputOf({QStringLiteral("lpstat"), "-v", kDiscQueue}, 10).value_or(""))
                .section(':', 2)
                .trimmed() +
            QStringLiteral("/job-%1.").arg(job.jobId);
        const auto tidy =
            qScopeGuard([&] { QFile::remove(kept + "args"), QFile::remove(kept + "data"); });
        const QStringList options =
            QString::fromUtf8(fileBytes(kept + "args")).split('\n').value(4).split(' ');
        for (const char* option :
             {"InputSlot=CD", "PageSize=CDCustom", "StpCDOuterDiameter=Custom.331.654",
              "StpCDInnerRadius=Small", "StpCDXAdjustment=Custom.-7.087",
              "StpCDYAdjustment=Custom.8.787"})
            QVERIFY2(options.contains(option), qPrintable(kept + "args: " + options.join(' ')));
        QVERIFY(QFileInfo(kept + "data").size() > 100000); // the driver's printer data
        // "Print Disc Test" goes the same way: its 116 mm circle centred on the
        // same page, the correction left to the driver.
        QTest::mouseClick(jftest::child<QPushButton>(window, "printTestButton"), Qt::LeftButton);
        QVERIFY(finished.wait(30000));
        const jf::SentJob test = finished[1][0].value<jf::SentJob>();
        QVERIFY2(test.accepted(), qPrintable(test.failure));
        // The pages the queue took (CUPS keeps a job's document for a day): the
        // driver's custom disc page, the ring and the circle centred on it.
        for (const auto& [id, colour, tolerance, across, within] :
             {std::tuple{job.jobId, QColor(0, 128, 128), 40, 117.0, 0.2},
              {test.jobId, QColor(Qt::black), 100, 116.0, 0.3}}) {
            const QString copy = m_temp.filePath(QStringLiteral("job%1.pdf").arg(id));
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(spooledDocument(id)), 20000);
            QVERIFY(QFile::copy(spooledDocument(id), copy));
            QVERIFY2(pdfInfo(copy).contains(QRegularExpression("Page size: +340 x 340 pts")),
                     qPrintable(pdfInfo(copy)));
            const QRectF disc = mmOf(boundsOf(renderPdf(copy, 600), colour, tolerance), 600);
            const QPointF off = disc.center() - QPointF(1, 1) * jf::pointsToMm(340) / 2;
            QVERIFY2(qAbs(off.x()) < 0.1 && qAbs(off.y()) < 0.1 &&
                         qAbs(disc.width() - across) < within,
                     qPrintable(describe(disc)));
        }
        const QString keptTest =
            kept.section('/', 0, -2) + QStringLiteral("/job-%1.").arg(test.jobId);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(keptTest + "data"), 120000);
        QFile::remove(keptTest + "args"), QFile::remove(keptTest + "data");
    }

    void hungServiceIsAskedAside_data()
    {
        const auto row = jftest::rows<std::tuple<QString, QString>>();
        for (const char* action : {"cover", "setup", "sheet", "calibration"})
            row(action, QString(action), QStringLiteral("Try again once it answers"));
        row("OK in Print Setup", QStringLiteral("ok"),
            QStringLiteral("The choice in Print Setup was not taken; try again once it answers"));
    }
    void hungServiceIsAskedAside()
    {
        const auto [action, then] = jftest::fetch<std::tuple<QString, QString>>();
        auto [platform, work, app, form] = start();
        m_setup = ScriptedPrinterSetup();
        jf::platform().printerSetup = action == QLatin1String("ok") ? nullptr : &m_setup;
        const FakeService silent(m_silent, FakeService::Silent);
        form.openPicture(work.put("cover.jpg", solidJpeg(Qt::red, {60, 40})));
        emit form.addToSheetRequested();
        // From here on the window's thread talks to a print service that has
        // hung: before the dialog opens, or when OK is clicked in it.
        jf::printServiceCheck().setAnswerTimeout(1000);
        const auto hang = [this] { cupsSetServer(QFile::encodeName(m_silent).constData()); };
        if (action != QLatin1String("ok"))
            hang();
        QTimer clickOk;
        connect(&clickOk, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                clickOk.stop(), hang(), dialog->accept();
        });
        clickOk.start(100);
        QString tips; // while it is asked, the event loop running
        connect(&jf::printServiceCheck(), &jf::PrintServiceCheck::askingStarted, &form,
                [&] { tips = jftest::child<QLabel>(form, "tipLabel")->text(); });
        const jftest::HangGuard guard(15);
        if (action == QLatin1String("cover"))
            emit form.printRequested();
        else if (action == QLatin1String("sheet"))
            emit app.sheet().window().printRequested();
        else if (action == QLatin1String("calibration"))
            emit app.calibration().window().printPageRequested();
        else
            emit form.printerSetupRequested();
        QCOMPARE(platform.messages.errors,
                 QStringList(QStringLiteral("The print service at %1 did not answer within 1 "
                                            "second. %2.")
                                 .arg(m_silent, then)));
        QCOMPARE(tips, jf::askingNote());
        QCOMPARE(m_setup.calls, 0);
    }
};

QTEST_MAIN(TestPrintQueue)
#include "tst_printqueue.moc"
