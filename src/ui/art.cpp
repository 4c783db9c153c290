#include "art.h"

#include <QPixmap>

namespace ui {

using namespace Qt::StringLiterals;

QIcon programIcon() { return QIcon(u":/art/icon.ico"_s); }

QIcon helpPicture() { return QIcon(QPixmap(u":/art/help.gif"_s)); }

// Shown at its own size, centred on a button a little shorter than it.
QSize helpPictureSize() { return {182, 320}; }

}  // namespace ui
