#include "QueueColour.h"

#include "CupsService.h"

#include <QPrinter>
#include <QPrinterInfo>

#include <cups/cups.h>

#include <cstring>
#include <iterator>

namespace jf {

namespace {

// The service answered Qt about the same queue a moment ago.
constexpr int answerTimeoutMs = 5000;

// Whether `queue` (a printer or a class) says it prints grey only.
bool printsGreyOnly(const QByteArray& queue)
{
    CupsConnection connection(CupsServer::current(), answerTimeoutMs);
    if (!connection.http())
        return false;
    static const char* const wanted[] = {"color-supported", "print-color-mode-supported"};
    ipp_t* response = nullptr;
    for (const char* kind : {"printers", "classes"}) {
        char uri[HTTP_MAX_URI];
        httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                         "/%s/%s", kind, queue.constData());
        ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
        ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                      int(std::size(wanted)), nullptr, wanted);
        connection.restartClock();
        ippDelete(response);
        response = cupsDoRequest(static_cast<http_t*>(connection.http()), request, "/");
        if (cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND || connection.timedOut())
            break;
    }
    bool grey = false;
    if (response && cupsLastError() <= IPP_STATUS_OK_CONFLICTING) {
        ipp_attribute_t* colour = ippFindAttribute(response, "color-supported", IPP_TAG_BOOLEAN);
        ipp_attribute_t* modes =
            ippFindAttribute(response, "print-color-mode-supported", IPP_TAG_KEYWORD);
        grey = colour && !ippGetBoolean(colour, 0);
        if (modes) {
            bool anyColour = false;
            for (int i = 0; i < ippGetCount(modes); ++i) {
                const char* mode = ippGetString(modes, i, nullptr);
                anyColour = anyColour || !std::strcmp(mode, "color") ||
                            !std::strcmp(mode, "auto") || !std::strcmp(mode, "highlight");
            }
            grey = grey || !anyColour;
        }
    }
    ippDelete(response);
    return grey;
}

} // namespace

void askForColourWherePossible(QPrinter& printer)
{
    if (printer.outputFormat() != QPrinter::NativeFormat || printer.printerName().isEmpty() ||
        printer.colorMode() == QPrinter::Color ||
        QPrinterInfo(printer).supportedColorModes().contains(QPrinter::Color))
        return;
    if (!printsGreyOnly(queueName(printer.printerName())))
        printer.setColorMode(QPrinter::Color);
}

} // namespace jf
