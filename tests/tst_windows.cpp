// The keyboard window as a person meets it: what fits, where the focus goes,
// and the real Greek boxes answered from the keyboard.

#include "keyboard/keybutton.h"
#include "model/codebook.h"
#include "scriptedprompts.h"
#include "ui/greek.h"
#include "ui/heldfinger.h"
#include "ui/helpwindow.h"
#include "ui/lightwindow.h"
#include "ui/mainwindow.h"
#include "ui/placement.h"
#include "ui/qtprompts.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyleOptionFrame>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;
using keyboard::KeyButton;

namespace {

// Every focusable control under `root`, by its accessible name.
void collectNames(QAccessibleInterface* node, QStringList& names, QStringList& unnamed)
{
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (child->state().focusable) {
            const QString name = child->text(QAccessible::Name);
            (name.trimmed().isEmpty() ? unnamed : names) << name;
            if (name.trimmed().isEmpty())
                unnamed.last() = child->object()->objectName();
        }
        collectNames(child, names, unnamed);
    }
}

QStringList accessibleNames(QWidget* root)
{
    QStringList names, unnamed;
    collectNames(QAccessible::queryAccessibleInterface(root), names, unnamed);
    if (!unnamed.isEmpty())
        qWarning() << "without an accessible name:" << unnamed;
    return unnamed.isEmpty() ? names : QStringList();
}

// Reads into `entries` the context menu open `after` milliseconds from now,
// and closes it; nothing when no menu is open.
void menuEntries(int after, QStringList& entries)
{
    QTimer::singleShot(after, [&entries] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* action : menu->actions())
                if (!action->isSeparator())
                    entries << action->text().section(u'\t', 0, 0);
            menu->close();
        }
    });
}

// Opens the field's own context menu, as a right click does, and reads its entries.
QStringList contextMenuOf(QWidget* field)
{
    QStringList entries;
    menuEntries(0, entries);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), field->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(field, &event);
    QCoreApplication::processEvents();
    return entries;
}

// A finger pressed on a field (a multi-line one's viewport), moved by
// `drift`, and held there for most of a second; the entries of the menu it
// opened.
QStringList heldMenuOf(QWidget* field, QPoint drift)
{
    static QPointingDevice* const finger = QTest::createTouchDevice();
    QWidget* window = field->window();
    const QPoint at = field->mapTo(window, QPoint(20, 10));
    QStringList entries;
    menuEntries(800, entries);
    QTest::touchEvent(window, finger).press(0, at);
    QTest::touchEvent(window, finger).move(0, at + drift);
    QTest::qWait(900);
    QTest::touchEvent(window, finger).release(0, at + drift);
    return entries;
}

// Runs `answer` on the modal box as soon as it is open; a box a failed
// answer left open is closed, so that the test goes on.
void whenModal(std::function<void(QWidget*)> answer)
{
    QTimer::singleShot(0, [answer] {
        QWidget* box = QApplication::activeModalWidget();
        QVERIFY(box);
        answer(box);
        if (QApplication::activeModalWidget() == box)
            box->close();
    });
}

QStringList designedFocusOrder()
{
    QStringList order;
    for (int i = 0; i < model::letterCount; ++i)
        order << model::letterFieldName(i);
    order << u"Command2"_s << u"Text2"_s << u"Command3"_s << u"Command4"_s << u"Text3"_s;
    for (int i = 0; i < model::letterCount; ++i)
        order << model::buttonName(model::letterButtonNumber(i));
    order << u"Command5"_s << u"Command29"_s << u"Command30"_s << u"Text4"_s << u"Text5"_s << u"Text6"_s
          << u"Command31"_s << u"Command32"_s;
    return order;
}

}  // namespace

class WindowsTest : public QObject {
    Q_OBJECT

    ScriptedPrompts prompts;
    std::unique_ptr<ui::MainWindow> w;

private slots:
    void initTestCase()
    {
        ui::installGreek();
        ui::openMenusOnHold();
    }

