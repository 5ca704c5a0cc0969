#pragma once

#include "QueueHandOff.h"

#include <QString>
#include <QStringList>

class QPrinter;

namespace jf {

// The print system's own options a printer carries (driver options such as
// media type or input slot, job options), as the setup dialog and its
// printer-properties window store them: a flat list of name, value, name,
// value. Empty for a PDF-file printer.
QStringList cupsOptions(const QPrinter& printer);
void setCupsOptions(QPrinter& printer, const QStringList& options);

// Sets `name` to `value` in such a list, in place when present.
void setCupsOption(QStringList& options, const QString& name, const QString& value);

// Asks the print system to put the page on paper as it is: no fitting, no
// scaling to the printable area ("print-scaling" "none"). Nothing for a
// PDF-file printer.
void turnOffPrintScaling(QPrinter& printer);

// The job a Qt print job on `printer` would send for a finished PDF: the
// printer's queue, its document name ("Cover" when it has none), and the
// options paper, orientation ("landscape" "true", as lp sends it), copies,
// collation, sides and then the option list the setup dialog chose.
QueueJob queueJobFor(const QPrinter& printer);

} // namespace jf
