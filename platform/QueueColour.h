#pragma once

class QPrinter;

namespace jf {

// Qt reads whether a queue prints colour from its driver description
// (PPD): a queue without one, such as a raw queue, makes Qt paint every
// page grey. For such a queue `printer` is set to colour unless the queue
// itself says it prints grey only (color-supported false, or colour modes
// that hold no colour one). A queue whose description offers colour keeps
// the choice made for it, a PDF file printer is left alone. Asks the print
// service for a few seconds at most, on a thread of its own while the event
// loop goes on (PrintServiceCheck::askAside); without an answer, colour it is.
void askForColourWherePossible(QPrinter& printer);

} // namespace jf
