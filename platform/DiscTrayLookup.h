#pragma once

// Asking the print service what a printer offers for printing on discs
// (DiscTray.h), on a thread of its own: the window goes on working while
// the service answers, and every wait ends after the answer timeout.

#include "DiscTray.h"
#include "QueueHandOff.h"

#include <QByteArray>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <atomic>
#include <thread>

namespace jf {

class CupsConnection;

// What `queue` offers, asked on `connection` (blocking): its driver's PPD
// (an InputSlot choice named CD or Disc, the disc page sizes CD5Inch and
// CDCustom, Gutenprint's StpCDOuterDiameter, StpCDInnerRadius,
// StpCDXAdjustment and StpCDYAdjustment with their declared ranges), or for
// a queue without a PPD its IPP media sources (discTrayFromMediaSources).
// A service that cannot be asked gives a tray missing with the reason.
DiscTray describeDiscTray(CupsConnection& connection, const QByteArray& queue);

// Asks about one printer at a time; described is emitted on the thread the
// lookup lives on, once for the latest printer asked about.
class DiscTrayLookup : public QObject
{
    Q_OBJECT

public:
    explicit DiscTrayLookup(QObject* parent = nullptr);
    // Stops a question still asked and waits for its thread.
    ~DiscTrayLookup() override;

    // Starts asking about `printerName` (a printer's name as Qt gives it;
    // empty for "Print to File (PDF)") and returns at once. Asked again
    // before the answer, only the later printer is answered.
    void ask(const QString& printerName);
    bool isAsking() const { return m_thread.joinable(); }

    // As JobSender's: how long the service may take to answer a request,
    // and which service is asked (empty: the one the program is set up for).
    void setAnswerTimeout(int milliseconds) { m_answerTimeoutMs = milliseconds; }
    void setServer(const QByteArray& host) { m_server = host; }

signals:
    void described(const QString& printerName, const jf::DiscTray& tray);

private:
    void start();
    void finish(const DiscTray& tray);

    std::thread m_thread;
    std::atomic_bool m_stop{false};
    QString m_asking;
    QString m_next;
    bool m_haveNext = false;
    int m_answerTimeoutMs;
    QByteArray m_server;
};

// The job that sends a disc print's PDF to `printerName`'s queue with the
// options of `disc` and nothing else (sendPdfToQueue, JobSender::send).
QueueJob discQueueJob(const QString& printerName, const QString& title, const DiscJob& disc);

} // namespace jf

Q_DECLARE_METATYPE(jf::DiscTray)
