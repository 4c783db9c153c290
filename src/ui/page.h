#pragma once
// Where the program meets the browser page it runs in. A page is not a
// desktop, and Qt 6.4's platform for it leaves gaps that only the page can
// fill; this is the one place the program talks to the page, and the page's
// side is in packaging/web/index.html.in. On the desktop it all does nothing.

#include <QString>

class QWidget;

namespace ui::page {

#ifdef Q_OS_WASM
inline constexpr bool isPage = true;
#else
inline constexpr bool isPage = false;
#endif

// The program has ended: the page says so and offers to start anew, as it
// runs on after the program (main() never returns there).
void tellItEnded();

// From now on the page is told whenever the focus moves into or out of a
// field that takes typing: there the browser's focus goes to a field of the
// page's own, where the browser composes accents and a touch screen's
// keyboard types. And a window left without the focus when a box closes is
// given it back, as a desktop would: a page has nobody else to do it, and
// Qt gives a window the focus at a click, never at a touch.
void followFocus();

// From now on a field's context menu opened inside a box opens beside the
// box's wait, not in a wait of its own: a page cannot wait inside a wait,
// and the page would answer nothing again.
void menusWithoutWaits();

// From now on a field's menu offers to paste what the page's clipboard
// holds, whoever copied it: Qt 6.4 knows in a page only what was copied in
// the program itself. The page reads its clipboard when Paste is picked
// (the browser may ask first); where the browser refuses, a note beside
// the field says how else to paste.
void pasteFromPage();

// While `light` is on show the page asks the browser for the whole screen,
// so that a phone flashes from edge to edge; with nullptr it gives it back.
// The browser keeps its own Esc, which leaves the full screen: that ends
// the light as the program's Esc does. Where the browser refuses, the light
// fills the page, and the page says so once.
void fillScreen(QWidget* light);

// Qt 6.4 draws a page's title bars itself and cuts a title where the close
// box starts, mid-letter: a window drawn smaller shows its title ended by
// "…" before the close box instead. Called whenever the window is placed.
void fitTitle(QWidget& window);

// Whether the window named `name`, placed just now, fits the page at a
// legible scale. Where one does not, a phone held upright, the page asks
// for it to be turned.
void tellFits(const QString& name, bool fits);

}  // namespace ui::page
