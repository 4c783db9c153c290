#include "qtprompts.h"

#include "fonts.h"
#include "plaintextfield.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QVBoxLayout>
#include <limits>

namespace ui {

using namespace Qt::StringLiterals;

namespace {
const QString okText = u"Εντάξει"_s;
const QString cancelText = u"Άκυρο"_s;

// A box over the active window, with its caption and an OK button that
// Enter presses, and a Cancel button when asked for.
struct Box {
    QDialog dialog{QApplication::activeWindow()};
    QVBoxLayout* layout = new QVBoxLayout(&dialog);
    QDialogButtonBox* buttons;

    Box(const QString& title, bool cancel)
        : buttons(new QDialogButtonBox(cancel ? QDialogButtonBox::Ok | QDialogButtonBox::Cancel : QDialogButtonBox::Ok))
    {
        dialog.setWindowTitle(title);
        dialog.resize(560, 0);
        buttons->button(QDialogButtonBox::Ok)->setText(okText);
        if (cancel)
            buttons->button(QDialogButtonBox::Cancel)->setText(cancelText);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    }
    Box(const Box&) = delete;
    Box& operator=(const Box&) = delete;

    QLabel* addLabel(const QString& text = {})
    {
        auto* label = new QLabel(text);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        layout->addWidget(label);
        return label;
    }

    // A text field at the message's size, under its caption.
    PlainTextField* addField(const QString& caption, bool readOnly)
    {
        QLabel* label = addLabel(caption);
        auto* field = new PlainTextField;
        field->setFont(designFont(12, false));
        field->setReadOnly(readOnly);
        field->setTabChangesFocus(true);
        field->setAccessibleName(caption.chopped(1));
        label->setBuddy(field);
        layout->addWidget(field);
        return field;
    }

    int exec()
    {
        layout->addWidget(buttons);
        return dialog.exec();
    }
};

// A character as the user can tell it: quoted, or by its number when it
// shows no ink of its own.
QString shown(const QString& character)
{
    const QChar first = character.front();
    if (first.isSpace() || first.category() == QChar::Other_Control || first.category() == QChar::Other_Format)
        return u"U+%1"_s.arg(uint(character.toUcs4().front()), 4, 16, QChar(u'0')).toUpper();
    return u"«"_s + character + u"»"_s;
}

}  // namespace

bool QtPrompts::confirm(const QString& title, const QString& prompt)
{
    QMessageBox box(QMessageBox::Warning, title, prompt, QMessageBox::Ok | QMessageBox::Cancel,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Ok)->setText(okText);
    box.button(QMessageBox::Cancel)->setText(cancelText);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

QString QtPrompts::askName(const QString& prompt, const QString& title, const QString& initial)
{
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    dialog.setOkButtonText(okText);
    dialog.setCancelButtonText(cancelText);
    // The answer becomes a caption whole; the line's default limit would cut it.
    if (auto* line = dialog.findChild<QLineEdit*>())
        line->setMaxLength(std::numeric_limits<int>::max());
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

std::optional<QString> QtPrompts::askText(const Writer& write)
{
    Box box(u"ΚΩΔΙΚΟΠΟΙΗΣΗ"_s, true);
    PlainTextField* input = box.addField(u"Κείμενο:"_s, false);
    PlainTextField* preview = box.addField(u"Θα προστεθεί στο τέλος του μηνύματος:"_s, true);
    QLabel* missing = box.addLabel();
    QObject::connect(input, &QPlainTextEdit::textChanged, &box.dialog, [&] {
        const model::Encoding encoding = write(input->toPlainText());
        preview->setPlainText(encoding.codes);
        QStringList characters;
        for (const QString& character : encoding.missing)
            characters << shown(character);
        missing->setText(characters.isEmpty() ? QString()
                                              : u"Χωρίς πλήκτρο, δεν γράφονται: "_s + characters.join(u' '));
    });
    // Enter is a line break in the text; Ctrl+Enter is OK.
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)})
        QObject::connect(new QShortcut(keys, &box.dialog), &QShortcut::activated, &box.dialog, &QDialog::accept);
    input->setFocus();
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return input->toPlainText();
}

void QtPrompts::showReading(const model::Reading& reading)
{
    Box box(u"ΑΠΟΚΩΔΙΚΟΠΟΙΗΣΗ"_s, false);
    PlainTextField* field = box.addField(u"Το μήνυμα με τους τωρινούς κωδικούς:"_s, true);
    QTextCursor cursor(field->document());
    QTextCharFormat unread;
    unread.setForeground(QColor(0xb0, 0x00, 0x20));
    bool anyUnread = false, anyUnnamed = false;
    for (const model::Piece& piece : reading.pieces) {
        switch (piece.kind) {
        case model::Piece::Kind::Key:
            // A custom key without a name has nothing to show but the mark.
            cursor.insertText(piece.text.isEmpty() ? QString(QChar(unnamedMark)) : piece.text, QTextCharFormat());
            anyUnnamed = anyUnnamed || piece.text.isEmpty();
            break;
        case model::Piece::Kind::LineBreak:
            cursor.insertBlock();
            break;
        case model::Piece::Kind::Unread:
            // Brackets as well as the colour: they survive a copy.
            cursor.insertText(u'[' + piece.text + u']', unread);
            anyUnread = true;
            break;
        }
    }
    if (anyUnread)
        box.addLabel(u"Σε αγκύλες και κόκκινα: ό,τι δεν ταιριάζει με κανέναν κωδικό, όπως είναι στο μήνυμα."_s);
    if (anyUnnamed)
        box.addLabel(QChar(unnamedMark) + u" : πλήκτρο χωρίς όνομα."_s);
    if (reading.ambiguous)
        box.addLabel(u"Με αυτούς τους κωδικούς το μήνυμα διαβάζεται με περισσότερους από έναν τρόπους· "
                     u"εδώ φαίνεται ένας."_s);
    field->moveCursor(QTextCursor::Start);
    field->setFocus();
    box.exec();
}

}  // namespace ui
