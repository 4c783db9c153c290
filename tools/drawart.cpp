// drawart: draws the program's icon and the picture on its help button.
//
//     drawart OUTPUT_DIR
//
// writes icon.ico, icon-32.png, icon.svg, help.gif and program.ico, the program file's icon: the
// designed image and the same lily drawn anew at 48, 64 and 256 pixels; and the page's icons for a
// home screen, icon-192.png, icon-512.png and icon-maskable-512.png.  Nothing depends on the clock, the screen
// or the installed fonts' matching rules (the lettering is read straight from the DejaVu file),
// so a second run gives the same bytes and the shipped files can be checked against a fresh run.

#include <QBuffer>
#include <QByteArray>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// --- The scout lily ------------------------------------------------------------------------------
//
// One closed outline in a 100 × 100 box, y pointing down.  Only the right half is written here,
// from the tip of the central petal clockwise round to the point of the foot; the left half is its
// mirror image.  The icon, the SVG and the help picture all draw this same outline.

struct Segment {
    QPointF c1, c2, to;  // a cubic Bézier; a straight line only uses `to`
    bool straight = false;
};

Segment curve(QPointF c1, QPointF c2, QPointF to) { return {c1, c2, to, false}; }
Segment line(QPointF to) { return {to, to, to, true}; }

constexpr QPointF lilyTip{50, 2};
constexpr qreal lilyBandTop = 57, lilyBandBottom = 64;

const std::vector<Segment> lilyRightHalf = {
    // central petal: a spearhead narrowing to a neck just above the band
    curve({54, 11}, {60, 21}, {60, 33}),
    curve({60, 43}, {57, 49}, {56, 55}),
    // outer petal: broad where it leaves the band, up and out over its crown, tapering as it
    // curls down to a point beside the band
    curve({63, 45}, {71, 32}, {82, 32}),
    curve({93, 32}, {99, 41}, {97, 52}),
    curve({96, 59}, {93, 64}, {89, 70}),
    curve({90, 61}, {88, 52}, {82, 50}),
    curve({76, 48}, {70, 52}, {68, lilyBandTop}),
    // the band across
    line({81, lilyBandTop}),
    line({81, lilyBandBottom}),
    line({59, lilyBandBottom}),
    // the foot: a side lobe turning outward, then the middle lobe down to a point
    curve({64, 66}, {70, 69}, {73, 78}),
    curve({68, 74}, {61, 73}, {56, 76}),
    curve({55, 83}, {53, 88}, {50, 92}),
};

std::vector<Segment> lilyOutline()
{
    const auto mirror = [](QPointF p) { return QPointF(100 - p.x(), p.y()); };
    std::vector<Segment> outline = lilyRightHalf;
    // Back up the left side: the right half walked in reverse, mirrored.
    for (auto i = lilyRightHalf.size(); i-- > 0;) {
        const Segment& s = lilyRightHalf[i];
        const QPointF from = mirror(i > 0 ? lilyRightHalf[i - 1].to : lilyTip);
        outline.push_back(s.straight ? line(from) : curve(mirror(s.c2), mirror(s.c1), from));
    }
    return outline;
}

QPainterPath lilyPath(const QTransform& place = {})
{
    QPainterPath path(lilyTip);
    for (const Segment& s : lilyOutline()) {
        if (s.straight)
            path.lineTo(s.to);
        else
            path.cubicTo(s.c1, s.c2, s.to);
    }
    path.closeSubpath();
    return place.map(path);
}

QString lilySvgPathData()
{
    const auto point = [](QPointF p) { return QString::number(p.x()) + u' ' + QString::number(p.y()); };
    QString d = u'M' + point(lilyTip);
    for (const Segment& s : lilyOutline()) {
        if (s.straight)
            d += u'L' + point(s.to);
        else
            d += u'C' + point(s.c1) + u' ' + point(s.c2) + u' ' + point(s.to);
    }
    return d + u'Z';
}

// --- The icon ------------------------------------------------------------------------------------

constexpr int iconSize = 32;

