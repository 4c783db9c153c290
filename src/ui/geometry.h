#pragma once
// Windows are laid out in twips, as they were designed: 1440 to the inch, so
// 15 to a pixel at 96 dots per inch. This is the one place they become pixels.

#include <QRect>

namespace ui {

struct Twips {
    int left, top, width, height;
};

constexpr int twipsPerPixel = 15;

constexpr int toPixels(int twips) { return twips / twipsPerPixel; }

constexpr QRect toPixels(Twips t) { return {toPixels(t.left), toPixels(t.top), toPixels(t.width), toPixels(t.height)}; }

constexpr QSize toPixels(int width, int height) { return {toPixels(width), toPixels(height)}; }

}  // namespace ui
