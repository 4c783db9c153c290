#include "heldfinger.h"

#include <QApplication>
#include <QBasicTimer>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextCursor>
#include <utility>

namespace ui {

namespace {

constexpr int holdMs = 500;

class HeldFinger : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:  // a hold soon after a tap on the same place
            start(watched, *static_cast<QMouseEvent*>(event));
            return false;
        case QEvent::MouseMove:
            if (watched != field_)
                return false;
            if (held_)
                return true;  // the rest of a touch that opened the menu selects nothing
            // A finger never stays on the pixel: only a drag ends the hold.
            if ((static_cast<QMouseEvent*>(event)->position().toPoint() - at_).manhattanLength()
                > QApplication::startDragDistance())
                hold_.stop();
            return false;
        case QEvent::MouseButtonRelease:
            if (watched != field_)
                return false;
            hold_.stop();
            field_ = nullptr;
            return std::exchange(held_, false);
        default:
            return false;
        }
    }

protected:
    void timerEvent(QTimerEvent* event) override
    {
        if (event->timerId() != hold_.timerId())
            return;
        hold_.stop();
        if (!field_)
            return;
        held_ = true;
        if (auto* text = editorOf(field_))
            text->setTextCursor(textBefore_);
        else if (auto* line = qobject_cast<QLineEdit*>(field_)) {
            line->setCursorPosition(caretBefore_);
            if (selectedBefore_ > 0)
                line->setSelection(selectionBefore_, selectedBefore_);
        }
        // The way a right click goes, so the field's own menu, or the one
        // its window or box gives it, opens where the finger is.
        QContextMenuEvent menu(QContextMenuEvent::Mouse, at_, field_->mapToGlobal(at_));
        QCoreApplication::sendEvent(field_, &menu);
    }

private:
    // The multi-line field a press on `widget`, its viewport, is a press on.
    static QPlainTextEdit* editorOf(QObject* widget)
    {
        auto* text = qobject_cast<QPlainTextEdit*>(widget->parent());
        return text && text->viewport() == widget ? text : nullptr;
    }

    void start(QObject* watched, const QMouseEvent& press)
    {
        // Qt hands a widget that takes no touches of its own a touch as a
        // mouse press from the touch screen; a real mouse has its right button.
        if (press.button() != Qt::LeftButton || press.device()->type() != QInputDevice::DeviceType::TouchScreen)
            return;
        auto* line = qobject_cast<QLineEdit*>(watched);
        QPlainTextEdit* text = line ? nullptr : editorOf(watched);
        if (!line && !text)
            return;
        field_ = static_cast<QWidget*>(watched);
        at_ = press.position().toPoint();
        held_ = false;
        if (text) {
            textBefore_ = text->textCursor();
        } else {
            caretBefore_ = line->cursorPosition();
            selectionBefore_ = line->selectionStart();
            selectedBefore_ = line->selectionLength();
        }
        hold_.start(holdMs, this);
    }

    QBasicTimer hold_;
    QPointer<QWidget> field_;  // pressed by a finger, a line edit or a text edit's viewport
    QPoint at_;                // in the field, where a right click's menu would open
    bool held_ = false;        // the menu opened: the rest of that touch is spent
    QTextCursor textBefore_;
    int caretBefore_ = 0, selectionBefore_ = -1, selectedBefore_ = 0;
};

}  // namespace

void openMenusOnHold() { qApp->installEventFilter(new HeldFinger(qApp)); }

}  // namespace ui