// The lily at 32 × 32: opaque black where it covers at least half a pixel, transparent elsewhere.
// Hard edges, because the ICO has only an on/off mask.
QImage iconRaster()
{
    QImage coverage(iconSize, iconSize, QImage::Format_ARGB32_Premultiplied);
    coverage.fill(Qt::transparent);
    {
        QPainter p(&coverage);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(lilyPath(QTransform::fromScale(iconSize / 100.0, iconSize / 100.0)), Qt::black);
    }
    QImage icon(iconSize, iconSize, QImage::Format_ARGB32);
    for (int y = 0; y < iconSize; ++y)
        for (int x = 0; x < iconSize; ++x)
            icon.setPixel(x, y, qAlpha(coverage.pixel(x, y)) >= 128 ? qRgba(0, 0, 0, 255) : 0);
    return icon;
}

// The sixteen colours of the Windows VGA palette, in their usual order.
constexpr std::array<QRgb, 16> vgaPalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xc0c0c0,
    0x808080, 0xff0000, 0x00ff00, 0xffff00, 0x0000ff, 0xff00ff, 0x00ffff, 0xffffff,
};

// One image of an ICO file: its directory entry's fields and its bytes.
struct IcoImage {
    int size;
    quint8 colours;  // 0 for more than 256
    quint16 bitCount;
    QByteArray bytes;
};

QByteArray icoFile(const std::vector<IcoImage>& images)
{
    QByteArray out;
    QDataStream put(&out, QIODevice::WriteOnly);
    put.setByteOrder(QDataStream::LittleEndian);
    // ICONDIR, then an ICONDIRENTRY an image; a size of 256 is written as 0.
    put << quint16(0) << quint16(1) << quint16(images.size());
    quint32 offset = 6 + 16 * images.size();
    for (const IcoImage& image : images) {
        put << quint8(image.size % 256) << quint8(image.size % 256) << image.colours << quint8(0);
        put << quint16(1) << image.bitCount << quint32(image.bytes.size()) << offset;
        offset += image.bytes.size();
    }
    for (const IcoImage& image : images)
        put.writeRawData(image.bytes.constData(), int(image.bytes.size()));
    return out;
}

// The designed image: 16 colours, the form every Windows version reads.
IcoImage designedIcoImage(const QImage& icon)
{
    constexpr int rowBytes = iconSize / 2;      // 4 bits a pixel
    constexpr int maskRowBytes = iconSize / 8;  // 1 bit a pixel, already a multiple of 4
    constexpr int pixelBytes = (rowBytes + maskRowBytes) * iconSize;

    QByteArray out;
    QDataStream put(&out, QIODevice::WriteOnly);
    put.setByteOrder(QDataStream::LittleEndian);
    // BITMAPINFOHEADER; the height counts the colour plane and the mask together
    put << quint32(40) << qint32(iconSize) << qint32(2 * iconSize) << quint16(1) << quint16(4);
    put << quint32(0) << quint32(pixelBytes) << qint32(0) << qint32(0) << quint32(0) << quint32(0);
    for (QRgb c : vgaPalette)
        put << quint8(qBlue(c)) << quint8(qGreen(c)) << quint8(qRed(c)) << quint8(0);
    // Colour plane: every pixel is colour 0, black; the mask alone decides which ones show.
    for (int i = 0; i < rowBytes * iconSize; ++i)
        put << quint8(0);
    // AND mask, bottom row first: a set bit lets the background through.
    for (int y = iconSize - 1; y >= 0; --y) {
        for (int byte = 0; byte < maskRowBytes; ++byte) {
            quint8 bits = 0;
            for (int bit = 0; bit < 8; ++bit)
                if (qAlpha(icon.pixel(byte * 8 + bit, y)) == 0)
                    bits |= 0x80 >> bit;
            put << bits;
        }
    }
    return {iconSize, 16, 4, out};
}

// The lily drawn anew at a larger size, with smooth edges in its alpha:
// what Explorer, the Start menu and the taskbar pick at 125 % to 200 %.
QImage smoothIcon(int size)
{
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(lilyPath(QTransform::fromScale(size / 100.0, size / 100.0)), Qt::black);
    return icon;
}

