#include "qtprompts.h"

#include "box.h"
#include "codesbox.h"
#include "hearbox.h"
#include "plaintextfield.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTextCharFormat>
#include <QTextCursor>
#include <limits>

namespace ui {

using namespace Qt::StringLiterals;

namespace {

// Every box of ours teaches Ctrl+Enter as OK, so a hand used to it reaches
// for it here too, where OK ends the program or wipes the codes. A button
// takes Enter whatever the modifiers; here Ctrl+Enter goes nowhere, and
// Enter alone stays OK.
class CtrlEnterIgnored : public QObject {
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && key->modifiers().testFlag(Qt::ControlModifier);
    }
};

}  // namespace

bool QtPrompts::confirm(const QString& title, const QString& prompt)
{
    QMessageBox box(QMessageBox::Warning, title, prompt, QMessageBox::Ok | QMessageBox::Cancel,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Ok)->setText(okText);
    box.button(QMessageBox::Cancel)->setText(cancelText);
    CtrlEnterIgnored ctrlEnterIgnored;
    for (QAbstractButton* button : box.buttons())
        button->installEventFilter(&ctrlEnterIgnored);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

void QtPrompts::inform(const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Ok)->setText(okText);
    box.exec();
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

QString shownCharacter(const QString& character)
{
    const QChar first = character.front();
    if (first == u' ')
        return u"«κενό»"_s;
    if (first == u'\t')
        return u"«στηλοθέτης»"_s;
    if (first == QChar::Nbsp)
        return u"«αδιάσπαστο κενό»"_s;
    if (first.category() == QChar::Separator_Space)
        return u"«ειδικό κενό»"_s;
    if (first.category() == QChar::Other_Control || first.category() == QChar::Other_Format)
        return u"«αόρατος χαρακτήρας»"_s;
    if (first.isMark())
        return u"«◌"_s + character + u"»"_s;  // an accent on its own, on the dotted circle
    return u"«"_s + character + u"»"_s;
}

std::optional<QString> QtPrompts::askText(const Writer& write, const QString& ambiguity)
{
    Box box(u"ΚΩΔΙΚΟΠΟΙΗΣΗ"_s, true);
    PlainTextField* input = box.addField(u"Κείμενο:"_s, false);
    PlainTextField* preview = box.addField(u"Θα προστεθεί στο τέλος του μηνύματος:"_s, true);
    QLabel* lookAlikes = box.addLabel();
    QLabel* missing = box.addLabel();
    QLabel* runTogether = box.addLabel();
    lookAlikes->setObjectName(u"lookAlikes"_s);
    missing->setObjectName(u"missing"_s);
    runTogether->setObjectName(u"runTogether"_s);
    if (!ambiguity.isEmpty())
        box.addLabel(ambiguity)->setObjectName(u"ambiguity"_s);
    const auto quoted = [](const QStringList& characters) {
        QStringList out;
        for (const QString& character : characters)
            out << shownCharacter(character);
        return out.join(u' ');
    };
    QObject::connect(input, &QPlainTextEdit::textChanged, &box.dialog, [&] {
        const model::Encoding encoding = write(input->toPlainText());
        preview->setPlainText(encoding.codes);
        say(lookAlikes,
            encoding.lookAlikes.isEmpty()
                ? QString()
                : u"Λατινικά, γράφτηκαν ως τα ελληνικά που μοιάζουν: "_s + quoted(encoding.lookAlikes));
        say(missing,
            encoding.missing.isEmpty() ? QString() : u"Χωρίς πλήκτρο, δεν γράφονται: "_s + quoted(encoding.missing));
        say(runTogether, model::runTogetherNote(encoding.runTogether));
    });
    input->setPlainText(unsentText_);
    input->selectAll();  // typing replaces it, Ctrl+Enter uses it
    input->setFocus();
    const bool ok = box.exec() == QDialog::Accepted;
    unsentText_ = ok ? QString() : input->toPlainText();
    if (!ok)
        return std::nullopt;
    return input->toPlainText();
}

void QtPrompts::showReading(const model::Reading& reading)
{
    Box box(u"ΑΠΟΚΩΔΙΚΟΠΟΙΗΣΗ"_s, false);
    PlainTextField* field = box.addField(u"Το μήνυμα με τους τωρινούς κωδικούς:"_s, true);
    QPushButton* copy = box.buttons->addButton(u"Αντιγραφή"_s, QDialogButtonBox::ActionRole);
    copy->setAutoDefault(false);
    QObject::connect(copy, &QPushButton::clicked, field,
                     [field] { QApplication::clipboard()->setText(field->toPlainText()); });
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
    if (!reading.bySymbols.isEmpty())
        box.addLabel(reading.bySymbols);
    if (reading.ambiguous)
        box.addLabel(u"Με αυτούς τους κωδικούς το μήνυμα διαβάζεται με περισσότερους από έναν τρόπο· "
                     u"εδώ φαίνεται ένας."_s);
    if (!reading.ambiguity.isEmpty())
        box.addLabel(reading.ambiguity)->setObjectName(u"ambiguity"_s);
    field->moveCursor(QTextCursor::Start);
    field->setFocus();
    box.exec();
}

std::optional<model::CodeChoice> QtPrompts::chooseCode(std::span<const model::Key> keys, const QString& message)
{
    return ui::chooseCode(keys, message, codeSettings_);
}

void QtPrompts::listen(const QString& message, const model::Reading& reading)
{
    ui::listen(message, reading, listenSettings_);
}

std::optional<QString> QtPrompts::hear(std::span<const model::Key> keys) { return ui::hear(keys); }

}  // namespace ui
