#include "plaintextfield.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextCursor>

namespace ui {

QMimeData* PlainTextField::createMimeDataFromSelection() const
{
    // The selection as it stands: no-break spaces, combining marks and all.
    // Only the document's own paragraph and line separators become line
    // breaks, which the platform writes in its own way (CR LF on Windows).
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');
    auto* data = new QMimeData;
    data->setText(text);
    return data;
}

namespace {
constexpr int holdMs = 500;
}

void PlainTextField::mousePressEvent(QMouseEvent* event)
{
    QPlainTextEdit::mousePressEvent(event);
    // Qt hands a widget that takes no touches of its own a touch as a mouse
    // press from the touch screen; a real mouse has its right button.
    if (event->button() == Qt::LeftButton && event->device()->type() == QInputDevice::DeviceType::TouchScreen) {
        heldAt_ = event->position().toPoint();
        hold_.start(holdMs, this);
    }
}

void PlainTextField::mouseMoveEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseMoveEvent(event);
    // A finger never stays on the pixel: only a drag ends the hold.
    if (hold_.isActive()
        && (event->position().toPoint() - heldAt_).manhattanLength() > QApplication::startDragDistance())
        hold_.stop();
}

void PlainTextField::mouseReleaseEvent(QMouseEvent* event)
{
    hold_.stop();
    QPlainTextEdit::mouseReleaseEvent(event);
}

void PlainTextField::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != hold_.timerId()) {
        QPlainTextEdit::timerEvent(event);
        return;
    }
    hold_.stop();
    // The way a right click goes, so the field's own menu, or the one its
    // window gives it, opens where the finger is.
    QContextMenuEvent menu(QContextMenuEvent::Mouse, heldAt_, viewport()->mapToGlobal(heldAt_));
    QCoreApplication::sendEvent(viewport(), &menu);
}

}  // namespace ui
