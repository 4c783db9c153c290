// bench_press: what one letter key costs once the message is long, next to
// the least any text field could cost for the same change.
//
// The press is the real one: QPushButton::click() on a letter key of the
// keyboard window, which appends that key's code to the message. The floor
// is a bare QPlainTextEdit of the message's size and font, holding the same
// text, appended to with a QTextCursor at its end. Both windows are on
// screen at once and their steps alternate, so that whatever the machine
// does meanwhile falls on both alike.
//
// A timed step ends when the layout of the message's last block is done and
// the window has painted the change: the step asks the document layout for
// that block's rectangle, then lets Qt deliver its pending events, which
// paints and flushes to the window system. After each step, untimed, the
// message is checked to end with the code and the step is undone, so every
// press finds exactly N characters before it.
//
// The floor appends inside an edit block, as a press does: an append the
// user can undo as one step is the toolkit's own cheapest call for it, and
// outside a block the cursor would also work out its place on the line,
// which would make the floor dearer than the press and hide a slow press.
//
// Prints "press_<N>_median: X ms", "press_<N>_p99", "floor_<N>_median",
// "floor_<N>_p99" and "ratio_press_<N>" (press median / floor median).
// Exits non-zero if a press did not append its code, asked a question, or
// ended without a paint of the message.

#include "keyboard/keybutton.h"
#include "keyboard/prompts.h"
#include "model/slots.h"
#include "ui/greek.h"
#include "ui/mainwindow.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int warmUps = 20;   // untimed steps per arm and size: glyph caches, first paints
constexpr int presses = 200;  // timed steps per arm and size

[[noreturn]] void fail(const char* what, long long detail = 0)
{
    std::fprintf(stderr, "bench_press: %s (%lld)\n", what, detail);
    std::exit(1);
}

// A letter key asks nothing; a question here means a press went astray.
struct NoPrompts : keyboard::Prompts {
    bool confirm(const QString&, const QString&) override { fail("a press asked for a confirmation"); }
    void inform(const QString&, const QString&) override { fail("a press told something"); }
    QString askName(const QString&, const QString&, const QString&) override { fail("a press asked for a name"); }
    std::optional<QString> askText(const Writer&, const QString&) override { return text; }
    void showReading(const model::Reading&) override { fail("a press showed a reading"); }
    std::optional<model::CodeChoice> chooseCode(std::span<const model::Key>, const QString&) override
    {
        fail("a press asked for a code");
    }
    void listen(const QString&, const model::Reading&) override { fail("a press played the message"); }
    std::optional<QString> hear(std::span<const model::Key>) override { fail("a press listened to the microphone"); }
    QString text;  // what the write box is given
};

// Counts the paints of a text field's viewport, so that a step which never
// reached the screen is caught rather than timed as fast.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// The codes of the alphabet over and over, cut to exactly the length asked.
QString morse(qsizetype length)
{
    QString text;
    text.reserve(length + 16);
    for (int i = 0; text.size() < length; i = (i + 1) % model::letterCount)
        text += model::letterCode(i);
    text.truncate(length);
    return text;
}

// The end of every timed step, the same in both arms.
qreal settle(QPlainTextEdit& field)
{
    QTextDocument* document = field.document();
    const qreal height = document->documentLayout()->blockBoundingRect(document->lastBlock()).height();
    QCoreApplication::processEvents();
    return height;
}

QString tail(QPlainTextEdit& field, int length)
{
    QTextCursor end(field.document());
    end.movePosition(QTextCursor::End);
    // Set, not moved: a move of n steps works out the layout n times.
    end.setPosition(end.position() - length, QTextCursor::KeepAnchor);
    return end.selectedText();
}

void waitExposed(QWidget& window)
{
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!(window.windowHandle() && window.windowHandle()->isExposed())) {
        if (Clock::now() > deadline)
            fail("a window was never exposed");
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QCoreApplication::processEvents();
}

struct Arm {
    QPlainTextEdit* field;
    PaintCounter counter;
    std::vector<double> ms;
};

// Checks the step just timed and takes it back, so the next one starts from
// the same text. Untimed.
void checkAndUndo(Arm& arm, qsizetype length, const QString& code, int paintsBefore, qreal height)
{
    QTextDocument* document = arm.field->document();
    // characterCount() counts the paragraph separator after the last block.
    if (document->characterCount() != length + code.size() + 1 || tail(*arm.field, int(code.size())) != code)
        fail("a step did not append its code at the end", document->characterCount());
    if (arm.counter.paints == paintsBefore)
        fail("a step ended without painting the field", arm.counter.paints);
    if (!(height > 0))
        fail("the last block had no layout");
    arm.field->undo();
    settle(*arm.field);
    if (document->characterCount() != length + 1)
        fail("undo did not restore the text", document->characterCount());
}

// One timed step that appends `code` to the arm's field, checked and taken back.
template <typename Step> double timedOnce(Arm& arm, const QString& code, qsizetype length, Step step)
{
    const int paintsBefore = arm.counter.paints;
    const auto start = Clock::now();
    step();
    const qreal height = settle(*arm.field);
    const auto stop = Clock::now();
    checkAndUndo(arm, length, code, paintsBefore, height);
    return std::chrono::duration<double, std::milli>(stop - start).count();
}

double pressOnce(Arm& arm, keyboard::KeyButton& key, QLineEdit& codeField, qsizetype length)
{
    return timedOnce(arm, codeField.text(), length, [&key] { key.click(); });
}

