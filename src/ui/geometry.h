#pragma once
// Windows are laid out in twips, as they were designed: 1440 to the inch, so
// 15 to a pixel at 96 dots per inch. This is the one place they become
// pixels. A window drawn smaller, to fit a small screen, reads the same
// places with a smaller factor.

#include <QRect>
#include <QtMath>

namespace ui {

struct Twips {
    int left, top, width, height;
};

constexpr int twipsPerPixel = 15;

constexpr int toPixels(int twips, double scale = 1) { return qRound(twips * scale / twipsPerPixel); }

// Edges are rounded, not sizes: controls that meet in twips meet in pixels
// at any scale.
constexpr QRect toPixels(Twips t, double scale = 1)
{
    const int left = toPixels(t.left, scale), top = toPixels(t.top, scale);
    return {left, top, toPixels(t.left + t.width, scale) - left, toPixels(t.top + t.height, scale) - top};
}

constexpr QSize toPixels(int width, int height, double scale = 1)
{
    return {toPixels(width, scale), toPixels(height, scale)};
}

}  // namespace ui