// 32 bits a pixel, alpha included, bottom row first, and the AND mask
// Windows still expects after it (all clear: the alpha decides).
IcoImage alphaIcoImage(int size)
{
    const QImage icon = smoothIcon(size);
    const int maskRowBytes = (size / 8 + 3) / 4 * 4;
    QByteArray out;
    QDataStream put(&out, QIODevice::WriteOnly);
    put.setByteOrder(QDataStream::LittleEndian);
    put << quint32(40) << qint32(size) << qint32(2 * size) << quint16(1) << quint16(32);
    put << quint32(0) << quint32(size * size * 4 + maskRowBytes * size) << qint32(0) << qint32(0) << quint32(0)
        << quint32(0);
    for (int y = size - 1; y >= 0; --y)
        for (int x = 0; x < size; ++x) {
            const QRgb c = icon.pixel(x, y);
            put << quint8(qBlue(c)) << quint8(qGreen(c)) << quint8(qRed(c)) << quint8(qAlpha(c));
        }
    for (int i = 0; i < maskRowBytes * size; ++i)
        put << quint8(0);
    return {size, 0, 32, out};
}

// The largest as PNG, as Windows keeps its 256-pixel icons.
IcoImage pngIcoImage(int size)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    smoothIcon(size).save(&buffer, "PNG");
    return {size, 0, 32, png};
}

QByteArray svgFile()
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" "
                          "viewBox=\"0 0 100 100\">\n"
                          "  <path fill=\"#000\" d=\"%1\"/>\n"
                          "</svg>\n")
        .arg(lilySvgPathData())
        .toUtf8();
}

// --- The page's icons ----------------------------------------------------------------------------
//
// What a phone or a desktop shows for the page once it is installed.  A launcher may be dark or
// light, so the black lily stands on a filled tile in the grey of the page's card, never on
// transparency.

constexpr QRgb tileGrey = qRgb(0xc0, 0xc0, 0xc0);

// How far the outline reaches from the middle of its bounding box, in the outline's own units:
// the petals' tips, not the box's corners, are what must stay inside a launcher's circle.
qreal lilyReach()
{
    const QPainterPath path = lilyPath();
    const QPointF middle = path.boundingRect().center();
    qreal reach = 0;
    for (int i = 0; i <= 2000; ++i) {
        const QPointF d = path.pointAtPercent(i / 2000.0) - middle;
        reach = std::max(reach, std::hypot(d.x(), d.y()));
    }
    return reach;
}

// The lily centred on a `size` tile.  A plain icon is a rounded tile with the lily filling most
// of it.  A maskable one is cut by the launcher to any shape that holds the middle circle of 80 %
// of its width, so its tile runs to the edges and the whole lily lies inside a circle of 72 %,
// keeping a margin from the cut.
QImage pageIcon(int size, bool maskable)
{
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    if (maskable) {
        icon.fill(tileGrey);
    } else {
        QPainterPath tile;
        tile.addRoundedRect(QRectF(0, 0, size, size), 0.18 * size, 0.18 * size);
        p.fillPath(tile, QColor(tileGrey));
    }
    const QPainterPath lily = lilyPath();
    const QRectF box = lily.boundingRect();
    const qreal scale = maskable ? 0.36 * size / lilyReach() : 0.78 * size / std::max(box.width(), box.height());
    QTransform place;
    place.translate(size / 2.0, size / 2.0);
    place.scale(scale, scale);
    place.translate(-box.center().x(), -box.center().y());
    p.fillPath(place.map(lily), Qt::black);
    return icon;
}

// --- The help picture ----------------------------------------------------------------------------
//
// Drawn in black on white with antialiasing, in pixel coordinates of the 182 × 320 picture.
// The emblem fills the upper part, the question mark the lower.

constexpr int helpWidth = 182;
constexpr int helpHeight = 320;
constexpr qreal midX = helpWidth / 2.0;

