#pragma once

#include "geometry.h"

#include <QWidget>
#include <vector>

namespace ui {

// A window as it was designed: a client area in twips and the controls in it,
// each with its place and its font size. On a screen too small for it the
// whole window is drawn at one smaller scale: every place, size and font read
// from the same description with another factor, so the window keeps its
// proportions, its tab order and everything else.
class DesignedWindow : public QWidget {
    Q_OBJECT
public:
    DesignedWindow(int widthTwips, int heightTwips);

    QSize designedSize() const { return toPixels(width_, height_); }
    QSize sizeAt(double scale) const { return toPixels(width_, height_, scale); }
    double scale() const { return scale_; }
    void setScale(double scale);

protected:
    // Puts a control in its container at its designed place; with `points`
    // 0 it keeps its container's font.
    void place(QWidget* control, Twips where, qreal points = 0, bool bold = true);
    void setDesignedFont(qreal points, bool bold);  // the window's own
    virtual void scaleChanged() {}                  // for what else follows the scale

private:
    struct Placed {
        QWidget* control;
        Twips where;
        qreal points;
        bool bold;
    };
    void apply(const Placed& p) const;
    void applyFont();

    std::vector<Placed> placed_;
    int width_, height_;
    qreal points_ = 0;
    bool bold_ = false;
    double scale_ = 1;
};

}  // namespace ui
