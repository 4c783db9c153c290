#include "lightwindow.h"

#include "page.h"

#include <QKeyEvent>
#include <QPainter>

namespace ui {

using namespace Qt::StringLiterals;

// A window of the box's own, so that it takes keys and clicks while the box is modal.
LightWindow::LightWindow(QWidget* owner) : QWidget(owner, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(u"light"_s);
    setWindowTitle(u"ΦΩΣ"_s);
    setAccessibleName(u"Φως"_s);
    setCursor(Qt::BlankCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LightWindow::setOn(bool on)
{
    if (on == on_)
        return;
    on_ = on;
    update();
}

void LightWindow::paintEvent(QPaintEvent*) { QPainter(this).fillRect(rect(), on_ ? Qt::white : Qt::black); }

void LightWindow::showEvent(QShowEvent*) { page::fillScreen(this); }

void LightWindow::hideEvent(QHideEvent*) { page::fillScreen(nullptr); }

void LightWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        emit ended();
    else
        QWidget::keyPressEvent(event);
}

void LightWindow::mousePressEvent(QMouseEvent*) { emit ended(); }

}  // namespace ui
