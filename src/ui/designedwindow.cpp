#include "designedwindow.h"

#include "fonts.h"

namespace ui {

DesignedWindow::DesignedWindow(int widthTwips, int heightTwips) : width_(widthTwips), height_(heightTwips)
{
    resize(designedSize());
}

void DesignedWindow::place(QWidget* control, Twips where, qreal points, bool bold)
{
    placed_.push_back({control, where, points, bold});
    apply(placed_.back());
}

void DesignedWindow::setDesignedFont(qreal points, bool bold)
{
    points_ = points;
    bold_ = bold;
    applyFont();
}

void DesignedWindow::applyFont()
{
    if (points_ > 0)
        setFont(designFont(points_ * scale_, bold_));
}

void DesignedWindow::apply(const Placed& p) const
{
    p.control->setGeometry(toPixels(p.where, scale_));
    if (p.points > 0)
        p.control->setFont(designFont(p.points * scale_, p.bold));
}

void DesignedWindow::setScale(double scale)
{
    if (scale == scale_)
        return;
    scale_ = scale;
    resize(sizeAt(scale_));
    applyFont();
    for (const Placed& p : placed_)
        apply(p);
    scaleChanged();
}

}  // namespace ui
