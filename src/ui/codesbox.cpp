#include "codesbox.h"

#include "box.h"
#include "fonts.h"
#include "keyboard/keyboard.h"
#include "pigpenkey.h"
#include "plaintextfield.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTextDocument>
#include <QTextOption>
#include <QVBoxLayout>
#include <algorithm>

namespace ui {

using namespace Qt::StringLiterals;
using model::CodeKind;

namespace {

// A field a code table is pasted into. What the clipboard offered is kept
// whole, the HTML table a word processor gives included, which a plain
// field would drop; typing in the field leaves only its text.
class TableField : public PlainTextField {
public:
    QString html;

    void show(const QString& pastedHtml, const QString& text)
    {
        setPlainText(text);
        html = pastedHtml;
        shown_ = text;
    }
    bool edited() const { return toPlainText() != shown_; }

protected:
    void insertData(const QMimeData& data) override { show(data.hasHtml() ? data.html() : QString(), data.text()); }

private:
    QString shown_;
};

const QString sample = u"ΚΑΛΗ ΕΠΙΤΥΧΙΑ"_s;

// Polybius's square, which says more than a list of its pairs: the
// letters in five rows of five, numbered, and how a letter is written.
QString polybiusSquare(const std::vector<const model::Key*>& letters)
{
    QString text = u"\t1\t2\t3\t4\t5\n"_s;
    for (std::size_t row = 0; row * 5 < letters.size(); ++row) {
        text += QString::number(row + 1);
        for (std::size_t i = row * 5; i < std::min(letters.size(), row * 5 + 5); ++i)
            text += u'\t' + letters[i]->name;
        text += u'\n';
    }
    return text + u"\nΚάθε γράμμα γράφεται με τη γραμμή του και μετά τη στήλη του: Κ = 25.\n"_s;
}

// What loading would give, in `field`: every letter with its code, the
// separator's, the custom keys it changes, and a sample written in that code.
void showPreview(QPlainTextEdit& field, const std::vector<model::Key>& keys, std::span<const model::Key> before,
                 CodeKind kind)
{
    std::vector<const model::Key*> letters;
    QString separator;
    for (const model::Key& key : keys) {
        if (key.kind == model::Key::Kind::Letter)
            letters.push_back(&key);
        else if (key.kind == model::Key::Kind::Separator)
            separator = key.code;
    }
    // A tab before each code and each next letter, stopping where the
    // column's widest code has room; three columns as on the keyboard, or
    // fewer where long codes would not fit, so that no code breaks across
    // rows. As wide as its widest row, as far as the screen allows.
    const QFontMetrics metrics = field.fontMetrics();
    const int gap = metrics.horizontalAdvance(u"ΩΩ"_s);
    const int room = field.screen()->availableGeometry().width() / 2;
    std::size_t rows = 0;
    QList<QTextOption::Tab> stops;
    qreal at = 0;
    for (const std::size_t columns : {3, 2, 1}) {
        rows = (letters.size() + columns - 1) / columns;
        stops.clear();
        at = 0;
        for (std::size_t first = 0; first < letters.size(); first += rows) {
            int widest = 0;
            for (std::size_t i = first; i < std::min(letters.size(), first + rows); ++i)
                widest = std::max(widest, metrics.horizontalAdvance(letters[i]->code));
            at += gap;
            stops << QTextOption::Tab(at, QTextOption::LeftTab);
            at += widest + gap;
            stops << QTextOption::Tab(at, QTextOption::LeftTab);
        }
        if (at + 2 * gap <= room)
            break;
    }
    field.setMinimumWidth(std::min(int(at) + 2 * gap, room));
    QTextOption option = field.document()->defaultTextOption();
    option.setTabs(stops);
    field.document()->setDefaultTextOption(option);

    QString text;
    if (kind == CodeKind::Pigpen)
        text = u"Α έως Ι στο πρώτο πλέγμα, Κ έως Σ στο δεύτερο με τελεία, Τ Υ Φ Χ στο Χ, Ψ και Ω στο Χ με τελεία "
               u"(τα άλλα δύο κουτάκια του μένουν άδεια). Κάθε γράμμα γράφεται με τις γραμμές γύρω από το "
               u"κουτάκι του, και την τελεία του.\n\n"_s;
    if (kind == CodeKind::Clock) {
        const auto face = [](int letter) {
            const char32_t symbol = model::clockFace(letter);
            return QString::fromUcs4(&symbol, 1);
        };
        text = u"Το Α είναι οι 12:00 %1 και κάθε επόμενο γράμμα μισή ώρα αργότερα: Β 12:30 %2, Γ 1:00 %3, "
               u"Δ 1:30 %4… ως το Ω στις 11:30 %5.\n\n"_s.arg(face(0), face(1), face(2), face(3), face(23));
    }
    if (kind == CodeKind::Polybius) {
        QList<QTextOption::Tab> square;
        for (int column = 1; column <= 5; ++column)
            square << QTextOption::Tab(column * 1.5 * gap, QTextOption::LeftTab);
        option.setTabs(square);
        field.document()->setDefaultTextOption(option);
        text = polybiusSquare(letters);
    } else {
        for (std::size_t row = 0; row < rows; ++row) {
            for (std::size_t i = row; i < letters.size(); i += rows)
                text += (i == row ? u""_s : u"\t"_s) + letters[i]->name + u'\t' + letters[i]->code;
            text += u'\n';
        }
    }
    // In quotes, so that a code of spaces shows where it starts and ends.
    text += u'\n' + QString::fromUtf16(model::separatorWord) + u":  «"_s + separator + u"»\n"_s;
    for (std::size_t k = 0, custom = 0; k < keys.size() && k < before.size(); ++k) {
        if (keys[k].kind != model::Key::Kind::Custom)
            continue;
        ++custom;
        if (keys[k] != before[k])
            text += (keys[k].name.trimmed().isEmpty() ? model::customKeyWord(int(custom)) : keys[k].name) + u":  «"_s
                + keys[k].code + u"»\n"_s;
    }
    text += u'\n';
    field.setPlainText(text + sample + u":\n"_s + model::encodeText(sample, keys).codes);
}

}  // namespace

std::optional<model::CodeChoice> chooseCode(std::span<const model::Key> keys, const QString& message,
                                            model::CodeChoice& remembered)
{
    Box box(u"ΚΩΔΙΚΕΣ"_s, true);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    box.layout->addLayout(columns, 1);
    columns->addLayout(left);
    columns->addLayout(right, 1);

    auto* list = new QListWidget;
    list->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    list->setFont(designFont(12, false));  // as large as the preview it explains
    for (int k = 0; k < model::codeKindCount; ++k)
        list->addItem(model::codeName(CodeKind(k)));
    list->setAccessibleName(u"Κώδικες"_s);
    // All of them in sight, whole: the list is short, and a scroll bar would
    // hide its end or cut its names, however wide the preview grows.
    list->setMinimumHeight(list->sizeHintForRow(0) * list->count() + 2 * list->frameWidth());
    list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() + list->fontMetrics().averageCharWidth());
    QLabel* listLabel = box.addLabel(u"Κώδικας:"_s, left);
    listLabel->setBuddy(list);
    left->addWidget(list);

