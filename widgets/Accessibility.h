#pragma once

namespace jf {

// Tells assistive technology (screen readers, through AT-SPI on Linux) what
// the program's own controls are, where Qt alone would see plain labels and
// empty panes:
// - a ClickLabel that works as a button is a push button named by its
//   caption (or its accessible name) with a "Press" action that clicks it;
//   a checkable one is a radio button, checked while its choice is made;
// - a ChoiceColumn is a group holding only its captions;
// - an ImageControl with an accessible name is an image of that name (its
//   accessible description tells what it shows); one without is a pane;
// - a window of the program's own made of a plain QWidget is a window, or a
//   dialog when it is a tool window, named by its accessible name or title.
// The controls install it themselves; installing it again changes nothing.
void installAccessibility();

} // namespace jf
