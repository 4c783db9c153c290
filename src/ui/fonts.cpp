#include "fonts.h"

#include <QStringList>

namespace ui {

using namespace Qt::StringLiterals;

namespace {
const QString designFace = u"MS Sans Serif"_s;
}

void installFontSubstitutes()
{
    // Liberation Sans keeps Arial's narrow metrics, close to the face the
    // windows were drawn with: every default code fits its field at 18 pt.
    // DejaVu Sans, wider, clips them; it is only the last resort.
    QFont::insertSubstitutions(designFace,
                               {u"Liberation Sans"_s, u"Microsoft Sans Serif"_s, u"Arial"_s, u"DejaVu Sans"_s});
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
