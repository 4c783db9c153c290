#pragma once

#include <QWidget>

namespace ui {

// The screen as a signal lamp: white while the tone sounds, black between.
// Esc or a click ends it.
class LightWindow : public QWidget {
    Q_OBJECT
public:
    explicit LightWindow(QWidget* owner);
    void setOn(bool on);
    bool isOn() const { return on_; }

signals:
    void ended();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool on_ = false;
};

}  // namespace ui
