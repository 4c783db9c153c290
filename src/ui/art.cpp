#include "art.h"

#include <QFile>
#include <QImageReader>

namespace ui {

using namespace Qt::StringLiterals;

namespace {

// Named, and with the guessing off, an image is read by its own reader
// alone: guessing would load every image plugin to ask each one.
QPixmap readImage(const QString& path, const char* format)
{
    QFile file(path);
    QImageReader reader(&file, format);
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

}  // namespace

// The icon's PNG twin, pixel for pixel the same as the ICO the program file
// carries; PNG needs no plugin at all.
QIcon programIcon() { return QIcon(readImage(u":/art/icon-32.png"_s, "png")); }

QPixmap helpPicture() { return readImage(u":/art/help.gif"_s, "gif"); }

}  // namespace ui