// Fills `shape` white inside a black outline `outline` pixels wide, so that it reads both on the
// black lily and on the white ground around it.
void inked(QPainter& p, const QPainterPath& shape, qreal outline = 1.3)
{
    p.strokePath(shape, QPen(Qt::black, 2 * outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.fillPath(shape, Qt::white);
}

void drawLily(QPainter& p, QPointF topLeft, qreal size)
{
    QTransform place;
    place.translate(topLeft.x(), topLeft.y());
    place.scale(size / 100, size / 100);
    p.fillPath(lilyPath(place), Qt::black);
}

// One tongue of flame: swelling from its foot at `base`, then drawn in to a point that flicks
// aside by `lean`.
QPainterPath flameTongue(QPointF base, qreal width, qreal height, qreal lean)
{
    const auto pt = [&](qreal x, qreal y) { return base + QPointF(x * width, -y * height); };
    const qreal tip = lean / width;
    QPainterPath tongue(pt(-0.5, 0));
    tongue.cubicTo(pt(-0.95, 0.35), pt(tip - 0.15, 0.55), pt(tip, 1));
    tongue.cubicTo(pt(tip * 0.3 + 0.20, 0.65), pt(0.90, 0.40), pt(0.5, 0));
    tongue.closeSubpath();
    return tongue;
}

// A fire on a base line centred at `base`: tongues leaning away from the middle, the tallest in
// the middle and in front, each with a dark inner flame.
void drawFlames(QPainter& p, QPointF base, qreal width, qreal height)
{
    struct Tongue {
        qreal x, width, height, lean;
    };
    const Tongue tongues[] = {
        // back to front
        {-0.38, 0.22, 0.55, -0.16}, {0.38, 0.22, 0.55, 0.16}, {-0.22, 0.24, 0.80, -0.12},
        {0.22, 0.24, 0.80, 0.12},   {0.00, 0.28, 1.00, 0.05},
    };
    for (const Tongue& t : tongues) {
        const QPointF foot = base + QPointF(t.x * width, 0);
        inked(p, flameTongue(foot, t.width * width, t.height * height, t.lean * width));
        p.fillPath(flameTongue(foot, 0.4 * t.width * width, 0.5 * t.height * height, 0.4 * t.lean * width), Qt::black);
    }
}

// A feather: pointed at the tip, rounded at the root, bowed to its left by `bend`.
QPainterPath feather(QPointF root, QPointF tip, qreal width, qreal bend = 0)
{
    const QPointF along = tip - root;
    const QPointF normal = QPointF(along.y(), -along.x()) / std::hypot(along.x(), along.y());
    const auto at = [&](qreal t, qreal side) { return root + t * along + side * normal; };
    QPainterPath path(root);
    path.cubicTo(at(0.05, width * 0.6 + bend), at(0.60, width * 0.55 + bend), tip);
    path.cubicTo(at(0.60, -width * 0.45 + bend), at(0.05, -width * 0.6 + bend), root);
    return path;
}

// The phoenix rising: wings raised in a V, head turned to the right.  Drawn about the middle of
// its chest, `span` the reach of each wing; its lower body is left for the fire to hide.
void drawPhoenix(QPainter& p, QPointF chest, qreal span)
{
    const auto pt = [&](qreal x, qreal y) { return chest + span * QPointF(x, y); };

    // Wings: a fan of flight feathers on each side, the lowest drawn first so those above overlap it
    struct Quill {
        qreal rootX, rootY, tipX, tipY, width;
    };
    const Quill quills[] = {
        {0.10, -0.05, 0.85, -0.22, 0.22},
        {0.12, -0.12, 1.00, -0.52, 0.24},
        {0.12, -0.20, 0.98, -0.86, 0.24},
        {0.10, -0.28, 0.70, -1.12, 0.22},
    };
    const QTransform mirror(-1, 0, 0, 1, 2 * chest.x(), 0);
    for (const Quill& q : quills) {
        const QPainterPath right = feather(pt(q.rootX, q.rootY), pt(q.tipX, q.tipY), q.width * span, -0.06 * span);
        inked(p, right);
        inked(p, mirror.map(right));
    }
    // the covert feathers over the roots of the quills
    const QPainterPath coverts = feather(pt(0.06, -0.12), pt(0.62, -0.60), 0.34 * span, 0.04 * span);
    inked(p, coverts);
    inked(p, mirror.map(coverts));

    // Body and neck rising to the head, which looks to the right with its beak open
    QPainterPath body(pt(0, 0.35));
    body.cubicTo(pt(-0.24, 0.20), pt(-0.22, -0.30), pt(-0.08, -0.50));
    body.cubicTo(pt(-0.04, -0.68), pt(-0.04, -0.92), pt(0.10, -0.94));  // back of the neck to the crown
    body.cubicTo(pt(0.20, -0.95), pt(0.26, -0.88), pt(0.27, -0.84));
    body.lineTo(pt(0.46, -0.80));  // upper beak
    body.lineTo(pt(0.26, -0.77));
    body.lineTo(pt(0.40, -0.70));  // lower beak
    body.lineTo(pt(0.22, -0.71));
    body.cubicTo(pt(0.12, -0.64), pt(0.10, -0.48), pt(0.14, -0.32));  // throat to breast
    body.cubicTo(pt(0.22, -0.05), pt(0.18, 0.22), pt(0, 0.35));
    // Crest: three plumes swept back from the crown
    for (int i = 0; i < 3; ++i)
        inked(p, feather(pt(0.06, -0.90), pt(-0.24 - 0.04 * i, -1.12 + 0.15 * i), 0.09 * span, 0.02 * span));
    inked(p, body);
    p.setBrush(Qt::black);
    p.setPen(Qt::NoPen);
    p.drawEllipse(pt(0.15, -0.84), 0.045 * span, 0.045 * span);  // eye
}

// Sets `text` along a circle about `centre`, each letter upright to the circle.  Over the top of
// the circle the letters stand on its outside; under the bottom they hang inside it, heads toward
// the centre, so both read left to right.
void drawTextOnArc(QPainter& p, const QRawFont& font, const QString& text, QPointF centre, qreal radius, bool overTop,
                   qreal tracking = 0)
{
    const QList<quint32> glyphs = font.glyphIndexesForString(text);
    const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs);
    qreal length = tracking * (glyphs.size() - 1);
    for (const QPointF& a : advances)
        length += a.x();

    const qreal side = overTop ? 1 : -1;
    qreal along = -length / 2;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        const qreal width = advances[i].x();
        const qreal angle = (along + width / 2) / radius;  // 0 at the top (or bottom) of the circle
        QTransform t;
        t.translate(centre.x() + radius * std::sin(angle), centre.y() - side * radius * std::cos(angle));
        t.rotateRadians(side * angle);
        t.translate(-width / 2, 0);
        p.fillPath(t.map(font.pathForGlyph(glyphs[i])), Qt::black);
        along += width + tracking;
    }
}