    // The setting under the list: a page for each kind of setting.
    auto* settings = new QStackedWidget;
    left->addWidget(settings, 1);
    settings->addWidget(new QWidget);
    const auto page = [settings] {
        auto* widget = new QWidget;
        auto* layout = new QVBoxLayout(widget);
        layout->setContentsMargins({});
        settings->addWidget(widget);
        return layout;
    };
    QVBoxLayout* shiftPage = page();
    auto* shift = new QSpinBox;
    shift->setRange(model::shortestShift, model::longestShift);
    shift->setAccessibleName(u"Μετατόπιση"_s);
    box.addLabel(u"Μετατόπιση:"_s, shiftPage)->setBuddy(shift);
    shiftPage->addWidget(shift);
    shiftPage->addStretch();
    QVBoxLayout* wordPage = page();
    auto* word = new QLineEdit;
    word->setAccessibleName(u"Λέξη"_s);
    box.addLabel(u"Λέξη:"_s, wordPage)->setBuddy(word);
    wordPage->addWidget(word);
    wordPage->addStretch();
    QVBoxLayout* tablePage = page();
    auto* table = new TableField;
    box.addField(table, u"Πίνακας κωδικών, επικολλημένος εδώ:"_s, false, tablePage, 6);

    auto* pigpen = new PigpenKey;
    pigpen->setFont(designFont(12, false));
    right->addWidget(pigpen);
    PlainTextField* shown = box.addField(u"Θα γίνουν:"_s, true, right, 15);
    shown->setObjectName(u"preview"_s);
    QLabel* notes = box.addLabel({}, right);
    notes->setObjectName(u"notes"_s);
    // A clue written in one code, wanted in another, without reading it
    // back and writing it again by hand.
    auto* rewrite = new QCheckBox(u"Και το μήνυμα στον νέο κώδικα"_s);
    rewrite->setObjectName(u"rewrite"_s);
    right->addWidget(rewrite);
    QLabel* rewriteNote = box.addLabel({}, right);
    rewriteNote->setObjectName(u"rewriteNote"_s);

