#include "pictures.h"

#include "model/codes.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>

namespace keyboard {

using namespace Qt::StringLiterals;

namespace {

constexpr int em = 1000;     // the face's units, which the SVG keeps
constexpr int ascent = 800;  // above the baseline, of the em

bool isPicture(char32_t c)
{
    return (c >= model::firstPigpen && c < model::firstPigpen + 24) || (c >= 0x1F550 && c <= 0x1F567);
}

const QRawFont& pictureFace()
{
    static const QRawFont face = [] {
        QFile file(u":/fonts/Pictures.ttf"_s);
        return file.open(QIODevice::ReadOnly) ? QRawFont(file.readAll(), em) : QRawFont();
    }();
    return face;
}

struct Picture {
    QByteArray svg;
    int width = 0;  // in the face's units
};

// The symbol as an SVG document, the em square's height and its own
// advance's width, in the face's units: the outline filled by winding, as
// the face is, since its strokes overlap.
Picture draw(char32_t symbol)
{
    const QRawFont& face = pictureFace();
    const QList<quint32> glyphs = face.glyphIndexesForString(QString::fromUcs4(&symbol, 1));
    if (glyphs.isEmpty() || !glyphs.front())
        return {};
    const int width = qRound(face.advancesForGlyphIndexes(glyphs).value(0).x());
    const QPainterPath path = face.pathForGlyph(glyphs.front());
    QString d;
    const auto point = [](QPointF p) { return u"%1 %2"_s.arg(qRound(p.x())).arg(qRound(p.y())); };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            d += (d.isEmpty() ? u"M"_s : u"ZM"_s) + point(e);
        } else if (e.isLineTo()) {
            d += u'L' + point(e);
        } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            d += u'C' + point(e) + u' ' + point(path.elementAt(i + 1)) + u' ' + point(path.elementAt(i + 2));
            i += 2;
        }
    }
    const QString svg = u"<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 -%1 %2 %3\" width=\"%2\" height=\"%3\">"
                        "<path fill-rule=\"nonzero\" d=\"%4Z\"/></svg>"_s.arg(ascent)
                            .arg(width)
                            .arg(em)
                            .arg(d);
    return {svg.toUtf8(), width};
}

// The image for one symbol at a size, made once.
QString image(char32_t symbol, int pixelsPerEm)
{
    static QHash<QPair<char32_t, int>, QString> made;
    QString& html = made[{symbol, pixelsPerEm}];
    if (html.isEmpty()) {
        const Picture picture = draw(symbol);
        if (picture.svg.isEmpty())
            return QString::fromUcs4(&symbol, 1);
        // Set on the text's baseline as the glyph is: the em's descent below it.
        html = u"<img src=\"data:image/svg+xml;base64,%1\" width=\"%2\" height=\"%3\" alt=\"%4\" "
               "style=\"vertical-align: -%5px\">"_s.arg(QString::fromLatin1(picture.svg.toBase64()))
                   .arg(picture.width * pixelsPerEm / em)
                   .arg(pixelsPerEm)
                   .arg(QString::fromUcs4(&symbol, 1))
                   .arg(pixelsPerEm * (em - ascent) / em);
    }
    return html;
}

template <typename Each> void forEachCodePoint(QStringView text, Each each)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            each(QChar::surrogateToUcs4(text[i], text[i + 1]), text.sliced(i, 2));
            ++i;
        } else {
            each(char32_t(text[i].unicode()), text.sliced(i, 1));
        }
    }
}

}  // namespace

bool hasPictures(QStringView text)
{
    bool any = false;
    forEachCodePoint(text, [&](char32_t c, QStringView) { any = any || isPicture(c); });
    return any;
}

QString withPictures(QStringView html, int pixelsPerEm)
{
    QString out;
    out.reserve(html.size());
    forEachCodePoint(html, [&](char32_t c, QStringView written) {
        if (isPicture(c))
            out += image(c, pixelsPerEm);
        else
            out += written;
    });
    return out;
}

QString picturesHtml(QStringView text, int pixelsPerEm)
{
    QString lines = text.toString();
    lines.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
    // HTML collapses runs of spaces and drops them at a line's ends: a space
    // is an ordinary one only alone between two other characters, where the
    // line may still break; every other stays, as a no-break space.
    QString body;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QChar c = lines[i];
        const auto blank = [&](qsizetype at) { return at < 0 || at >= lines.size() || lines[at].isSpace(); };
        if (c == u' ')
            body += blank(i - 1) || blank(i + 1) ? u"&nbsp;"_s : u" "_s;
        else if (c == u'\n')
            body += u"<br>"_s;
        else
            body += QStringView(&c, 1).toString().toHtmlEscaped();
    }
    return u"<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"></head><body>"_s + withPictures(body, pixelsPerEm)
        + u"</body></html>\n"_s;
}

QImage messagePicture(const QString& text, QFont font)
{
    font.setPointSizeF(18);
    constexpr qreal ratio = 2;
    QImage probe(1, 1, QImage::Format_RGB32);  // the text measured as it will be drawn
    probe.setDevicePixelRatio(ratio);
    QPainter measuring(&probe);
    measuring.setFont(font);
    const qreal emPixels = measuring.fontMetrics().height();
    const qreal margin = emPixels / 2;
    // As wide as an A5 page's text at most (148 mm less 1 cm each side),
    // printed at the size it was drawn: the letters at 18 pt.
    constexpr qreal printedWidthMm = 128, screenDpi = 96, mmPerInch = 25.4;
    const int flags = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;
    const qreal width = printedWidthMm / mmPerInch * screenDpi - 2 * margin;
    const QRectF bounds = measuring.boundingRect(QRectF(0, 0, width, 1e7), flags, text);
    measuring.end();
    const QSizeF size = bounds.size() + QSizeF(2 * margin, 2 * margin);
    if (size.height() * ratio > 20'000)
        return {};
    QImage image((size * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(QPointF(margin, margin), bounds.size()), flags, text);
    painter.end();
    // Said in the file, so that a word processor places it at that size.
    const int dotsPerMeter = qRound(ratio * screenDpi / mmPerInch * 1000);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

}  // namespace keyboard
