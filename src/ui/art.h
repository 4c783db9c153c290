#pragma once
// The two images the program ships, read from its embedded resources.

#include <QIcon>
#include <QPixmap>

namespace ui {

QIcon programIcon();    // the fleur-de-lis, on both windows
QPixmap helpPicture();  // the emblem and question mark on the help button

}  // namespace ui
