#pragma once
// The two images the program ships, read from its embedded resources.

#include <QIcon>
#include <QSize>

namespace ui {

QIcon programIcon();  // the fleur-de-lis, on both windows
QIcon helpPicture();  // the emblem and question mark on the help button
QSize helpPictureSize();

}  // namespace ui
