#pragma once

#include <QPlainTextEdit>

namespace ui {

// Text3, the message. What leaves it by copy, cut or drag is plain text
// alone, exactly the characters selected. A rich version beside it would be
// what a word processor takes, and word processors collapse the runs of
// spaces in it that a code is made of.
class MessageField : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    QMimeData* createMimeDataFromSelection() const override;
};

}  // namespace ui
