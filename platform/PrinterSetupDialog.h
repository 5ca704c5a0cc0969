#pragma once

#include "Platform.h"

namespace jf {

// Qt's own print dialog as the printer-setup dialog, centred across the
// monitor of the active window with its top a third of the way down the
// monitor's free height. It chooses the printer, paper and orientation; it
// does not print, so its button says OK.
class DesktopPrinterSetup final : public PrinterSetupService
{
public:
    bool run(QWidget* parent, QPrinter& printer) override;
};

} // namespace jf
