#include "keyboard.h"

#include "keybutton.h"
#include "model/decodability.h"
#include "pictures.h"
#include "prompts.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

#ifdef Q_OS_WASM
#include <emscripten/val.h>
#endif

namespace keyboard {

using namespace Qt::StringLiterals;

void appendCode(QPlainTextEdit& message, const QString& code)
{
    if (code.isEmpty())
        return;  // nothing to add, and no empty step in the undo history
    // A selection that reaches the end would grow over the new code, and the
    // next key typed would replace that too: it keeps what it covered. A
    // plain caret at the end moves on with the code, so typing goes on after it.
    const int anchor = message.textCursor().anchor(), position = message.textCursor().position();
    QTextCursor end(message.document());
    // An edit block of its own, so that Ctrl+Z takes back exactly one press.
    // Opened before the move: inside a block the cursor does not work out
    // its place on the line, which on a long message is most of the cost.
    end.beginEditBlock();
    end.movePosition(QTextCursor::End);
    end.insertText(code);
    end.endEditBlock();
    if (anchor != position) {
        QTextCursor kept = message.textCursor();
        kept.setPosition(anchor);
        kept.setPosition(position, QTextCursor::KeepAnchor);
        message.setTextCursor(kept);
    }
    QScrollBar* bar = message.verticalScrollBar();
    bar->setValue(bar->maximum());
}

Keyboard::Keyboard(const Controls& controls, Prompts& prompts, std::function<void()> endProgram, QObject* parent)
    : QObject(parent), controls_(controls), prompts_(prompts), endProgram_(std::move(endProgram))
{
    QPlainTextEdit* message = controls_.message;
    auto bindAppend = [this, message](QPushButton* key, QLineEdit* field) {
        connect(key, &QPushButton::clicked, this, [message, field] { appendCode(*message, field->text()); });
    };
    for (int i = 0; i < model::letterCount; ++i)
        bindAppend(controls_.letterKeys[i], controls_.letterFields[i]);
    bindAppend(controls_.separatorKey, controls_.separatorField);
    for (int i = 0; i < model::customCount; ++i)
        connect(controls_.customKeys[i], &QPushButton::clicked, this, [this, i] { pressCustom(i); });
    connect(controls_.clear, &QPushButton::clicked, this, &Keyboard::Command3_Click);
    connect(controls_.save, &QPushButton::clicked, this, &Keyboard::Command4_Click);
    connect(controls_.exit, &QPushButton::clicked, this, &Keyboard::Command32_Click);
}

void Keyboard::pressCustom(int slot)
{
    KeyButton* key = controls_.customKeys.at(slot);
    QLineEdit* field = controls_.customFields.at(slot);
    // A key with neither a name nor a code is still blank: ask for its name.
    if (key->caption().isEmpty() && field->text().isEmpty()) {
        key->setCaption(prompts_.askName(u"θέλεις να δώσεις όνομα στο κουμπι;  Πρέπει να είναι ένας χαρακτήρας"_s,
                                         u"ΚΕΝΟ ΚΟΥΜΠΙ"_s, u"Γράψε έναν χαρακτήρα"_s));
        return;
    }
    appendCode(*controls_.message, field->text());
}

void Keyboard::Command3_Click()
{
    if (!prompts_.confirm(u"ΚΑΘΑΡΙΣΜΟΣ"_s, u"Είσαι σίγουρος; Θα σβηστούν τα πάντα!!"_s))
        return;
    for (QLineEdit* field : controls_.letterFields)
        field->clear();
    controls_.message->clear();  // the undo history goes with it
    controls_.separatorField->clear();
    for (QLineEdit* field : controls_.customFields)
        field->clear();
    controls_.separatorKey->setCaption({});
    for (KeyButton* key : controls_.customKeys)
        key->setCaption({});
}

void Keyboard::Command4_Click()
{
    if (!prompts_.confirm(u"ΑΠΟΘΗΚΕΥΣΗ"_s,
                          u"Αυτό θα αποθηκεύσει τις τιμές που έβαλες. Αν θες να επανέλθεις στον κώδικα Μορς, "
                          u"απλώς ξανατρέξε το πρόγραμμα."_s))
        return;
    controls_.separatorKey->setCaption(controls_.separatorField->text());
}

std::vector<model::Key> Keyboard::keys() const
{
    std::vector<model::Key> keys;
    keys.reserve(model::slotCount);
    for (int i = 0; i < model::letterCount; ++i)
        keys.push_back(
            {model::Key::Kind::Letter, controls_.letterKeys[i]->caption(), controls_.letterFields[i]->text()});
    keys.push_back({model::Key::Kind::Separator, controls_.separatorKey->caption(), controls_.separatorField->text()});
    for (int k = 0; k < model::customCount; ++k)
        keys.push_back(
            {model::Key::Kind::Custom, controls_.customKeys[k]->caption(), controls_.customFields[k]->text()});
    return keys;
}

void Keyboard::writeText()
{
    const std::vector<model::Key> table = keys();
    const auto write = [&table](const QString& text) { return model::encodeText(text, table); };
    // Once a box: the keys do not change while it is open.
    if (const std::optional<QString> text = prompts_.askText(write, model::ambiguityNote(table)))
        appendCode(*controls_.message, write(*text).codes);
}

void Keyboard::readMessage() { prompts_.showReading(model::readMessage(controls_.message->toPlainText(), keys())); }

void Keyboard::copyKeyTable()
{
    if (!keyboard::copyKeyTable(keys()))
        prompts_.inform(u"ΑΝΤΙΓΡΑΦΗ ΠΙΝΑΚΑ"_s,
                        u"Κανένα πλήκτρο δεν έχει κωδικό, οπότε δεν υπάρχει πίνακας να αντιγραφεί· "
                        u"το πρόχειρο μένει όπως ήταν."_s);
}

namespace {

#ifdef Q_OS_WASM
// In a browser page Qt hands the clipboard one format, the HTML one when
// there is one, and an image not at all. So where the browser has the means,
// what is copied goes to its clipboard as one item of every format given, as
// a desktop's clipboard holds them; false where it has not.
bool toPageClipboard(std::initializer_list<std::pair<const char*, emscripten::val>> formats)
{
    using emscripten::val;
    const val clipboard = val::global("navigator")["clipboard"];
    const val item = val::global("ClipboardItem");
    if (clipboard.isUndefined() || clipboard["write"].isUndefined() || item.isUndefined())
        return false;
    val blobs = val::object();
    for (const auto& [type, data] : formats) {
        val parts = val::array();
        parts.call<void>("push", data);
        val options = val::object();
        options.set("type", val(type));
        blobs.set(type, val::global("Blob").new_(parts, options));
    }
    val items = val::array();
    items.call<void>("push", item.new_(blobs));
    // A refusal (the page not focused, say) is Qt's to report, as for its own copies.
    clipboard.call<val>("write", items).call<val>("catch", val::module_property("qtClipboardPromiseException"));
    return true;
}
#endif

}  // namespace

bool copyKeyTable(std::span<const model::Key> table)
{
    if (model::keyTablePlain(table).isEmpty())
        return false;
    // The codes stand at 20 pt in the handout: pictures as tall.
    const QString html = withPictures(model::keyTableHtml(table), 27);
#ifdef Q_OS_WASM
    // Strings go as UTF-8, read as such.
    if (toPageClipboard({{"text/plain", emscripten::val(model::keyTablePlain(table).toStdString())},
                         {"text/html", emscripten::val(html.toStdString())}}))
        return true;
#endif
    auto* data = new QMimeData;
    data->setText(model::keyTablePlain(table));
    data->setHtml(html);
    QGuiApplication::clipboard()->setMimeData(data);
    return true;
}

void Keyboard::copyPicture()
{
    const QString text = controls_.message->toPlainText();
    const QString title = u"ΑΝΤΙΓΡΑΦΗ ΩΣ ΕΙΚΟΝΑ"_s;
    if (text.trimmed().isEmpty()) {
        prompts_.inform(title, u"Το μήνυμα δεν έχει τίποτα να φανεί· το πρόχειρο μένει όπως ήταν."_s);
        return;
    }
    const QImage picture = messagePicture(text, controls_.message->font());
    if (picture.isNull()) {
        prompts_.inform(title, u"Το μήνυμα είναι πολύ μεγάλο για μία εικόνα· το πρόχειρο μένει όπως ήταν."_s);
        return;
    }
#ifdef Q_OS_WASM
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    // A copy of the bytes into the page's memory: the view of ours ends here.
    const emscripten::val view(emscripten::typed_memory_view(std::size_t(png.size()),
                                                             reinterpret_cast<const unsigned char*>(png.constData())));
    if (toPageClipboard({{"image/png", emscripten::val::global("Uint8Array").new_(view)}}))
        return;
#endif
    auto* data = new QMimeData;
    data->setImageData(picture);
    QGuiApplication::clipboard()->setMimeData(data);
}

void Keyboard::chooseCode()
{
    const std::vector<model::Key> before = keys();
    const QString message = controls_.message->toPlainText();
    const std::optional<model::CodeChoice> choice = prompts_.chooseCode(before, message);
    if (!choice)
        return;
    const std::vector<model::Key> after = model::loadCode(*choice, before).keys;
    if (choice->rewriteMessage) {
        if (const std::optional<model::Encoding> again = model::rewriteMessage(message, before, after)) {
            // One step, which one Ctrl+Z takes back.
            QTextCursor all(controls_.message->document());
            all.beginEditBlock();
            all.select(QTextCursor::Document);
            all.insertText(again->codes);
            all.endEditBlock();
        }
    }
    // Only what changes is written: a field set to its own text would lose
    // its caret and its undo history for nothing.
    const auto write = [](QLineEdit* field, KeyButton* key, const model::Key& was, const model::Key& now) {
        if (now.code != was.code)
            field->setText(now.code);
        if (key && now.name != was.name)
            key->setCaption(now.name);
    };
    std::size_t k = 0;
    for (int i = 0; i < model::letterCount; ++i, ++k)
        write(controls_.letterFields[i], nullptr, before[k], after[k]);
    write(controls_.separatorField, controls_.separatorKey, before[k], after[k]);
    ++k;
    for (int i = 0; i < model::customCount; ++i, ++k)
        write(controls_.customFields[i], controls_.customKeys[i], before[k], after[k]);
}

void Keyboard::listen()
{
    const QString message = controls_.message->toPlainText();
    prompts_.listen(message, model::readMessage(message, keys()));
}

void Keyboard::hear()
{
    const std::vector<model::Key> table = keys();
    if (const std::optional<QString> text = prompts_.hear(table))
        appendCode(*controls_.message, model::encodeText(*text, table).codes);
}

void Keyboard::Command32_Click()
{
    if (prompts_.confirm(u"ΕΞΟΔΟΣ"_s, u"Σίγουρα θες να βγεις;"_s))
        endProgram_();
}

}  // namespace keyboard
