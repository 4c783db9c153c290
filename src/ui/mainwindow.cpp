#include "mainwindow.h"

#include "art.h"
#include "keyboard/keybutton.h"
#include "plaintextfield.h"
#include "texts.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <limits>
#include <map>
#include <memory>
#include <vector>

namespace ui {

using namespace Qt::StringLiterals;
using keyboard::KeyButton;

namespace {

enum class Kind { Button, CustomKey, Field, Message, Label, Picture };

struct Control {
    QString name;
    Kind kind;
    Twips place;
    qreal points;
    QString text;
    QString spoken = {};       // what a screen reader calls it, when its text would not do
    QString description = {};  // what it does, when the name alone does not say
};

// Letter slot i stands in column i / 8, row i % 8; its key and its field
// share the row, the field 600 twips to the right of the key.
Twips letterPlace(int index, int left, int width)
{
    const int column = index / 8, row = index % 8;
    return {left + 2040 * column, 240 + 600 * row, width, 495};
}

// Every control of the window, in keyboard focus order.
// A table reads best with one control to a row, so the formatter leaves it be.
// clang-format off
std::vector<Control> form1Controls()
{
    const QString writes = u"Γράφει τον κωδικό του στο τέλος του μηνύματος"_s;
    const QString separator = QString::fromUtf16(model::separatorDefault);
    const auto customField = [](int k) { return u"Κωδικός του πλήκτρου %1"_s.arg(k + 1); };
    std::vector<Control> list;
    list.reserve(2 * model::letterCount + 14);
    for (int i = 0; i < model::letterCount; ++i)
        list.push_back({model::letterFieldName(i), Kind::Field, letterPlace(i, 960, 1335), 18, model::letterCode(i),
                        u"Κωδικός του "_s + model::letterName(i)});
    list.push_back({u"Command2"_s, Kind::Button, {6720, 240, 495, 495}, 18, separator, u"Διαχωριστικό"_s, writes});
    list.push_back({u"Text2"_s, Kind::Field, {7680, 240, 1095, 495}, 18, separator, u"Κωδικός του διαχωριστικού"_s});
    list.push_back({u"Command3"_s, Kind::Button, {6720, 3480, 2055, 735}, 12, u"Καθαρισμός Πεδίων"_s, {},
                    u"Σβήνει όλους τους κωδικούς, τα ονόματα των πλήκτρων και το μήνυμα"_s});
    list.push_back({u"Command4"_s, Kind::Button, {6720, 2640, 2055, 735}, 12, u"Εισαγωγή Χαρακτήρων"_s, {},
                    u"Δίνει στο πλήκτρο του διαχωριστικού για όνομα τον κωδικό του"_s});
    list.push_back({u"Text3"_s, Kind::Message, {360, 5160, 11295, 4455}, 12, {}, u"Μήνυμα"_s,
                    u"Το κείμενο που γράφουν τα πλήκτρα· διορθώνεται ελεύθερα"_s});
    for (int i = 0; i < model::letterCount; ++i)
        list.push_back({model::buttonName(model::letterButtonNumber(i)), Kind::Button, letterPlace(i, 360, 495), 18,
                        model::letterCaption(i), model::letterName(i), writes});
    for (int k = 0; k < model::customCount; ++k)
        list.push_back({model::buttonName(model::customButtonNumbers[k]), Kind::CustomKey,
                        {6720, 840 + 600 * k, 495, 495}, 18, {}, u"Κενό πλήκτρο %1"_s.arg(k + 1),
                        u"Χωρίς όνομα, ζητά όνομα όταν πατηθεί· με όνομα ή κωδικό, γράφει τον κωδικό του"_s});
    list.push_back({u"Text4"_s, Kind::Field, {7680, 840, 1095, 495}, 18, {}, customField(0)});
    list.push_back({u"Label1"_s, Kind::Label, {7320, 240, 375, 495}, 24, u"="_s});
    list.push_back({u"Text5"_s, Kind::Field, {7680, 1440, 1095, 495}, 18, {}, customField(1)});
    list.push_back({u"Text6"_s, Kind::Field, {7680, 2040, 1095, 495}, 18, {}, customField(2)});
    list.push_back({u"Command31"_s, Kind::Picture, {9000, 240, 2775, 4695}, 12, {}, u"Βοήθεια"_s,
                    u"Ανοίγει το παράθυρο βοήθειας"_s});
    list.push_back({u"Command32"_s, Kind::Button, {6720, 4320, 2055, 615}, 12, u"Έξοδος"_s, {},
                    u"Κλείνει το πρόγραμμα"_s});
    return list;
}
// clang-format on

// Whether text is drawn right without shaping: one character a glyph, left
// to right, as in Latin, Greek and Morse. Combining accents, emoji sequences
// and right-to-left or joined scripts are not.
bool drawsUnshaped(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x300 || (u >= 0x370 && u < 0x400) || (u >= 0x1f00 && u < 0x2000) || c == QChar::ParagraphSeparator;
    });
}