// The motto arched over the lily.
void drawTopMotto(QPainter& p, const QRawFont& font)
{
    drawTextOnArc(p, font, QStringLiteral("ΕΣΟ ΕΤΟΙΜΟΣ"), QPointF(midX, 119), 100, true, 1.2);
}

// A ribbon scroll bowed like a smile, its ends folded back behind it and cut into swallowtails,
// with `text` lettered along it.
void drawScroll(QPainter& p, const QRawFont& font, const QString& text, qreal top)
{
    const qreal radius = 150, depth = 15, halfAngle = 0.47;
    const QPointF centre(midX, top + depth / 2 - radius);
    const auto at = [&](qreal angle, qreal r) { return centre + r * QPointF(std::sin(angle), std::cos(angle)); };

    for (int side : {-1, 1}) {
        // The tail behind: starts under the band's end, runs out a little lower, notched at its end.
        const qreal a0 = side * (halfAngle - 0.08), a1 = side * (halfAngle + 0.10);
        const QPointF drop(0, 6);
        QPainterPath tail(at(a0, radius - depth / 2) + drop);
        tail.lineTo(at(a1, radius - depth / 2) + drop);
        tail.lineTo(at(a1 - side * 0.05, radius) + drop);
        tail.lineTo(at(a1, radius + depth / 2) + drop);
        tail.lineTo(at(a0, radius + depth / 2) + drop);
        tail.closeSubpath();
        inked(p, tail);
        // the fold where the ribbon turns back, in shadow
        QPainterPath fold(at(side * halfAngle, radius + depth / 2));
        fold.lineTo(at(a0, radius + depth / 2) + drop);
        fold.lineTo(at(side * halfAngle, radius - depth / 2) + drop);
        fold.closeSubpath();
        p.strokePath(fold, QPen(Qt::black, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.fillPath(fold, Qt::black);
    }

    QPainterPath band;
    const QRectF outer(centre - QPointF(radius + depth / 2, radius + depth / 2),
                       QSizeF(2 * radius + depth, 2 * radius + depth));
    const QRectF inner = outer.adjusted(depth, depth, -depth, -depth);
    const qreal startDeg = -90 - qRadiansToDegrees(halfAngle), sweepDeg = 2 * qRadiansToDegrees(halfAngle);
    band.arcMoveTo(outer, startDeg);
    band.arcTo(outer, startDeg, sweepDeg);
    band.arcTo(inner, startDeg + sweepDeg, -sweepDeg);
    band.closeSubpath();
    inked(p, band);

    const qreal capHeight = font.capHeight();
    drawTextOnArc(p, font, text, centre, radius + capHeight / 2, false, 0.3);
}

// A large question mark: a round hook ending in a short stem, and the dot below.
void drawQuestionMark(QPainter& p, qreal top, qreal bottom)
{
    const qreal height = bottom - top;
    const qreal stroke = 0.16 * height;
    const qreal radius = 0.24 * height;
    const QPointF hookCentre(midX, top + stroke / 2 + radius);
    const qreal dotRadius = 0.55 * stroke;
    const QPointF dot(midX, bottom - dotRadius);

    QPainterPath hook;
    const QRectF circle(hookCentre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
    hook.arcMoveTo(circle, 165);
    hook.arcTo(circle, 165, -225);  // clockwise over the top, round to the lower right
    const QPointF stemTop(midX, dot.y() - dotRadius - 0.30 * height);
    hook.quadTo(QPointF(midX, hookCentre.y() + radius * 0.75), stemTop);
    hook.lineTo(stemTop + QPointF(0, 0.08 * height));
    p.strokePath(hook, QPen(Qt::black, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));

    p.setBrush(Qt::black);
    p.setPen(Qt::NoPen);
    p.drawEllipse(dot, dotRadius, dotRadius);
}

QImage helpPicture(const QRawFont& mottoFont, const QRawFont& scrollFont)
{
    QImage image(helpWidth, helpHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // The lily's box, and where the phoenix's fire stands on the band
    const qreal lilySize = 156, lilyTop = 26;
    const qreal bandTop = lilyTop + lilyBandTop / 100 * lilySize;

    drawTopMotto(p, mottoFont);
    drawLily(p, QPointF(midX - lilySize / 2, lilyTop), lilySize);
    drawPhoenix(p, QPointF(midX, bandTop - 20), 33);
    drawFlames(p, QPointF(midX, bandTop - 0.5), 60, 30);
    drawScroll(p, scrollFont, QStringLiteral("ΑΕΙ ΑΝΑΓΕΝΝΩΜΕΘΑ"), 157);
    drawQuestionMark(p, 205, 311);
    return image;
}

// The GIF's 32 colours: black, white, fifteen greys from light to dark for the antialiased edges,
// a white that is marked transparent but never used, and black to fill out the table.
constexpr int greyCount = 15;
constexpr int transparentIndex = 17;

int greyOf(int index) { return index == 0 ? 0 : index == 1 ? 255 : 255 - 16 * (index - 1); }

// The palette index nearest to a grey level.
GifByteType indexFor(int grey)
{
    int best = 0;
    for (int index = 1; index <= 1 + greyCount; ++index)
        if (std::abs(greyOf(index) - grey) < std::abs(greyOf(best) - grey))
            best = index;
    return GifByteType(best);
}

int appendToByteArray(GifFileType* gif, const GifByteType* bytes, int length)
{
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), length);
    return length;
}

// The picture as a one-frame GIF89a; empty if giflib fails.
QByteArray gifFile(const QImage& image)
{
    QByteArray bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, appendToByteArray, &error);
    if (!gif)
        return {};

    std::array<GifColorType, 32> colours{};  // all black to begin with
    for (int index = 0; index <= 1 + greyCount; ++index) {
        const auto g = GifByteType(greyOf(index));
        colours[index] = {g, g, g};
    }
    colours[transparentIndex] = {255, 255, 255};

    std::vector<GifByteType> raster;
    raster.reserve(size_t(image.width()) * image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            raster.push_back(indexFor(qGray(image.pixel(x, y))));

    // Written piece by piece rather than with EGifSpew, which leaves the
    // saved image and its colour map behind when it closes the file.
    ColorMapObject* palette = GifMakeMapObject(int(colours.size()), colours.data());
    const GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, transparentIndex};
    GifByteType extension[4];
    const size_t extensionLength = EGifGCBToExtension(&control, extension);
    EGifSetGifVersion(gif, true);
    bool ok = palette && EGifPutScreenDesc(gif, image.width(), image.height(), 8, 1, palette) == GIF_OK
        && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(extensionLength), extension) == GIF_OK
        && EGifPutImageDesc(gif, 0, 0, image.width(), image.height(), false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < image.height(); ++y)
        ok = EGifPutLine(gif, raster.data() + size_t(y) * image.width(), image.width()) == GIF_OK;
    GifFreeMapObject(palette);
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    return ok ? bytes : QByteArray();
}

