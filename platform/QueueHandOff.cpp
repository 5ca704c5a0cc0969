#include "QueueHandOff.h"

#include "Errors.h"

#include <QProcess>
#include <QStandardPaths>

namespace jf {

namespace {

QString lpProgram()
{
    return QStandardPaths::findExecutable(QStringLiteral("lp"));
}

} // namespace

bool canHandToQueue()
{
    return !lpProgram().isEmpty();
}

bool handPdfToQueue(const QueueJob& job, const QString& pdfPath)
{
    const QString lp = lpProgram();
    if (lp.isEmpty() || job.queue.isEmpty())
        return false;
    QStringList args{QStringLiteral("-d"), job.queue, QStringLiteral("-t"), job.title};
    for (const auto& [name, value] : job.options) {
        // lp takes the number of copies as -n; it sets the same option.
        if (name == QLatin1String("copies"))
            args << QStringLiteral("-n") << value;
        else
            args << QStringLiteral("-o")
                 << (value.isEmpty() ? name : name + QLatin1Char('=') + value);
    }
    args << QStringLiteral("--") << pdfPath;

    QProcess client;
    client.start(lp, args);
    if (!client.waitForFinished(60000) || client.exitStatus() != QProcess::NormalExit ||
        client.exitCode() != 0)
        throw PrinterError(QStringLiteral("Printer selected is not valid"));
    return true;
}

} // namespace jf
