#include "plaintextfield.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextCursor>
#include <utility>

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
    startHold(*event);
    QPlainTextEdit::mousePressEvent(event);
}

void PlainTextField::mouseDoubleClickEvent(QMouseEvent* event)
{
    startHold(*event);  // a hold soon after a tap on the same place
    QPlainTextEdit::mouseDoubleClickEvent(event);
}

void PlainTextField::startHold(const QMouseEvent& press)
{
    // Qt hands a widget that takes no touches of its own a touch as a mouse
    // press from the touch screen; a real mouse has its right button.
    if (press.button() == Qt::LeftButton && press.device()->type() == QInputDevice::DeviceType::TouchScreen) {
        heldAt_ = press.position().toPoint();
        beforeHold_ = textCursor();
        held_ = false;
        hold_.start(holdMs, this);
    }
}

void PlainTextField::mouseMoveEvent(QMouseEvent* event)
{
    if (held_)
        return;  // the rest of a touch that opened the menu selects nothing
    QPlainTextEdit::mouseMoveEvent(event);
    // A finger never stays on the pixel: only a drag ends the hold.
    if (hold_.isActive()
        && (event->position().toPoint() - heldAt_).manhattanLength() > QApplication::startDragDistance())
        hold_.stop();
}

void PlainTextField::mouseReleaseEvent(QMouseEvent* event)
{
    hold_.stop();
    if (std::exchange(held_, false))
        return;
    QPlainTextEdit::mouseReleaseEvent(event);
}

void PlainTextField::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != hold_.timerId()) {
        QPlainTextEdit::timerEvent(event);
        return;
    }
    hold_.stop();
    held_ = true;
    // A right click leaves the caret and the selection where they were, so
    // that the menu copies what was selected: so does a held finger.
    setTextCursor(beforeHold_);
    // The way a right click goes, so the field's own menu, or the one its
    // window gives it, opens where the finger is.
    QContextMenuEvent menu(QContextMenuEvent::Mouse, heldAt_, viewport()->mapToGlobal(heldAt_));
    QCoreApplication::sendEvent(viewport(), &menu);
}

}  // namespace ui