// Skipping text shaping keeps a press quick on a long message, and Morse
// loses nothing by it. From the first text that needs shaping the message
// is shaped, until it is emptied again; only what was added is read.
void shapeOnlyWhenNeeded(QPlainTextEdit& message)
{
    auto setShaping = [&message](bool on) {
        QFont font = message.font();
        font.setStyleStrategy(on ? QFont::PreferDefault : QFont::PreferNoShaping);
        message.setFont(font);
    };
    setShaping(false);
    QTextDocument* document = message.document();
    QObject::connect(
        document, &QTextDocument::contentsChange, &message, [&message, document, setShaping](int from, int, int added) {
            const bool shaped = !(message.font().styleStrategy() & QFont::PreferNoShaping);
            if (document->isEmpty()) {
                if (shaped)
                    setShaping(false);
            } else if (!shaped) {
                QTextCursor change(document);
                change.setPosition(from);
                change.setPosition(std::min(from + added, document->characterCount() - 1), QTextCursor::KeepAnchor);
                if (!drawsUnshaped(change.selectedText()))
                    setShaping(true);
            }
        });
}

QWidget* makeControl(const Control& c, QWidget* parent)
{
    switch (c.kind) {
    case Kind::Button:
    case Kind::CustomKey: {
        auto* button = new KeyButton(parent);
        if (c.kind == Kind::CustomKey)
            button->setBlankName(c.spoken);
        button->setCaption(c.text);
        return button;
    }
    case Kind::Field: {
        auto* field = new QLineEdit(parent);
        field->setMaxLength(std::numeric_limits<int>::max());  // a code has no length limit
        field->setText(c.text);
        field->setCursorPosition(0);
        return field;
    }
    case Kind::Message: {
        auto* message = new PlainTextField(parent);
        message->setTabChangesFocus(true);
        message->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        message->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        message->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        // Long runs without spaces must wrap too, or the end would slide out of sight.
        message->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        return message;
    }
    case Kind::Label: {
        auto* label = new QLabel(c.text, parent);
        label->setTextFormat(Qt::PlainText);
        return label;
    }
    case Kind::Picture: {
        auto* button = new KeyButton(parent);
        button->setPicture(helpPicture());
        return button;
    }
    }
    return nullptr;
}

}  // namespace

MainWindow::MainWindow(keyboard::Prompts& prompts, std::function<void()> endProgram) : DesignedWindow(12000, 9810)
{
    setObjectName(u"Form1"_s);
    setWindowTitle(mainWindowCaption());
    setWindowIcon(programIcon());
    build();

    auto* keyboard = new keyboard::Keyboard(controls(), prompts, std::move(endProgram), this);
    addTextCommands(*keyboard);

    // Esc anywhere in the window presses the exit command, as a cancel button would.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, Command32, &QPushButton::click);

    Text1[0]->setFocus();
}

