#pragma once
// A finger has no right button: a touch held still for half a second on a
// field that takes text (a single-line field, a number box's, a multi-line
// one) opens its context menu, as a right click does. Like a right click,
// the hold leaves the caret and the selection as they were, so that the
// menu copies what was selected, and the rest of that touch selects nothing.
// A finger that moves selects, as ever; a mouse held still does nothing.

namespace ui {

// From now on, in every window of the program.
void openMenusOnHold();

}  // namespace ui
