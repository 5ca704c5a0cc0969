#include "DiscTrayLookup.h"

#include "CupsService.h"
#include "JobSender.h"

#include <QScopeGuard>

#include <algorithm>

#include <cups/cups.h>
#include <cups/ppd.h>
#include <strings.h>
#include <unistd.h>

namespace jf {

namespace {

// The PPD functions are deprecated in favour of IPP's destination
// information, which does not carry a driver's own options (Gutenprint's
// StpCD... ones with their ranges); they are still there in libcups 2.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

bool isNamed(const char* name, std::initializer_list<const char*> names)
{
    for (const char* candidate : names) {
        if (strcasecmp(name, candidate) == 0)
            return true;
    }
    return false;
}

// A numeric option: its choices' names as numbers, and the range of a custom
// value. Lengths are in points: the PPD's "points" type, and the unit
// Gutenprint gives its other numbers.
DriverLength driverLength(ppd_file_t* ppd, const char* name)
{
    DriverLength length;
    if (ppd_option_t* option = ppdFindOption(ppd, name)) {
        for (int i = 0; i < option->num_choices; ++i) {
            bool ok = false;
            const double value = QByteArray(option->choices[i].choice).toDouble(&ok);
            if (ok)
                length.choices << value;
        }
    }
    ppd_coption_t* custom = ppdFindCustomOption(ppd, name);
    ppd_cparam_t* param = custom ? ppdFirstCustomParam(custom) : nullptr;
    if (param && param->type == PPD_CUSTOM_POINTS) {
        length.anyValue = true;
        length.minimum = param->minimum.custom_points;
        length.maximum = param->maximum.custom_points;
    } else if (param && param->type == PPD_CUSTOM_REAL) {
        length.anyValue = true;
        length.minimum = param->minimum.custom_real;
        length.maximum = param->maximum.custom_real;
    } else if (!length.choices.isEmpty()) {
        length.minimum = *std::min_element(length.choices.cbegin(), length.choices.cend());
        length.maximum = *std::max_element(length.choices.cbegin(), length.choices.cend());
    }
    length.offered = length.anyValue || !length.choices.isEmpty();
    return length;
}

DiscTray trayFromPpd(ppd_file_t* ppd)
{
    DiscTray tray;
    if (ppd_option_t* slot = ppdFindOption(ppd, "InputSlot")) {
        for (int i = 0; i < slot->num_choices && tray.source.isEmpty(); ++i) {
            if (isNamed(slot->choices[i].choice, {"CD", "Disc"}))
                tray.source = QString::fromUtf8(slot->choices[i].choice);
        }
    }
    if (tray.source.isEmpty()) {
        tray.missing = noDiscTrayReason();
        return tray;
    }
    tray.sourceOption = QStringLiteral("InputSlot");
    tray.sizeOption = QStringLiteral("PageSize");
    // The 5-inch disc page, else the largest square one named for discs.
    const ppd_size_t* page = ppdPageSize(ppd, "CD5Inch");
    const ppd_size_t* largest = nullptr;
    for (int i = 0; i < ppd->num_sizes && !page; ++i) {
        const ppd_size_t& size = ppd->sizes[i];
        const QByteArray name(size.name);
        if ((name.startsWith("CD") || name.toLower().startsWith("disc")) && name != "CDCustom" &&
            size.width == size.length && (!largest || size.width > largest->width))
            largest = &size;
    }
    if (!page)
        page = largest;
    if (page) {
        tray.discPage = QString::fromUtf8(page->name);
        tray.discPagePoints = QSizeF(page->width, page->length);
    }
    tray.outerDiameter = driverLength(ppd, "StpCDOuterDiameter");
    const ppd_size_t* custom = ppdPageSize(ppd, "CDCustom");
    if (custom && tray.outerDiameter.offered) {
        tray.customPage = QString::fromUtf8(custom->name);
        tray.customPagePoints = QSizeF(custom->width, custom->length);
    }
    if (!page && tray.customPage.isEmpty()) {
        tray.missing = noDiscPageReason();
        return tray;
    }
    tray.hubChoice = ppdFindChoice(ppdFindOption(ppd, "StpCDInnerRadius"), "None") &&
                     ppdFindChoice(ppdFindOption(ppd, "StpCDInnerRadius"), "Small");
    tray.xAdjustment = driverLength(ppd, "StpCDXAdjustment");
    tray.yAdjustment = driverLength(ppd, "StpCDYAdjustment");
    return tray;
}

// The driver's PPD as a file of its own; empty when the queue has none or
// the service did not answer (`status` tells which).
QByteArray fetchPpd(CupsConnection& connection, const QByteArray& queue, http_status_t& status)
{
    char path[1024] = "";
    time_t modified = 0;
    connection.restartClock();
    status = cupsGetPPD3(static_cast<http_t*>(connection.http()), queue.constData(), &modified,
                         path, sizeof path);
    return status == HTTP_STATUS_OK ? QByteArray(path) : QByteArray();
}

#pragma GCC diagnostic pop

// The values a destination supports for `option` ("media-source").
QStringList supported(http_t* http, cups_dest_t* dest, cups_dinfo_t* info, const char* option)
{
    QStringList values;
    ipp_attribute_t* attribute = cupsFindDestSupported(http, dest, info, option);
    for (int i = 0; attribute && i < ippGetCount(attribute); ++i)
        values << QString::fromUtf8(ippGetString(attribute, i, nullptr));
    return values;
}

DiscTray unknown(const QString& failure)
{
    DiscTray tray;
    tray.missing =
        QStringLiteral("The printer's disc tray could not be looked up: %1.").arg(failure);
    return tray;
}

} // namespace

DiscTray describeDiscTray(CupsConnection& connection, const QByteArray& queue)
{
    if (!connection.http())
        return unknown(connection.failure());
    http_status_t status = HTTP_STATUS_ERROR;
    const QByteArray ppdPath = fetchPpd(connection, queue, status);
    if (!ppdPath.isEmpty()) {
        const auto remove = qScopeGuard([&] { ::unlink(ppdPath.constData()); });
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        ppd_file_t* ppd = ppdOpenFile(ppdPath.constData());
        if (!ppd)
            return unknown(QStringLiteral("its driver's description (PPD) cannot be read"));
        const DiscTray tray = trayFromPpd(ppd);
        ppdClose(ppd);
#pragma GCC diagnostic pop
        return tray;
    }
    if (status != HTTP_STATUS_NOT_FOUND || connection.timedOut() || connection.stopped())
        return unknown(connection.failure());
    // No PPD: a driverless printer says what it takes in IPP.
    auto* http = static_cast<http_t*>(connection.http());
    connection.restartClock();
    cups_dest_t* dest = cupsGetNamedDest(http, queue.constData(), nullptr);
    connection.restartClock();
    cups_dinfo_t* info = dest ? cupsCopyDestInfo(http, dest) : nullptr;
    const auto release = qScopeGuard([&] {
        cupsFreeDestInfo(info);
        cupsFreeDests(dest ? 1 : 0, dest);
    });
    if (!info)
        return unknown(connection.failure());
    return discTrayFromMediaSources(supported(http, dest, info, "media-source"),
                                    supported(http, dest, info, "media"));
}

DiscTrayLookup::DiscTrayLookup(QObject* parent)
    : QObject(parent), m_answerTimeoutMs(defaultAnswerTimeoutMs)
{
    qRegisterMetaType<DiscTray>();
}

DiscTrayLookup::~DiscTrayLookup()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void DiscTrayLookup::ask(const QString& printerName)
{
    m_next = printerName;
    m_haveNext = true;
    if (m_thread.joinable()) {
        m_stop = true; // its answer would come too late; the next follows it
        return;
    }
    start();
}

void DiscTrayLookup::start()
{
    m_haveNext = false;
    m_stop = false;
    m_asking = m_next;
    CupsServer server = CupsServer::current();
    if (!m_server.isEmpty())
        server.host = m_server;
    m_thread = std::thread([this, server, printer = m_asking, timeout = m_answerTimeoutMs] {
        DiscTray tray;
        if (printer.isEmpty()) {
            tray.missing = noDiscTrayForFileReason();
        } else {
            CupsConnection connection(server, timeout, &m_stop);
            tray = describeDiscTray(connection, queueName(printer));
        }
        QMetaObject::invokeMethod(
            this, [this, tray] { finish(tray); }, Qt::QueuedConnection);
    });
}

void DiscTrayLookup::finish(const DiscTray& tray)
{
    m_thread.join();
    if (m_haveNext) {
        start();
        return;
    }
    emit described(m_asking, tray);
}

QueueJob discQueueJob(const QString& printerName, const QString& title, const DiscJob& disc)
{
    return {printerName, title, disc.options};
}

} // namespace jf