void MainWindow::build()
{
    QWidget* previous = nullptr;
    for (const Control& c : form1Controls()) {
        QWidget* w = makeControl(c, this);
        w->setObjectName(c.name);
        place(w, c.place, c.points);
        if (c.kind == Kind::Message)
            shapeOnlyWhenNeeded(*static_cast<QPlainTextEdit*>(w));
        if (c.kind != Kind::CustomKey && !c.spoken.isEmpty())
            w->setAccessibleName(c.spoken);
        w->setAccessibleDescription(c.description);
        if (w->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }

    auto key = [this](int number) { return findChild<KeyButton*>(model::buttonName(number)); };
    auto field = [this](const QString& name) { return findChild<QLineEdit*>(name); };
    for (int i = 0; i < model::letterCount; ++i) {
        letterKeys[i] = key(model::letterButtonNumber(i));
        Text1[i] = field(model::letterFieldName(i));
    }
    for (int k = 0; k < model::customCount; ++k) {
        customKeys[k] = key(model::customButtonNumbers[k]);
        customFields[k] = field(model::fieldName(model::customFieldNumbers[k]));
    }
    Command2 = key(2);
    Command3 = key(3);
    Command4 = key(4);
    Command31 = key(31);
    Command32 = key(32);
    Text2 = field(u"Text2"_s);
    Text3 = findChild<QPlainTextEdit*>(u"Text3"_s);
    Label1 = findChild<QLabel*>(u"Label1"_s);
}

void MainWindow::addTextCommands(keyboard::Keyboard& keyboard)
{
    // Shortcuts of the whole window, wherever the focus is in it, and the
    // same commands at the foot of the message's context menu.
    // A browser never hands Ctrl+T (a new tab) to a page: there writing a
    // text answers Ctrl+E as well, first, so that the menu shows it.
    QList<QKeySequence> writeKeys{QKeySequence(Qt::CTRL | Qt::Key_T)};
#ifdef Q_OS_WASM
    writeKeys.prepend(QKeySequence(Qt::CTRL | Qt::Key_E));
#endif
    const struct {
        QString text;
        QList<QKeySequence> keys;
        void (keyboard::Keyboard::*command)();
    } commands[] = {
        {u"Κωδικοποίηση κειμένου…"_s, writeKeys, &keyboard::Keyboard::writeText},
        {u"Αποκωδικοποίηση μηνύματος…"_s, {QKeySequence(Qt::CTRL | Qt::Key_R)}, &keyboard::Keyboard::readMessage},
        {u"Αντιγραφή πίνακα κωδικών"_s,
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)},
         &keyboard::Keyboard::copyKeyTable},
        {u"Αντιγραφή ως εικόνα"_s, {}, &keyboard::Keyboard::copyPicture},
        {u"Κώδικες…"_s, {QKeySequence(Qt::CTRL | Qt::Key_K)}, &keyboard::Keyboard::chooseCode},
        {u"Ακρόαση μηνύματος…"_s, {QKeySequence(Qt::CTRL | Qt::Key_M)}, &keyboard::Keyboard::listen},
        // Ctrl+Shift+L: beside Ctrl+M in the menu, and taken by no browser.
        {u"Ανάγνωση Μορς από το μικρόφωνο…"_s,
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L)},
         &keyboard::Keyboard::hear},
    };
    for (const auto& c : commands) {
        auto* action = new QAction(c.text, this);
        action->setShortcuts(c.keys);
        connect(action, &QAction::triggered, &keyboard, c.command);
        addAction(action);
    }
    Text3->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Text3, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        const std::unique_ptr<QMenu> menu(Text3->createStandardContextMenu(at));
        menu->addSeparator();
        std::map<QAction*, QAction*> commandOf;
        for (QAction* command : actions()) {
            const QString keys = command->shortcut().toString(QKeySequence::NativeText);
            commandOf[menu->addAction(command->text() + u'\t' + keys)] = command;
        }
        // A command chosen here runs once the menu has gone: in a browser a
        // box waiting for its answer inside the menu's wait would wait for ever.
        if (const auto chosen = commandOf.find(menu->exec(Text3->viewport()->mapToGlobal(at)));
            chosen != commandOf.end())
            QMetaObject::invokeMethod(chosen->second, "trigger", Qt::QueuedConnection);
    });
    // Found without the manual: a grey hint while the message is empty,
    // which is no text, so it never reaches a copy or a reading.
    Text3->setPlaceholderText(u"Εδώ γράφουν τα πλήκτρα · δεξί κλικ ή παρατεταμένο άγγιγμα για περισσότερα"_s);
}

void MainWindow::scaleChanged()
{
    // Drawn anew at the size it is shown, in the screen's own pixels: a
    // picture shrunk at paint time would blur.
    QPixmap picture = helpPicture();
    if (scale() != 1) {
        const qreal ratio = devicePixelRatioF();
        picture = picture.scaled(picture.size() * scale() * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        picture.setDevicePixelRatio(ratio);
    }
    Command31->setPicture(picture);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A close box would lose the message at one click: it asks first, with
    // the very question of Έξοδος, and only its OK ends the program.
    event->ignore();
    Command32->click();
}

keyboard::Controls MainWindow::controls() const
{
    return {letterKeys, Text1, Command2, Text2, customKeys, customFields, Text3, Command3, Command4, Command32};
}

}  // namespace ui
