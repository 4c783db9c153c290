#include "pigpenkey.h"

#include "model/slots.h"

#include <QPainter>
#include <QPainterPath>
#include <array>

namespace ui {

using namespace Qt::StringLiterals;

namespace {

constexpr int figures = 4;       // grid, dotted grid, cross, dotted cross
constexpr qreal gapCells = 0.8;  // between the figures

}  // namespace

PigpenKey::PigpenKey()
{
    setAccessibleName(u"Το κλειδί του Κάγκελου"_s);
    setAccessibleDescription(u"Α έως Ι στο πρώτο πλέγμα, Κ έως Σ στο δεύτερο με τελεία, Τ Υ Φ Χ στο Χ, "
                             u"Ψ και Ω στο Χ με τελεία."_s);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

int PigpenKey::cell() const { return fontMetrics().height() * 8 / 5; }

QSize PigpenKey::sizeHint() const
{
    const int side = cell();
    return {int(side * (3 * figures + gapCells * (figures - 1))) + 2, 3 * side + 2};
}

void PigpenKey::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = cell();
    p.setPen(QPen(palette().color(QPalette::WindowText), std::max(1.5, side / 14), Qt::SolidLine, Qt::RoundCap));
    p.setBrush(palette().color(QPalette::WindowText));
    const qreal dot = std::max(2.0, side / 9);
    // A letter at a point, and beside it the dot of the second figures.
    const auto letter = [&](QPointF at, int index, bool dotted) {
        const qreal shift = dotted ? side * 0.1 : 0;
        p.drawText(QRectF(at.x() - side / 2 - shift, at.y() - side / 2, side, side), Qt::AlignCenter,
                   QChar(model::letters[std::size_t(index)].capital));
        if (dotted)
            p.drawEllipse(QPointF(at.x() + side * 0.25, at.y()), dot / 2, dot / 2);
    };
    p.translate(1, 1);
    int next = 0;
    for (int figure = 0; figure < figures; ++figure) {
        const qreal left = figure * side * (3 + gapCells);
        const bool dotted = figure % 2 == 1;
        if (figure < 2) {
            for (int k = 1; k <= 2; ++k) {
                p.drawLine(QPointF(left + k * side, 0), QPointF(left + k * side, 3 * side));
                p.drawLine(QPointF(left, k * side), QPointF(left + 3 * side, k * side));
            }
            for (int row = 0; row < 3; ++row)
                for (int column = 0; column < 3; ++column)
                    letter({left + (column + 0.5) * side, (row + 0.5) * side}, next++, dotted);
        } else {
            p.drawLine(QPointF(left, 0), QPointF(left + 3 * side, 3 * side));
            p.drawLine(QPointF(left + 3 * side, 0), QPointF(left, 3 * side));
            // top, left, right, bottom; the dotted cross has letters for two
            const std::array<QPointF, 4> cells{QPointF(1.5, 0.55), QPointF(0.55, 1.5), QPointF(2.45, 1.5),
                                               QPointF(1.5, 2.45)};
            for (int i = 0; i < (dotted ? 2 : 4); ++i)
                letter({left + cells[i].x() * side, cells[i].y() * side}, next++, dotted);
        }
    }
}

}  // namespace ui