    void init()
    {
        w = std::make_unique<ui::MainWindow>(prompts, [] {});
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
    void cleanup() { w.reset(); }

    void everyCaptionAndCodeFitsItsControlAtEveryScale()
    {
        // Drawn smaller for a small screen, the window still shows every code,
        // caption and help text whole, down to the smallest scale it is given.
        QCOMPARE(w->size(), QSize(800, 654));
        ui::HelpWindow help;
        help.show();
        for (double scale : {1.0, 0.9, 0.8, 0.7, ui::smallestScale}) {
            w->setScale(scale);
            help.setScale(scale);
            const QByteArray at = QByteArray::number(scale) + ' ';
            QCOMPARE(w->size(), QSize(qRound(800 * scale), qRound(654 * scale)));
            for (QLineEdit* field : w->findChildren<QLineEdit*>()) {
                QStyleOptionFrame option;
                option.initFrom(field);
                option.lineWidth = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, field);
                const QRect room = field->style()->subElementRect(QStyle::SE_LineEditContents, &option, field);
                const QFontMetrics metrics(field->font());
                QVERIFY2(metrics.horizontalAdvance(field->text()) <= room.width() - 2,
                         at + qPrintable(field->objectName()));
                QVERIFY2(metrics.height() <= room.height() + 2, at + qPrintable(field->objectName()));
            }
            for (KeyButton* key : w->findChildren<KeyButton*>()) {
                const QRect room = key->contentsRect().adjusted(2, 2, -2, -2);
                const QRect needed = QFontMetrics(key->captionFont())
                                         .boundingRect(room, Qt::TextWordWrap | Qt::AlignCenter, key->caption());
                QVERIFY2(room.contains(needed) || key->caption().isEmpty(), at + qPrintable(key->objectName()));
            }
            QVERIFY(qAbs(w->Command31->picture().deviceIndependentSize().height() - 320 * scale) <= 1);
            for (QLabel* label : help.findChildren<QLabel*>())
                QVERIFY2(label->heightForWidth(label->width()) <= label->height(),
                         at + qPrintable(label->objectName()));
            QVERIFY(help.rect().contains(help.Command1->geometry()));
        }
    }

    void captionsWrapAndStayInsideTheirKeys()
    {
        // A caption wider than its command wraps: no ink reaches the sides.
        const QImage save = w->Command4->grab().toImage();
        for (int y = 0; y < save.height(); ++y)
            for (int x : {0, 1, 2, 3, save.width() - 4, save.width() - 3, save.width() - 2, save.width() - 1})
                QVERIFY2(qGray(save.pixel(x, y)) > 100, qPrintable(u"ink at %1,%2"_s.arg(x).arg(y)));

        // A name longer than its key leaves the key's frame as it was.
        KeyButton* key = w->customKeys[0];
        prompts.names = {QString(), QString(60, u'W')};
        QTest::mouseClick(key, Qt::LeftButton);  // cancelled: still blank, but focused like after naming
        const QImage blank = key->grab().toImage();
        QTest::mouseClick(key, Qt::LeftButton);
        const QImage named = key->grab().toImage();
        QVERIFY(blank != named);
        for (int y = 0; y < named.height(); ++y)
            for (int x = 0; x < named.width(); ++x)
                if (x < 2 || y < 2 || x >= named.width() - 2 || y >= named.height() - 2)
                    QVERIFY2(blank.pixel(x, y) == named.pixel(x, y), qPrintable(u"frame at %1,%2"_s.arg(x).arg(y)));
        // It is cut short between letters, not through one: no ink at the sides.
        for (int y = 0; y < named.height(); ++y)
            for (int x : {2, 3, named.width() - 4, named.width() - 3})
                QVERIFY2(qGray(named.pixel(x, y)) > 100, qPrintable(u"ink at %1,%2"_s.arg(x).arg(y)));
        QCOMPARE(key->toolTip(), QString(60, u'W'));

        // The likeliest long name is drawn smaller, whole or cut short, and
        // named in full by its tooltip; a short one keeps its size.
        const QString likeliest = u"Γράψε έναν χαρακτήρα"_s;
        prompts.names = {likeliest, u"&"_s};
        QTest::mouseClick(w->customKeys[1], Qt::LeftButton);
        QCOMPARE(w->customKeys[1]->toolTip(), likeliest);
        QCOMPARE(w->customKeys[1]->accessibleName(), likeliest);
        QVERIFY(w->customKeys[1]->captionFont().pointSizeF() < w->customKeys[1]->font().pointSizeF());
        QTest::mouseClick(w->customKeys[2], Qt::LeftButton);
        QCOMPARE(w->customKeys[2]->captionFont().pointSizeF(), w->customKeys[2]->font().pointSizeF());
        QVERIFY(w->customKeys[2]->toolTip().isEmpty());
    }

