#include "fonts.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>

namespace ui {

using namespace Qt::StringLiterals;

namespace {

#if defined(Q_OS_WIN) || defined(Q_OS_WASM)
// Windows has a face called "MS Sans Serif", but a bitmap one, with no 18 pt
// bold: asked for by that name, it would be stretched or swapped for another
// size; a browser page has none of either. So there the windows ask for the
// face the program carries.
const QString designFace = u"Liberation Sans"_s;
#else
const QString designFace = u"MS Sans Serif"_s;
#endif
// The picture codes' symbols, drawn by the program (tools/drawsymbols.py).
const QString picturesFace = u"Simatoplektis Pictures"_s;

}  // namespace

void chooseFontEngine()
{
#ifdef Q_OS_WIN
    // Windows' own font engine draws the faces the program carries thinner
    // and spaced otherwise than the layout was fitted to; FreeType draws them
    // as on Linux. A platform named in the environment still comes first.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "windows:fontengine=freetype");
#endif
}

void installFonts()
{
#if defined(Q_OS_WIN) || defined(Q_OS_WASM)
    // The same faces as on Linux, so the layout fits as it does there.
    QFontDatabase::addApplicationFont(u":/fonts/LiberationSans-Regular.ttf"_s);
    QFontDatabase::addApplicationFont(u":/fonts/LiberationSans-Bold.ttf"_s);
    QFontDatabase::addApplicationFont(u":/fonts/DejaVuSans-Signs.ttf"_s);
    QFontDatabase::addApplicationFont(u":/fonts/DejaVuSans-Bold-Signs.ttf"_s);
#endif
    QFontDatabase::addApplicationFont(u":/fonts/Pictures.ttf"_s);
    // Liberation Sans keeps Arial's narrow metrics, close to the face the
    // windows were drawn with: every default code fits its field at 18 pt.
    // DejaVu Sans, wider, clips them; it is only the last resort.
    // The picture codes' symbols come from the program's own face, asked for
    // before any other could offer its own clock faces.
    QFont::insertSubstitutions(
        designFace, {u"Liberation Sans"_s, picturesFace, u"Microsoft Sans Serif"_s, u"Arial"_s, u"DejaVu Sans"_s});
    // Everything else, the boxes and menus included, in the same face at the
    // classic dialog size: one face to load, and the look of the whole.
    QGuiApplication::setFont(designFont(8, false));
}

QFont designFont(qreal points, bool bold)
{
    QFont font(designFace);
#if defined(Q_OS_WIN) || defined(Q_OS_WASM)
    // What the face has not comes from the program's picture face, then
    // (Braille cells, a sign for a space) from the cut of DejaVu Sans the
    // program carries. On Linux the substitutions say the same, and
    // fontconfig finds the desktop's own DejaVu Sans.
    font.setFamilies({designFace, picturesFace, u"DejaVu Sans"_s});
#endif
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

}  // namespace ui
