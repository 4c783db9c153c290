#pragma once
// Where a window goes when it is first shown, and at which scale.

#include <QMargins>
#include <QRect>

class QScreen;
class QWidget;

namespace ui {

class DesignedWindow;

// Below this the text is too small to read: no window is drawn smaller. A
// phone held sideways (844 x 390 pixels of its browser's page) holds the
// keyboard window at this scale, frame and all.
inline constexpr double smallestScale = 0.55;

struct Placement {
    double scale;  // 1 is the designed size
    QRect frame;   // the window with its frame, on the screen
    bool fits;     // wholly in the work area
};

// A window that fits the screen's work area, frame and all, keeps its
// designed size; one that does not is drawn at the largest scale that fits.
// Either way it is centred, but its title bar never leaves the work area:
// at the smallest scale it is put at the top.
Placement placement(const DesignedWindow& window, QMargins frame, QRect available);

// Shows a window for the first time, on `screen`, placed as above. Where the
// desktop tells the frame only once the window is on screen, the window is
// placed again then, with the frame it really has. After that the window is
// the user's: moved to another screen, it keeps its scale. A browser page
// has no desktop to leave it to: when the page changes size (a phone
// turned, the browser's window resized), its windows are placed anew.
void showPlaced(DesignedWindow& window, QScreen* screen);

// Shows a window at the size and place it has. QWidget::show() would let the
// platform choose, and in a browser page that is the whole page.
void showAsPlaced(QWidget& window);

}  // namespace ui
