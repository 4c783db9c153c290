#pragma once

#include <QWidget>

namespace ui {

// The pigpen's key as it is taught: two grids and two crosses with the
// letters in their cells, a dot in each cell of the second of each; the
// dotted cross's last two cells stay empty. Drawn at the size of its font.
class PigpenKey : public QWidget {
public:
    PigpenKey();
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int cell() const;  // a cell's side, in pixels
};

}  // namespace ui
