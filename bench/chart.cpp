#include "chart.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

bool drawChart(const QString& file, const QString& title, const std::vector<Curve>& curves)
{
    constexpr int width = 900, height = 520, left = 80, right = 30, top = 50, bottom = 70;
    constexpr double floorFraction = 0.001;  // none wrong is drawn at 0.1 %
    double low = 1e9, high = -1e9;
    for (const Curve& c : curves)
        for (const auto& [db, f] : c.points) {
            low = std::min(low, db);
            high = std::max(high, db);
        }
    if (low >= high)
        return false;
    const auto x = [&](double db) { return left + (db - low) / (high - low) * (width - left - right); };
    const auto y = [&](double fraction) {
        const double l = std::log10(std::clamp(fraction, floorFraction, 1.0));
        return top + (0 - l) / 3.0 * (height - top - bottom);
    };

    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(u"Liberation Sans"_s, 11);
    p.setFont(font);
    p.setPen(QColor(220, 220, 220));
    for (int d = int(std::ceil(low / 5) * 5); d <= high; d += 5)
        p.drawLine(QPointF(x(d), top), QPointF(x(d), height - bottom));
    for (const double f : {0.001, 0.01, 0.1, 1.0})
        p.drawLine(QPointF(left, y(f)), QPointF(width - right, y(f)));
    p.setPen(QPen(QColor(150, 0, 0), 1, Qt::DashLine));
    p.drawLine(QPointF(left, y(0.02)), QPointF(width - right, y(0.02)));
    p.drawText(QPointF(width - right - 40, y(0.02) - 4), u"2 %"_s);
    p.setPen(Qt::black);
    p.drawRect(QRectF(left, top, width - left - right, height - top - bottom));
    for (int d = int(std::ceil(low / 5) * 5); d <= high; d += 5)
        p.drawText(QRectF(x(d) - 30, height - bottom + 6, 60, 20), Qt::AlignHCenter, QString::number(d));
    const QStringList fractionNames{u"≤0.1 %"_s, u"1 %"_s, u"10 %"_s, u"100 %"_s};
    const double fractions[] = {0.001, 0.01, 0.1, 1.0};
    for (int i = 0; i < 4; ++i)
        p.drawText(QRectF(0, y(fractions[i]) - 10, left - 8, 20), Qt::AlignRight | Qt::AlignVCenter, fractionNames[i]);
    p.drawText(QRectF(left, height - 40, width - left - right, 20), Qt::AlignHCenter,
               u"tone's power keyed over the noise's in 3 kHz, dB"_s);
    p.save();
    p.translate(18, top + (height - top - bottom) / 2.0);
    p.rotate(-90);
    p.drawText(QRectF(-120, -10, 240, 20), Qt::AlignHCenter, u"characters wrong"_s);
    p.restore();
    QFont bold = font;
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(QRectF(left, 12, width - left - right, 24), Qt::AlignHCenter, title);
    p.setFont(font);

    int legend = 0;
    for (const Curve& c : curves) {
        QPainterPath path;
        for (std::size_t i = 0; i < c.points.size(); ++i) {
            const QPointF at(x(c.points[i].first), y(c.points[i].second));
            i == 0 ? path.moveTo(at) : path.lineTo(at);
        }
        p.setPen(QPen(c.colour, 2.5));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        p.setBrush(c.colour);
        for (const auto& [db, f] : c.points)
            p.drawEllipse(QPointF(x(db), y(f)), 3, 3);
        const double ly = top + 20 + 22 * legend++;
        p.drawLine(QPointF(width - right - 170, ly), QPointF(width - right - 140, ly));
        p.setPen(Qt::black);
        p.drawText(QPointF(width - right - 130, ly + 5), c.name);
    }
    p.end();
    return image.save(file, "PNG");
}
