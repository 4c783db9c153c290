#pragma once

#include <QPlainTextEdit>

namespace ui {

// A multi-line field, such as the message, whose copy, cut or drag gives
// plain text alone, exactly the characters selected. A rich version beside
// it would be what a word processor takes, and word processors collapse the
// runs of spaces in it that a code is made of.
class PlainTextField : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

    // Pastes `data` as a paste from the clipboard would, in one undo step.
    void pasteData(const QMimeData& data) { insertFromMimeData(&data); }

protected:
    QMimeData* createMimeDataFromSelection() const override;
};

}  // namespace ui