double floorOnce(Arm& arm, const QString& code, qsizetype length)
{
    return timedOnce(arm, code, length, [&arm, &code] {
        QTextCursor end(arm.field->document());
        end.beginEditBlock();
        end.movePosition(QTextCursor::End);
        end.insertText(code);
        end.endEditBlock();
    });
}

double writeOnce(Arm& arm, QAction& write, const QString& codes, qsizetype length)
{
    return timedOnce(arm, codes, length, [&write] { write.trigger(); });
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Nearest rank: the smallest sample that at least 99 % of samples do not exceed.
double p99(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const auto rank = std::size_t(std::ceil(0.99 * double(v.size())));
    return v[std::max<std::size_t>(rank, 1) - 1];
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    ui::installGreek();  // as main() does: the design font's faces, and the locale

    NoPrompts prompts;
    ui::MainWindow window(prompts, [] { fail("a press ended the program"); });
    window.move(0, 0);
    window.show();

    QPlainTextEdit bare;
    bare.setWindowTitle(u"bench_press floor"_s);
    bare.setFont(window.Text3->font());
    bare.resize(window.Text3->size());
    bare.move(0, window.frameGeometry().bottom() + 20);  // beside, never over, the keyboard window
    bare.show();

    waitExposed(window);
    waitExposed(bare);

    Arm press{window.Text3, {}, {}};
    Arm floor{&bare, {}, {}};
    press.field->viewport()->installEventFilter(&press.counter);
    floor.field->viewport()->installEventFilter(&floor.counter);

    std::vector<QString> ratios;
    for (const qsizetype length : {1'000, 10'000, 100'000, 1'000'000}) {
        const QString text = morse(length);
        press.field->setPlainText(text);
        floor.field->setPlainText(text);
        settle(*press.field);
        settle(*floor.field);
        press.ms.clear();
        floor.ms.clear();

        for (int i = 0; i < warmUps + presses; ++i) {
            const int slot = i % model::letterCount;
            keyboard::KeyButton& key = *window.letterKeys[slot];
            QLineEdit& codeField = *window.Text1[slot];
            double pressMs = 0, floorMs = 0;
            // Alternate which arm goes first, so neither always follows the other.
            if (i % 2 == 0) {
                pressMs = pressOnce(press, key, codeField, length);
                floorMs = floorOnce(floor, codeField.text(), length);
            } else {
                floorMs = floorOnce(floor, codeField.text(), length);
                pressMs = pressOnce(press, key, codeField, length);
            }
            if (i >= warmUps) {
                press.ms.push_back(pressMs);
                floor.ms.push_back(floorMs);
            }
        }

        const double pressMedian = median(press.ms), floorMedian = median(floor.ms);
        std::printf("press_%lld_median: %.3f ms\n", (long long)length, pressMedian);
        std::printf("press_%lld_p99: %.3f ms\n", (long long)length, p99(press.ms));
        std::printf("floor_%lld_median: %.3f ms\n", (long long)length, floorMedian);
        std::printf("floor_%lld_p99: %.3f ms\n", (long long)length, p99(floor.ms));
        std::fflush(stdout);
        ratios.push_back(QString::asprintf("ratio_press_%lld: %.3f", (long long)length, pressMedian / floorMedian));
    }
    // A whole text written at once, through the write box's step (the box
    // answered at once), against one press of a key whose code is the very
    // string it appends, on a message of 1,000 characters.
    QString text;
    for (int i = 0; text.size() < 10'000; ++i)
        text += i % 7 == 6 ? QChar(u' ') : QChar(model::letters[(i * 5) % model::letterCount].capital).toLower();
    prompts.text = text;
    QAction* write = nullptr;
    for (QAction* action : window.actions())
        if (action->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_T))
            write = action;
    if (!write)
        fail("no write command");
    const qsizetype length = 1'000;
    press.field->setPlainText(morse(length));
    settle(*press.field);
    write->trigger();
    const QString codes = tail(*press.field, int(press.field->document()->characterCount() - 1 - length));
    press.field->undo();
    // On a custom key without a name, whose code no letter of the text reads.
    keyboard::KeyButton& key = *window.customKeys[2];
    QLineEdit& keyCode = *window.customFields[2];
    // The key holds that code for its own press alone: the write box checks
    // whether the keys' codes read back one way, and a key of 70,000 signs
    // is none a user makes (bench_read times that check on 200).
    const auto writeTimed = [&] {
        keyCode.clear();
        settle(*press.field);  // the field's repaint is no part of the step
        return writeOnce(press, *write, codes, length);
    };
    const auto pressTimed = [&] {
        keyCode.setText(codes);
        settle(*press.field);
        return pressOnce(press, key, keyCode, length);
    };
    std::vector<double> writeMs, onePressMs;
    for (int i = 0; i < warmUps + presses / 4; ++i) {
        double w = 0, p = 0;
        if (i % 2 == 0) {
            w = writeTimed();
            p = pressTimed();
        } else {
            p = pressTimed();
            w = writeTimed();
        }
        if (i >= warmUps) {
            writeMs.push_back(w);
            onePressMs.push_back(p);
        }
    }
    std::printf("write_10000_median: %.3f ms\n", median(writeMs));
    std::printf("floor_write_10000_median: %.3f ms\n", median(onePressMs));
    ratios.push_back(QString::asprintf("ratio_write_10000: %.3f", median(writeMs) / median(onePressMs)));

    for (const QString& line : ratios)
        std::printf("%s\n", qPrintable(line));
    return 0;
}
