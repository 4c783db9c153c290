#pragma once

#include <QFont>

namespace ui {

// Picks the toolkit's font engine; called before the application is made.
void chooseFontEngine();

// Maps the face the windows ask for to one with bold Greek on this desktop,
// and makes it the program's default face.
void installFonts();

// The bold Greek face that every control of the main window is set in.
QFont designFont(qreal points, bool bold = true);

}  // namespace ui
