#include "ErrorReport.h"

#include "Platform.h"

namespace jf {

void reportError(const QString& message)
{
    if (MessageService* messages = platform().messages)
        messages->showError(errorReportText(message));
}

} // namespace jf