bool writeFile(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    return !bytes.isEmpty() && file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

}  // namespace

int main(int argc, char* argv[])
{
    // It never shows a window, so it needs no display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    if (argc != 2) {
        std::fprintf(stderr, "usage: drawart OUTPUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString fontFile = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
    const QRawFont mottoFont(fontFile, 14), scrollFont(fontFile, 10);
    if (!mottoFont.isValid() || !scrollFont.isValid()) {
        std::fprintf(stderr, "drawart: cannot read %s (package fonts-dejavu-core)\n", qPrintable(fontFile));
        return 1;
    }

    const QImage icon = iconRaster();
    int black = 0;
    for (int y = 0; y < iconSize; ++y)
        for (int x = 0; x < iconSize; ++x)
            black += qAlpha(icon.pixel(x, y)) != 0;

    const bool ok = out.mkpath(QStringLiteral("."))
        && writeFile(out.filePath(QStringLiteral("icon.ico")), icoFile({designedIcoImage(icon)}))
        && writeFile(out.filePath(QStringLiteral("program.ico")),
                     icoFile({designedIcoImage(icon), alphaIcoImage(48), alphaIcoImage(64), pngIcoImage(256)}))
        && icon.save(out.filePath(QStringLiteral("icon-32.png")), "PNG")
        && writeFile(out.filePath(QStringLiteral("icon.svg")), svgFile())
        && writeFile(out.filePath(QStringLiteral("help.gif")), gifFile(helpPicture(mottoFont, scrollFont)))
        && pageIcon(192, false).save(out.filePath(QStringLiteral("icon-192.png")), "PNG")
        && pageIcon(512, false).save(out.filePath(QStringLiteral("icon-512.png")), "PNG")
        && pageIcon(512, true).save(out.filePath(QStringLiteral("icon-maskable-512.png")), "PNG");
    if (!ok) {
        std::fprintf(stderr, "drawart: cannot write into %s\n", qPrintable(out.path()));
        return 1;
    }
    std::printf("icon: %d of %d pixels black\n", black, iconSize * iconSize);
    return 0;
}