    void helpButtonKeepsItsFrameFocusAndPress()
    {
        // Every pixel of the frame, the focus and the pressed look of the same
        // button without the picture shows on the help button as well.
        KeyButton* help = w->Command31;
        KeyButton bare(w.get());
        bare.setGeometry(help->geometry());
        bare.show();
        w->setAttribute(Qt::WA_KeyboardFocusChange);  // as after Tab: focus is drawn
        auto looks = [&](const std::function<void(KeyButton*)>& state) {
            state(help);
            const QImage withPicture = help->grab().toImage();
            state(&bare);
            return std::pair{withPicture, bare.grab().toImage()};
        };
        const auto [helpPlain, barePlain] = looks([](KeyButton*) {});
        const auto [helpFocused, bareFocused] = looks([](KeyButton* b) { b->setFocus(Qt::TabFocusReason); });
        const auto [helpPressed, barePressed] = looks([](KeyButton* b) {
            b->setFocus(Qt::TabFocusReason);
            b->setDown(true);
        });
        int focusPixels = 0;
        for (int y = 0; y < barePlain.height(); ++y) {
            for (int x = 0; x < barePlain.width(); ++x) {
                const bool frame = x < 2 || y < 2 || x >= barePlain.width() - 2 || y >= barePlain.height() - 2;
                if (frame) {
                    QCOMPARE(helpPlain.pixel(x, y), barePlain.pixel(x, y));
                    QCOMPARE(helpPressed.pixel(x, y), barePressed.pixel(x, y));
                }
                if (bareFocused.pixel(x, y) != barePlain.pixel(x, y)) {
                    ++focusPixels;
                    QVERIFY2(helpFocused.pixel(x, y) == bareFocused.pixel(x, y),
                             qPrintable(u"focus at %1,%2"_s.arg(x).arg(y)));
                }
            }
        }
        QVERIFY(focusPixels > 0);
        QVERIFY(helpPressed != helpFocused);
    }

    void lettersAreGreekCapitals()
    {
        QString captions;
        for (KeyButton* key : w->letterKeys)
            captions += key->caption();
        QCOMPARE(captions, u"ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ"_s);
        for (QChar c : captions)
            QVERIFY(c.script() == QChar::Script_Greek);
    }

