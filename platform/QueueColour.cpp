#include "QueueColour.h"

#include "CupsService.h"
#include "PrintServiceCheck.h"

#include <QPrinter>
#include <QPrinterInfo>

#include <cups/cups.h>

#include <cstring>

namespace jf {

namespace {

// The service answered Qt about the same queue a moment ago.
constexpr int answerTimeoutMs = 5000;

// Whether `queue` (a printer or a class) says it prints grey only.
bool printsGreyOnly(const CupsServer& server, const QByteArray& queue, const std::atomic_bool& stop)
{
    CupsConnection connection(server, answerTimeoutMs, &stop);
    auto* http = static_cast<http_t*>(connection.http());
    cups_dest_t* dest = http ? cupsGetNamedDest(http, queue.constData(), nullptr) : nullptr;
    connection.restartClock();
    cups_dinfo_t* info = dest ? cupsCopyDestInfo(http, dest) : nullptr;
    bool grey = false;
    if (info) {
        ipp_attribute_t* colour = cupsFindDestSupported(http, dest, info, "color");
        ipp_attribute_t* modes = cupsFindDestSupported(http, dest, info, "print-color-mode");
        grey = colour && ippGetValueTag(colour) == IPP_TAG_BOOLEAN && !ippGetBoolean(colour, 0);
        if (modes) {
            bool anyColour = false;
            for (int i = 0; i < ippGetCount(modes); ++i) {
                const char* mode = ippGetString(modes, i, nullptr);
                anyColour = anyColour ||
                            (mode && (!std::strcmp(mode, "color") || !std::strcmp(mode, "auto") ||
                                      !std::strcmp(mode, "highlight")));
            }
            grey = grey || !anyColour;
        }
    }
    cupsFreeDestInfo(info);
    cupsFreeDests(dest ? 1 : 0, dest);
    return grey;
}

} // namespace

void askForColourWherePossible(QPrinter& printer)
{
    if (printer.outputFormat() != QPrinter::NativeFormat || printer.printerName().isEmpty() ||
        printer.colorMode() == QPrinter::Color ||
        QPrinterInfo(printer).supportedColorModes().contains(QPrinter::Color))
        return;
    // Asked off the window's thread.
    const CupsServer server = CupsServer::current();
    const QByteArray queue = queueName(printer.printerName());
    bool grey = false;
    printServiceCheck().askAside(
        [&](const std::atomic_bool& stop) { grey = printsGreyOnly(server, queue, stop); });
    if (!grey)
        printer.setColorMode(QPrinter::Color);
}

} // namespace jf
