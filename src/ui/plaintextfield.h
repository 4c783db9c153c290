#pragma once

#include <QBasicTimer>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace ui {

// A multi-line field, such as the message, whose copy, cut or drag gives
// plain text alone, exactly the characters selected. A rich version beside
// it would be what a word processor takes, and word processors collapse the
// runs of spaces in it that a code is made of.
//
// A finger has no right button: a touch held still for half a second opens
// the field's context menu, as a right click does.
class PlainTextField : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    QMimeData* createMimeDataFromSelection() const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void startHold(const QMouseEvent& press);

    QBasicTimer hold_;
    QPoint heldAt_;  // in the viewport, where a right click's menu would open
    QTextCursor beforeHold_;
    bool held_ = false;  // the menu opened: the rest of that touch is spent
};

}  // namespace ui
