// What the keys write, and what the three commands do, on a real keyboard window.

#include "keyboard/keybutton.h"
#include "scriptedprompts.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;
using keyboard::KeyButton;

class KeyboardTest : public QObject {
    Q_OBJECT

    ScriptedPrompts prompts;
    int programEnds = 0;
    std::unique_ptr<ui::MainWindow> w;

    QString message() const { return w->Text3->toPlainText(); }
    void press(QPushButton* key) { QTest::mouseClick(key, Qt::LeftButton); }

private slots:
    void init()
    {
        prompts = {};
        programEnds = 0;
        w = std::make_unique<ui::MainWindow>(prompts, [this] { ++programEnds; });
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup()
    {
        QVERIFY2(prompts.confirmations.empty() && prompts.names.empty(), "a scripted answer was never asked for");
        w.reset();
    }

    void lettersAndSeparatorWriteMorse()
    {
        press(w->letterKeys[0]);
        press(w->letterKeys[1]);
        press(w->Command2);
        QCOMPARE(message(), u" . - / - . . . //"_s);

        press(w->letterKeys[2]);  // Γ keeps its three spaces
        QVERIFY(message().endsWith(u"//"
                                   " -   - . /"_s));

        w->Text1[0]->setText(u"X"_s);  // in force at once, unsaved
        press(w->letterKeys[0]);
        press(w->letterKeys[0]);
        QVERIFY(message().endsWith(u"/XX"_s));

        w->Text1[4]->clear();
        const QString before = message();
        press(w->letterKeys[4]);
        QCOMPARE(message(), before);
        QVERIFY(prompts.asked.isEmpty());
    }

    void pressAppendsAtTheEndAndKeepsTheUsersEditing()
    {
        w->Text3->setFocus();
        QTest::keyClicks(w->Text3, u"ab"_s);
        QTest::keyClick(w->Text3, Qt::Key_Return);
        QTest::keyClicks(w->Text3, u"cd"_s);
        QTextCursor caret = w->Text3->textCursor();
        caret.setPosition(1);
        caret.setPosition(4, QTextCursor::KeepAnchor);  // "b\nc" selected
        w->Text3->setTextCursor(caret);

        press(w->letterKeys[18]);  // Τ
        press(w->letterKeys[4]);   // Ε
        QCOMPARE(message(), u"ab\ncd - / . /"_s);
        QCOMPARE(w->Text3->textCursor().selectionStart(), 1);
        QCOMPARE(w->Text3->textCursor().selectionEnd(), 4);

        // Each press is one step back, and typing is another.
        w->Text3->setFocus();
        QTest::keySequence(w->Text3, QKeySequence::Undo);
        QCOMPARE(message(), u"ab\ncd - /"_s);
        QTest::keySequence(w->Text3, QKeySequence::Undo);
        QCOMPARE(message(), u"ab\ncd"_s);

        // A selection reaching the end covers just what it did: typing over it
        // keeps the new code. A caret at the end goes on after the code.
        QTest::keySequence(w->Text3, QKeySequence::SelectAll);
        press(w->letterKeys[0]);  // Α
        w->Text3->setFocus();
        QTest::keyClicks(w->Text3, u"Z"_s);
        QCOMPARE(message(), u"Z . - /"_s);
        w->Text3->moveCursor(QTextCursor::End);
        press(w->letterKeys[4]);
        w->Text3->setFocus();
        QTest::keyClicks(w->Text3, u"!"_s);
        QCOMPARE(message(), u"Z . - / . /!"_s);
    }

    void theEndOfALongMessageComesIntoView()
    {
        for (int i = 0; i < 200; ++i)
            w->Text3->appendPlainText(u"line"_s);
        QScrollBar* bar = w->Text3->verticalScrollBar();
        bar->setValue(0);
        w->Text3->moveCursor(QTextCursor::Start);
        press(w->Command2);
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(w->Text3->textCursor().position(), 0);
    }

    void codesHaveNoLengthLimit()
    {
        const QString code(200'000, u'-');
        w->Text1[23]->setText(code);
        QCOMPARE(w->Text1[23]->text().size(), code.size());
        press(w->letterKeys[23]);
        QCOMPARE(message(), code);
    }

    void keysAnswerSpaceAndEnter()
    {
        w->letterKeys[11]->setFocus();  // Μ
        QTest::keyClick(w->letterKeys[11], Qt::Key_Space);
        QTest::keyClick(w->letterKeys[11], Qt::Key_Return);
        QTest::keyClick(w->letterKeys[11], Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(message(), u" - - / - - / - - /"_s);

        // A held Enter asks its question once, on the release; the repeats
        // of the held key must not reach the question and answer it.
        w->Command3->setFocus();
        QTest::keyPress(w->Command3, Qt::Key_Return);
        for (int i = 0; i < 5; ++i) {
            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, u"\r"_s, true);
            QApplication::sendEvent(w->Command3, &repeat);
        }
        QVERIFY(prompts.asked.isEmpty());
        prompts.confirmations = {false};
        QTest::keyRelease(w->Command3, Qt::Key_Return);
        QCOMPARE(prompts.asked.size(), 1);
        QCOMPARE(message(), u" - - / - - / - - /"_s);
    }

    void customKeysAreNamedOnceThenWrite()
    {
        KeyButton* top = w->customKeys[0];
        KeyButton* middle = w->customKeys[1];

        prompts.names = {QString()};  // cancelled
        press(top);
        QCOMPARE(prompts.asked.value(0),
                 u"ΚΕΝΟ ΚΟΥΜΠΙ|θέλεις να δώσεις όνομα στο κουμπι;  Πρέπει να είναι ένας χαρακτήρας|"
                 u"Γράψε έναν χαρακτήρα"_s);
        QCOMPARE(top->caption(), QString());

        prompts.names = {u"&&A"_s};
        press(top);  // asks again, since it is still blank
        QCOMPARE(top->caption(), u"&&A"_s);
        QCOMPARE(middle->caption(), QString());
        QCOMPARE(message(), QString());

        press(top);  // named, empty code: writes nothing, asks nothing
        QCOMPARE(prompts.asked.size(), 2);
        w->customFields[0]->setText(u"A"_s);  // a code, never the caption, is written
        press(top);
        QCOMPARE(message(), u"A"_s);

        // A code typed before the first press: written at once, never named.
        w->customFields[2]->setText(u" *"_s);
        press(w->customKeys[2]);
        QCOMPARE(message(), u"A *"_s);
        QCOMPARE(w->customKeys[2]->caption(), QString());

        // A single space is a name; the key does not ask again.
        prompts.names = {u" "_s};
        press(middle);
        press(middle);
        QCOMPARE(middle->caption(), u" "_s);
        QCOMPARE(prompts.asked.size(), 3);
    }

    void captionsAreShownLiterally()
    {
        const QString odd = u"<b>x</b> & 😀 א"_s;
        prompts.names = {odd};
        press(w->customKeys[1]);
        QCOMPARE(w->customKeys[1]->caption(), odd);
        QCOMPARE(w->customKeys[1]->text(), u"<b>x</b> && 😀 א"_s);  // no mnemonic underline
    }

    void clearWipesEverythingAndSaveRelabelsTheSeparator()
    {
        prompts.names = {u"#"_s};
        press(w->customKeys[0]);
        press(w->letterKeys[0]);

        prompts.confirmations = {false};
        press(w->Command3);
        QCOMPARE(message(), u" . - /"_s);
        QCOMPARE(w->Command2->caption(), u"/"_s);

        prompts.confirmations = {true};
        press(w->Command3);
        QCOMPARE(prompts.asked.last(), u"ΚΑΘΑΡΙΣΜΟΣ|Είσαι σίγουρος; Θα σβηστούν τα πάντα!!"_s);
        for (QLineEdit* f : w->findChildren<QLineEdit*>())
            QVERIFY2(f->text().isEmpty(), qPrintable(f->objectName()));
        QCOMPARE(message(), QString());
        QCOMPARE(w->Command2->caption(), QString());
        for (KeyButton* k : w->customKeys)
            QCOMPARE(k->caption(), QString());
        QCOMPARE(w->letterKeys[23]->caption(), u"Ω"_s);

        // After clear: letters write nothing, custom keys ask again.
        press(w->letterKeys[0]);
        press(w->Command2);
        QCOMPARE(message(), QString());
        prompts.names = {QString()};
        press(w->customKeys[0]);

        // The separator writes its field before save relabels it.
        w->Text2->setText(u"  |  "_s);
        press(w->Command2);
        QCOMPARE(message(), u"  |  "_s);
        prompts.confirmations = {false, true};
        press(w->Command4);
        QCOMPARE(w->Command2->caption(), QString());
        press(w->Command4);
        QVERIFY(prompts.asked.last().startsWith(u"ΑΠΟΘΗΚΕΥΣΗ|Αυτό θα αποθηκεύσει τις τιμές που έβαλες."_s));
        QCOMPARE(w->Command2->caption(), u"  |  "_s);
        QCOMPARE(message(), u"  |  "_s);

        // Save after clear with an empty field leaves the key blank.
        prompts.confirmations = {true, true};
        press(w->Command3);
        press(w->Command4);
        QCOMPARE(w->Command2->caption(), QString());
    }

    void codesLoadIntoTheLettersAndTheSeparatorOnly()
    {
        prompts.names = {u"#"_s};
        press(w->customKeys[0]);
        w->customFields[0]->setText(u"@"_s);
        press(w->customKeys[0]);
        const auto choose = [this](model::CodeKind kind, const QString& table = {}, bool rewrite = false) {
            model::CodeChoice choice;
            choice.kind = kind;
            choice.tableText = table;
            choice.rewriteMessage = rewrite;
            prompts.codes = {choice};
            QTest::keyClick(w->Text3, Qt::Key_K, Qt::ControlModifier);
        };
        choose(model::CodeKind::Polybius);
        press(w->letterKeys[0]);
        press(w->letterKeys[23]);
        press(w->Command2);
        QCOMPARE(message(), u"@11 54 / "_s);
        QCOMPARE(w->Command2->caption(), u"/ "_s);
        QCOMPARE(w->customKeys[0]->caption(), u"#"_s);

        // A separator that shows no ink shows a sign for a space on its key.
        choose(model::CodeKind::Braille);
        QCOMPARE(w->Text2->text(), u"⠀"_s);
        QCOMPARE(w->Command2->caption(), u"␣"_s);
        prompts.codes = {std::nullopt};  // Cancel changes nothing
        QTest::keyClick(w->Text1[3], Qt::Key_K, Qt::ControlModifier);
        QCOMPARE(w->Text1[1]->text(), u"⠃"_s);

        // A table names the keys it loads; the others keep their codes.
        choose(model::CodeKind::Table, u"β\t-b-\nΨάρι\t<>\n"_s);
        QCOMPARE(w->Text1[1]->text(), u"-b-"_s);
        QCOMPARE(w->Text1[2]->text(), u"⠛"_s);
        QCOMPARE(w->customKeys[0]->caption(), u"Ψάρι"_s);
        QCOMPARE(w->customFields[0]->text(), u"<>"_s);
        QCOMPARE(message(), u"@11 54 / "_s);
        QVERIFY(prompts.codes.empty());

        // The message written again in the new code, as one step; a message
        // that does not read exactly stays as it is.
        choose(model::CodeKind::Morse);
        w->Text3->clear();
        for (QPushButton* key : {w->letterKeys[0], w->Command2, w->customKeys[0], w->letterKeys[23]})
            press(key);
        choose(model::CodeKind::Polybius, {}, true);
        QCOMPARE(message(), u"11 / <>54 "_s);
        QTest::keyClick(w->Text3, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(message(), u" . - //<> . - - /"_s);
        w->Text3->setPlainText(u"zz"_s);
        choose(model::CodeKind::Polybius, {}, true);
        QCOMPARE(message(), u"zz"_s);
    }

    void exitEndsOnlyWhenConfirmed()
    {
        prompts.confirmations = {false};
        press(w->Command32);
        QCOMPARE(programEnds, 0);
        QCOMPARE(prompts.asked.last(), u"ΕΞΟΔΟΣ|Σίγουρα θες να βγεις;"_s);

        // Esc from anywhere in the window is the exit command.
        prompts.confirmations = {false, true};
        QTest::keyClick(w->Text3, Qt::Key_Escape);
        QTest::keyClick(w->Text1[5], Qt::Key_Escape);
        QCOMPARE(programEnds, 1);
        QCOMPARE(prompts.asked.size(), 3);
    }
};

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"
