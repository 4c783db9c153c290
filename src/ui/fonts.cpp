#include "fonts.h"

#include <QStringList>

namespace ui {

using namespace Qt::StringLiterals;

namespace {
const QString designFace = u"MS Sans Serif"_s;
}

void installFontSubstitutes()
{
    // DejaVu Sans on Linux; Microsoft Sans Serif or Arial where Windows has them.
    QFont::insertSubstitutions(designFace, {u"DejaVu Sans"_s, u"Microsoft Sans Serif"_s, u"Arial"_s});
}

QFont designFont(qreal points, bool bold)
{
    QFont font(designFace);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

}  // namespace ui