    // The keys' own codes kept first, to paste back through Από πίνακα…:
    // a button beside the warning, and the keyboard window's own keys.
    QLabel* copied = nullptr;
    QPushButton* copyButton = nullptr;
    const std::optional<model::CodeChoice> held = model::heldCode(keys, remembered);
    if (!held) {
        auto* row = new QHBoxLayout;
        auto* column = new QVBoxLayout;
        box.layout->addLayout(row);
        row->addLayout(column, 1);
        box.addLabel(u"Οι κωδικοί των πλήκτρων δεν είναι κανένας από αυτούς και θα χαθούν· κράτησέ τους πρώτα "
                     u"με «Αντιγραφή πίνακα κωδικών» (Ctrl+Shift+C)."_s,
                     column)
            ->setObjectName(u"warning"_s);
        copied = box.addLabel({}, column);
        copyButton = new QPushButton(u"Αντιγραφή πίνακα κωδικών"_s);
        copyButton->setAutoDefault(false);
        row->addWidget(copyButton, 0, Qt::AlignTop);
    } else {
        copied = box.addLabel({}, right);
    }
    copied->setObjectName(u"copied"_s);
    const auto copyKeys = [copied, keys] {
        say(copied,
            keyboard::copyKeyTable(keys) ? u"Ο πίνακας των πλήκτρων είναι στο πρόχειρο."_s
                                         : u"Κανένα πλήκτρο δεν έχει κωδικό· το πρόχειρο έμεινε όπως ήταν."_s);
    };
    QObject::connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), &box.dialog), &QShortcut::activated,
                     &box.dialog, copyKeys);
    if (copyButton)
        QObject::connect(copyButton, &QPushButton::clicked, &box.dialog, copyKeys);

    const model::CodeChoice start = held.value_or(remembered);
    shift->setValue(start.shift);
    word->setText(start.word);
    rewrite->setChecked(remembered.rewriteMessage);
    table->show(start.tableHtml, start.tableText);

    const auto choice = [&] {
        model::CodeChoice c;
        c.kind = CodeKind(std::max(0, list->currentRow()));
        c.shift = shift->value();
        c.word = word->text();
        c.tableText = table->toPlainText();
        c.tableHtml = table->edited() ? QString() : table->html;
        c.rewriteMessage = rewrite->isChecked();
        return c;
    };
    const auto update = [&] {
        const model::CodeChoice c = choice();
        settings->setCurrentIndex(c.kind == CodeKind::Caesar        ? 1
                                      : c.kind == CodeKind::Keyword ? 2
                                      : c.kind == CodeKind::Table   ? 3
                                                                    : 0);
        pigpen->setVisible(c.kind == CodeKind::Pigpen);
        const model::LoadedCode loaded = model::loadCode(c, keys);
        showPreview(*shown, loaded.keys, keys, c.kind);
        say(notes, loaded.notes.join(u'\n'));
        QString rewriting;
        if (c.rewriteMessage && loaded.usable && !message.isEmpty()) {
            const std::optional<model::Encoding> again = model::rewriteMessage(message, keys, loaded.keys);
            rewriting = again ? model::runTogetherNote(again->runTogether)
                              : u"Το μήνυμα μένει όπως είναι: δεν διαβάζεται ακριβώς με τους τωρινούς κωδικούς, "
                                u"ή ο νέος κώδικας δεν έχει πλήκτρο για κάτι που γράφει."_s;
        }
        say(rewriteNote, rewriting);
        box.buttons->button(QDialogButtonBox::Ok)->setEnabled(loaded.usable);
    };
    QObject::connect(list, &QListWidget::currentRowChanged, &box.dialog, update);
    QObject::connect(shift, &QSpinBox::valueChanged, &box.dialog, update);
    QObject::connect(word, &QLineEdit::textChanged, &box.dialog, update);
    QObject::connect(table, &QPlainTextEdit::textChanged, &box.dialog, update);
    QObject::connect(rewrite, &QCheckBox::toggled, &box.dialog, update);
    list->setCurrentRow(held ? int(held->kind) : 0);
    update();

    // The list, its setting, the preview, the buttons.
    QWidget::setTabOrder(list, shift);
    QWidget::setTabOrder(shift, word);
    QWidget::setTabOrder(word, table);
    QWidget::setTabOrder(table, shown);
    QWidget::setTabOrder(shown, rewrite);
    list->setFocus();

    const bool ok = box.exec() == QDialog::Accepted;
    const model::CodeChoice chosen = choice();
    remembered = chosen;  // the settings, chosen or not, last the run
    if (!ok || !model::loadCode(chosen, keys).usable)
        return std::nullopt;
    return chosen;
}

}  // namespace ui
