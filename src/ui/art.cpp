#include "art.h"

#include <QFile>
#include <QImageReader>

namespace ui {

using namespace Qt::StringLiterals;

QIcon programIcon()
{
    // The icon's PNG twin, pixel for pixel the same as the ICO the program
    // file carries. Qt reads PNG itself: named, and with the guessing off,
    // it is read without loading every image plugin, which the first window
    // would otherwise wait for.
    QFile file(u":/art/icon-32.png"_s);
    QImageReader reader(&file, "png");
    reader.setAutoDetectImageFormat(false);
    return QIcon(QPixmap::fromImage(reader.read()));
}

QPixmap helpPicture() { return QPixmap(u":/art/help.gif"_s); }

}  // namespace ui