    void tabVisitsEveryControlInOrderAndWraps()
    {
        QCOMPARE(QApplication::focusWidget(), w->Text1[0]);
        const QStringList order = designedFocusOrder();
        QCOMPARE(order.size(), 61);
        QStringList visited;
        for (int i = 0; i < order.size(); ++i) {
            visited << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited, order);
        QCOMPARE(QApplication::focusWidget(), w->Text1[0]);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), u"Command32"_s);
        QVERIFY(w->Text3->toPlainText().isEmpty());  // Tab in the message only moved on
    }

    void messageWrapsWithoutScrollBars()
    {
        w->Text3->setPlainText(QString(5000, u'-'));
        QVERIFY(w->Text3->document()->firstBlock().layout()->lineCount() > 10);
        QCOMPARE(w->Text3->horizontalScrollBar()->maximum(), 0);
        QVERIFY(!w->Text3->verticalScrollBar()->isVisible());
        QTest::keyClick(w->Text3, Qt::Key_Return);  // Enter starts a new line, not the exit
        QCOMPARE(w->Text3->blockCount(), 2);
    }

    void everyFocusableControlHasADistinctGreekName()
    {
        QStringList names = accessibleNames(w.get());
        QCOMPARE(names.size(), 61);
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
        QVERIFY(names.contains(u"Άλφα"_s) && names.contains(u"Κωδικός του Ωμέγα"_s));
        QVERIFY(names.contains(u"Κενό πλήκτρο 2"_s) && names.contains(u"Βοήθεια"_s));

        // A custom key is called by its caption once named, and blank again after clear.
        prompts.names = {u"#"_s};
        QTest::mouseClick(w->customKeys[1], Qt::LeftButton);
        QVERIFY(accessibleNames(w.get()).contains(u"#"_s));
        prompts.confirmations = {true};
        QTest::mouseClick(w->Command3, Qt::LeftButton);
        QVERIFY(accessibleNames(w.get()).contains(u"Κενό πλήκτρο 2"_s));

        ui::HelpWindow help;
        help.show();
        QCOMPARE(accessibleNames(&help), QStringList{u"Εντάξει"_s});
    }

    void contextMenusAndUndoSpeakGreek()
    {
        const QStringList greek{u"&Αναίρεση"_s,   u"Α&κύρωση αναίρεσης"_s, u"Απο&κοπή"_s,    u"Α&ντιγραφή"_s,
                                u"Ε&πικόλληση"_s, u"Διαγραφή"_s,           u"Επιλογή όλων"_s};
        QCOMPARE(contextMenuOf(w->Text1[0]), greek);
        const QStringList wholeTexts{u"Κωδικοποίηση κειμένου…"_s,
                                     u"Αποκωδικοποίηση μηνύματος…"_s,
                                     u"Αντιγραφή πίνακα κωδικών"_s,
                                     u"Αντιγραφή ως εικόνα"_s,
                                     u"Κώδικες…"_s,
                                     u"Ακρόαση μηνύματος…"_s,
                                     u"Ανάγνωση Μορς από το μικρόφωνο…"_s};
        QCOMPARE(contextMenuOf(w->Text3->viewport()), greek + wholeTexts);
        // A finger has no right button: held still it opens the same menu,
        // leaving the selection for it to copy; moved it selects; a mouse
        // held still does nothing of the kind.
        w->Text3->setPlainText(u"ab"_s);
        w->Text3->selectAll();
        QCOMPARE(heldMenuOf(w->Text3->viewport(), QPoint(2, 1)), greek + wholeTexts);
        QCOMPARE(w->Text3->textCursor().selectedText(), u"ab"_s);
        QCOMPARE(heldMenuOf(w->Text3->viewport(), QPoint(40, 0)), QStringList());
        // So does a code field, its selection kept as well.
        w->Text1[0]->setSelection(1, 2);
        QCOMPARE(heldMenuOf(w->Text1[0], QPoint(1, 2)), greek);
        QCOMPARE(w->Text1[0]->selectedText(), w->Text1[0]->text().mid(1, 2));
        QStringList entries;
        menuEntries(800, entries);
        QTest::mousePress(w->Text3->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
        QTest::qWait(900);
        QTest::mouseRelease(w->Text3->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
        QCOMPARE(entries, QStringList());
        w->Text3->clear();

        // Presses and typing share one history, backwards and forwards.
        w->Text3->setFocus();
        QTest::keyClicks(w->Text3, u"ab"_s);
        QTest::mouseClick(w->letterKeys[0], Qt::LeftButton);
        QTest::keyClick(w->Text3, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w->Text3->toPlainText(), u"ab"_s);
        QTest::keyClick(w->Text3, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(w->Text3->toPlainText(), u"ab . - /"_s);
    }

    void copiesLeaveAsPlainTextExactly()
    {
        // A word processor takes a rich version first and collapses its runs
        // of spaces: only plain text leaves, every character as it stands.
        const QString message = u" . - / -   - . /\n\u00a0ά\u0301 👩\u200d👩\u200d👧 \n"_s;
        w->Text3->setPlainText(message);
        w->Text3->setFocus();
        QTest::keyClick(w->Text3, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(w->Text3, Qt::Key_C, Qt::ControlModifier);
        const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(copied->formats(), QStringList{u"text/plain"_s});
        QCOMPARE(copied->text(), message);
        QCOMPARE(copied->data(u"text/plain"_s), message.toUtf8());

        QTest::keyClick(w->Text3, Qt::Key_X, Qt::ControlModifier);  // cut goes the same way
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->formats(), QStringList{u"text/plain"_s});
        QVERIFY(w->Text3->toPlainText().isEmpty());

        w->Text1[2]->setFocus();  // a code field, as before
        QTest::keyClick(w->Text1[2], Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(w->Text1[2], Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->formats(), QStringList{u"text/plain"_s});
        QCOMPARE(QGuiApplication::clipboard()->text(), u" -   - . /"_s);
    }

    void wholeTextsFromAnywhereInTheWindow()
    {
        // Write: appended at the end as one step, whatever has the focus.
        w->Text3->setPlainText(u"ab"_s);
        prompts.texts = {u"Καλή επιτυχία"_s, std::nullopt};
        QTest::keyClick(w->Text1[5], Qt::Key_T, Qt::ControlModifier);
        const QString written
            = u"ab - . - / . - / . - . . / . . . . // . / . - - . / . . / - / - . - - / - - - - / . . / . - /"_s;
        QCOMPARE(w->Text3->toPlainText(), written);
        QTest::keyClick(w->letterKeys[3], Qt::Key_T, Qt::ControlModifier);  // Cancel: nothing
        QCOMPARE(w->Text3->toPlainText(), written);
        QVERIFY(prompts.texts.empty());

        // Read: in the codes as they are now, from a key.
        w->Text1[0]->setText(u"@"_s);  // Α now reads as unread Morse
        QTest::keyClick(w->letterKeys[0], Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(prompts.readings.size(), 1u);
        QString read;
        for (const model::Piece& piece : prompts.readings.back().pieces)
            read += piece.kind == model::Piece::Kind::Unread ? u'[' + piece.text + u']' : piece.text;
        QCOMPARE(read, u"[ab]Κ[ .]ΤΛΗ ΕΠΙΤΥΧΙ[ .]Τ"_s);  // the shortest stretches left unread

        // The key table: plain and rich, every space of a code kept.
        QTest::keyClick(w->Text3, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        const QMimeData* table = QGuiApplication::clipboard()->mimeData();
        QVERIFY(table->text().startsWith(u"Α\t@\nΒ\t - . . . /\nΓ\t -   - . /\n"_s));
        QVERIFY(table->text().endsWith(u"Ω\t . - - /\nδιαχωριστικό «/»\t/\n"_s));
        QVERIFY(table->html().contains(u"&nbsp;-&nbsp;&nbsp;&nbsp;-&nbsp;.&nbsp;/"_s));
        // With every code empty there is no table: the clipboard stays, and the user is told.
        std::vector<QString> codes;
        for (QLineEdit* field : w->findChildren<QLineEdit*>()) {
            codes.push_back(field->text());
            field->clear();
        }
        QTest::keyClick(w->Text3, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(u"Α\t@\n"_s));
        QVERIFY(prompts.asked.last().startsWith(u"ΑΝΤΙΓΡΑΦΗ ΠΙΝΑΚΑ|Κανένα πλήκτρο δεν έχει κωδικό"_s));
        for (QLineEdit* field : w->findChildren<QLineEdit*>()) {
            field->setText(codes.front());
            codes.erase(codes.begin());
        }

        // Undo takes back the whole text in one step.
        w->Text3->setFocus();
        QTest::keyClick(w->Text3, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w->Text3->toPlainText(), u"ab"_s);
    }

    void realBoxesSpeakGreekAndAnswerTheKeyboard()
    {
        ui::QtPrompts real;
        whenModal([](QWidget* widget) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), u"ΕΞΟΔΟΣ"_s);
            QCOMPARE(box->text(), u"Σίγουρα θες να βγεις;"_s);
            QCOMPARE(box->icon(), QMessageBox::Warning);
            QCOMPARE(box->button(QMessageBox::Ok)->text(), u"Εντάξει"_s);
            QCOMPARE(box->button(QMessageBox::Cancel)->text(), u"Άκυρο"_s);
            // Ctrl+Enter, OK in every other box, answers no question that loses the message.
            QTRY_COMPARE(QApplication::focusWidget(), box->button(QMessageBox::Ok));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
            QVERIFY(box->isVisible());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        QVERIFY(real.confirm(u"ΕΞΟΔΟΣ"_s, u"Σίγουρα θες να βγεις;"_s));
        whenModal([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
        QVERIFY(!real.confirm(u"t"_s, u"p"_s));

        // The real naming box and clear box, through the keys that open them.
        ui::MainWindow window(real, [] {});
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        // The real write box: a preview as the text is typed, Latin look-alikes
        // and the characters without a key named, Enter a line break,
        // Ctrl+Enter OK. A text given up with Esc comes back, selected.
        const auto type = [](const QString& text) {
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, text, Qt::NoModifier);
        };
        whenModal([type](QWidget* box) {
            QTRY_VERIFY(qobject_cast<QPlainTextEdit*>(QApplication::focusWidget()));
            type(u"Kα"_s);
            QCOMPARE(box->findChild<QLabel*>(u"lookAlikes"_s)->text().right(3), u"«K»"_s);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
        QTest::keyClick(window.Text1[0], Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(window.Text3->toPlainText(), QString());
        window.activateWindow();  // the box gave it back, as the desktop would
        QVERIFY(QTest::qWaitForWindowActive(&window));
        whenModal([type](QWidget* box) {
            QCOMPARE(box->windowTitle(), u"ΚΩΔΙΚΟΠΟΙΗΣΗ"_s);
            const auto fields = box->findChildren<QPlainTextEdit*>();
            QCOMPARE(fields.size(), 2);
            QTRY_COMPARE(QApplication::focusWidget(), fields[0]);
            QCOMPARE(fields[0]->textCursor().selectedText(), u"Kα"_s);
            for (QPlainTextEdit* field : fields) {  // whole lines, as many as the screen has room for
                const int lines = (field->viewport()->height() - 8) / field->fontMetrics().lineSpacing();
                QVERIFY2(lines >= 4 && field->viewport()->height() - 8 == lines * field->fontMetrics().lineSpacing(),
                         qPrintable(QString::number(lines)));
            }
            type(u"αβ\t#"_s);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            type(u"ε"_s);
            QCOMPARE(fields[1]->toPlainText(), u" . - / - . . . /\n . /"_s);
            QCOMPARE(box->findChild<QLabel*>(u"missing"_s)->text().section(u':', 1), u" «στηλοθέτης» «#»"_s);
            QVERIFY(box->findChild<QLabel*>(u"lookAlikes"_s)->isHidden());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
        });
        QTest::keyClick(window.Text1[0], Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(window.Text3->toPlainText(), u" . - / - . . . /\n . /"_s);
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        whenModal([](QWidget* box) {  // used with OK, the text is not offered again
            QTRY_COMPARE(box->findChild<QPlainTextEdit*>()->toPlainText(), QString());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
        QTest::keyClick(window.Text1[0], Qt::Key_T, Qt::ControlModifier);

        // The real read box: the reading in a field that has the focus; Enter closes it.
        window.activateWindow();  // the box gave it back, as the desktop would
        QVERIFY(QTest::qWaitForWindowActive(&window));
        whenModal([](QWidget* box) {
            QCOMPARE(box->windowTitle(), u"ΑΠΟΚΩΔΙΚΟΠΟΙΗΣΗ"_s);
            QTRY_VERIFY(qobject_cast<QPlainTextEdit*>(QApplication::focusWidget()));
            auto* field = qobject_cast<QPlainTextEdit*>(QApplication::focusWidget());
            QVERIFY(field->isReadOnly());
            QCOMPARE(field->toPlainText(), u"ΑΒ\nΕ"_s);
            QGuiApplication::clipboard()->clear();
            box->findChild<QDialogButtonBox*>()->buttons().constLast()->click();  // Αντιγραφή
            QCOMPARE(QGuiApplication::clipboard()->text(), u"ΑΒ\nΕ"_s);
            QTest::keyClick(field, Qt::Key_Return);
        });
        QTest::keyClick(window.Text3, Qt::Key_R, Qt::ControlModifier);
        QVERIFY(!QApplication::activeModalWidget());
        const QString name = QString(40'000, u'ω') + u"&"_s;  // past the line's usual limit
        whenModal([name](QWidget* widget) {
            auto* dialog = qobject_cast<QInputDialog*>(widget);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), u"ΚΕΝΟ ΚΟΥΜΠΙ"_s);
            QCOMPARE(dialog->textValue(), u"Γράψε έναν χαρακτήρα"_s);
            auto* line = dialog->findChild<QLineEdit*>();
            line->selectAll();
            QTest::sendKeyEvent(QTest::Click, line, Qt::Key_unknown, name, Qt::NoModifier);
            QTest::keyClick(line, Qt::Key_Return);
        });
        QTest::mouseClick(window.customKeys[1], Qt::LeftButton);
        QCOMPARE(window.customKeys[1]->caption(), name);

        whenModal([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
        QTest::mouseClick(window.Command3, Qt::LeftButton);
        QCOMPARE(window.customKeys[1]->caption(), name);
        whenModal([](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
        QTest::mouseClick(window.Command3, Qt::LeftButton);
        QCOMPARE(window.customKeys[1]->caption(), QString());
        QCOMPARE(window.Text1[0]->text(), QString());
    }

    void listeningBoxNeverHangsNorLeavesSoundBehind()
    {
        // No sound server here: the box says so, and the light still works.
        qputenv("PULSE_SERVER", "unix:/nonexistent");
        ui::QtPrompts real;
        ui::MainWindow window(real, [] {});
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const auto listen = [&window](const QString& message, const std::function<void(QWidget*)>& answer) {
            window.Text3->setPlainText(message);
            window.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&window));
            whenModal(answer);
            QTest::keyClick(window.Text3, Qt::Key_M, Qt::ControlModifier);
            QVERIFY(!QApplication::activeModalWidget());
        };
        listen(u"Καλή"_s, [](QWidget* box) {
            auto* play = box->findChild<QPushButton*>(u"play"_s);
            QTRY_COMPARE(QApplication::focusWidget(), play);
            QTest::keyClick(play, Qt::Key_Space);
            QCOMPARE(play->text(), u"Αναπαραγωγή"_s);
            QVERIFY(box->findChild<QLabel*>(u"status"_s)->text().startsWith(u"Δεν υπάρχει Μορς"_s));
            QVERIFY(box->findChild<QLabel*>(u"silent"_s)->text().contains(u": 4 "_s));
            QTest::keyClick(play, Qt::Key_Escape);
        });
        // A long message with the light: it starts at once, a press stops it,
        // another starts it again, and closing the box ends it all.
        QString morse;
        while (morse.size() < 100'000)
            morse += u" . - / - - - //"_s;
        listen(morse, [](QWidget* box) {
            auto* play = box->findChild<QPushButton*>(u"play"_s);
            QTRY_COMPARE(QApplication::focusWidget(), play);
            QVERIFY(box->findChild<QLabel*>(u"silent"_s)->isHidden());  // all of it sounds
            box->findChild<QCheckBox*>()->setChecked(true);
            QElapsedTimer started;
            started.start();
            QTest::keyClick(play, Qt::Key_Space);
            QVERIFY(started.elapsed() < 1000);
            QCOMPARE(play->text(), u"Διακοπή"_s);
            auto* light = box->findChild<ui::LightWindow*>(u"light"_s);
            QTRY_VERIFY(light->isVisible());
            QTRY_VERIFY(light->isOn());  // white at a tone, black between
            QTRY_VERIFY(!light->isOn());
            QTest::keyClick(play, Qt::Key_Space);
            QCOMPARE(play->text(), u"Αναπαραγωγή"_s);
            QVERIFY(!light->isVisible());
            QTest::keyClick(play, Qt::Key_Return);
            QTRY_VERIFY(light->isVisible());
            QTest::keyClick(light, Qt::Key_Escape);  // the light ends the play
            QVERIFY(!light->isVisible());
            QCOMPARE(play->text(), u"Αναπαραγωγή"_s);
            QTest::keyClick(play, Qt::Key_Space);
            box->close();  // while it plays
        });
        QVERIFY(!window.findChild<QWidget*>(u"light"_s));
        qunsetenv("PULSE_SERVER");
    }

    void realCodesBoxAnswersTheKeyboard()
    {
        ui::QtPrompts real;
        ui::MainWindow window(real, [] {});
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        // Down to Polybius's square, the preview kept current, Ctrl+Enter loads it.
        whenModal([](QWidget* box) {
            QCOMPARE(box->windowTitle(), u"ΚΩΔΙΚΕΣ"_s);
            auto* list = box->findChild<QListWidget*>();
            QTRY_COMPARE(QApplication::focusWidget(), list);
            QCOMPARE(list->currentRow(), 0);  // the keys hold Morse: nothing to warn of
            QVERIFY(!box->findChild<QLabel*>(u"warning"_s));
            for (int i = 0; i < 5; ++i)
                QTest::keyClick(list, Qt::Key_Down);
            QVERIFY(box->findChild<QPlainTextEdit*>(u"preview"_s)
                        ->toPlainText()
                        .endsWith(u"ΚΑΛΗ ΕΠΙΤΥΧΙΑ:\n25 11 31 22 / 15 41 24 44 45 52 24 11 "_s));
            QVERIFY(box->findChild<QPlainTextEdit*>(u"preview"_s)->toPlainText().contains(u"\n2\tΖ\tΗ\tΘ\tΙ\tΚ\n"_s));
            QTest::keyClick(list, Qt::Key_Return, Qt::ControlModifier);
        });
        QTest::keyClick(window.Text3, Qt::Key_K, Qt::ControlModifier);
        QCOMPARE(window.Text1[23]->text(), u"54 "_s);

        // A table from the clipboard, the HTML one taken over the text: the
        // list opens at the code the keys hold, and Tab from the last entry
        // reaches the paste field.
        window.Text1[2]->setText(u"my own"_s);
        const std::vector<model::Key> table{{model::Key::Kind::Letter, u"Α"_s, u" x  y"_s}};
        auto* data = new QMimeData;
        data->setHtml(model::keyTableHtml(table));
        data->setText(u"Α\tnot this\n"_s);
        QGuiApplication::clipboard()->setMimeData(data);
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        whenModal([](QWidget* box) {
            auto* list = box->findChild<QListWidget*>();
            QTRY_COMPARE(QApplication::focusWidget(), list);
            QCOMPARE(list->currentRow(), 0);
            QVERIFY(box->findChild<QLabel*>(u"warning"_s)->isVisible());
            QTest::keyClick(list, Qt::Key_Down, Qt::NoModifier);
            QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Down);
            const QStringList names = accessibleNames(box);
            QVERIFY2(names.contains(u"Κώδικες"_s) && names.contains(u"Μετατόπιση"_s) && names.contains(u"Θα γίνουν"_s),
                     qPrintable(names.join(u'|')));
            QTest::keyClick(list, Qt::Key_End);
            QTest::keyClick(list, Qt::Key_Tab);
            auto* paste = qobject_cast<QPlainTextEdit*>(QApplication::focusWidget());
            QVERIFY(paste && !paste->isReadOnly());
            QTest::keyClick(paste, Qt::Key_V, Qt::ControlModifier);
            QVERIFY(box->findChild<QLabel*>(u"notes"_s)->text().contains(u"κρατούν τους κωδικούς τους: Β, Γ,"_s));
            // The keys' own codes, kept from inside the box before they are lost.
            QTest::keyClick(paste, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
            QVERIFY(QGuiApplication::clipboard()->text().contains(u"\nΓ\tmy own\n"_s));
            QVERIFY(box->findChild<QLabel*>(u"copied"_s)->isVisible());
            QTest::keyClick(paste, Qt::Key_Return, Qt::ControlModifier);
        });
        QTest::keyClick(window.Text3, Qt::Key_K, Qt::ControlModifier);
        QCOMPARE(window.Text1[0]->text(), u" x  y"_s);
        QCOMPARE(window.Text1[2]->text(), u"my own"_s);
    }
};

QTEST_MAIN(WindowsTest)
#include "tst_windows.moc"
