#pragma once

namespace ui {

// Makes the whole program speak Greek: the toolkit's own words (the text
// fields' context menus, standard buttons) and the faces for the design font.
// Call once, after the application object exists.
void installGreek();

}  // namespace ui
