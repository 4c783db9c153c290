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

    // Given its least height (a box's lines), it asks for no more and grows
    // with the box: Qt's own 192 pixels made a page with a field and a
    // wrapped caption claim that much of a phone's screen, whatever its face.
    QSize sizeHint() const override
    {
        const QSize hint = QPlainTextEdit::sizeHint();
        return minimumHeight() > 0 ? QSize(hint.width(), minimumHeight()) : hint;
    }

protected:
    QMimeData* createMimeDataFromSelection() const override;
    // Qt 6.4 reads the first of a paste's formats without asking whether
    // there is one: a paste from an empty clipboard (a fresh desktop's, or
    // Wine's while another program takes it over) ended the program. One
    // that holds nothing is no paste; one that holds something goes to
    // insertData().
    void insertFromMimeData(const QMimeData* source) final;
    virtual void insertData(const QMimeData& data) { QPlainTextEdit::insertFromMimeData(&data); }
};

}  // namespace ui
