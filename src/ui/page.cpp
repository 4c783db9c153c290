#include "page.h"

#ifdef Q_OS_WASM
#include "plaintextfield.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QHash>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <QToolTip>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <emscripten/bind.h>
#include <emscripten/val.h>
#endif

namespace ui::page {

#ifdef Q_OS_WASM

using namespace Qt::StringLiterals;

namespace {

void dispatch(const char* type, const emscripten::val& detail = emscripten::val::undefined())
{
    using emscripten::val;
    val options = val::object();
    options.set("detail", detail);
    val::global("window").call<bool>("dispatchEvent", val::global("CustomEvent").new_(val(type), options));
}

// Text that reaches the page as text, not as keys: an accent typed with a
// dead key, an input method's or a phone keyboard's word. Qt 6.4 reads only
// keys in a page, and such text comes with none (or with a bare vowel the
// page holds back), so the page hands it here once it is composed, and the
// focused field takes it as from an input method.
void commitText(const std::string& utf8)
{
    QObject* focus = QGuiApplication::focusObject();
    if (!focus)
        return;
    QInputMethodEvent event;
    event.setCommitString(QString::fromStdString(utf8));
    QCoreApplication::sendEvent(focus, &event);
}

// When a window closes (a box, the light), Qt gives the focus to no window
// (the closed one's is gone with it) or to the window last made, hidden or
// not: the box still waiting gets it, or else the window left on show.
class FocusKeeper : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow())
            QTimer::singleShot(0, this, [] {  // once it is gone
                const QWindow* focus = QGuiApplication::focusWindow();
                if (focus && focus->isVisible())
                    return;
                if (QWidget* box = QApplication::activeModalWidget(); box && box->isVisible()) {
                    box->activateWindow();
                    return;
                }
                for (QWidget* window : QApplication::topLevelWidgets())
                    if (window->isVisible() && window->windowType() == Qt::Window) {
                        window->activateWindow();
                        return;
                    }
            });
        return false;
    }
};

// A field's own menu, shown without waiting for it, where a box already waits.
// A menu shown under a button still down closes when it is let go: one asked
// for by a press or a held finger opens once it is up.
class MenuWithoutWait : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const bool up = event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::TouchEnd;
        if (up && waiting_)
            QTimer::singleShot(0, waiting_, [menu = waiting_, at = waitingAt_] { menu->popup(at); });
        if (up)
            waiting_ = nullptr;
        if (event->type() != QEvent::ContextMenu || !QApplication::activeModalWidget() || !watched->isWidgetType())
            return false;
        QObject* parent = watched->parent();
        auto* spin = qobject_cast<QAbstractSpinBox*>(watched);
        spin = spin ? spin : qobject_cast<QAbstractSpinBox*>(parent);
        QMenu* menu = nullptr;
        if (spin) {
            auto* field = spin->findChild<QLineEdit*>();
            menu = field ? field->createStandardContextMenu() : new QMenu;
            menu->addSeparator();
            menu->addAction(u"Ένα πάνω"_s, spin, &QAbstractSpinBox::stepUp);
            menu->addAction(u"Ένα κάτω"_s, spin, &QAbstractSpinBox::stepDown);
        } else if (auto* field = qobject_cast<QLineEdit*>(watched)) {
            menu = field->createStandardContextMenu();
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(parent)) {
            menu = text->createStandardContextMenu();  // asked of its viewport
        } else {
            return false;
        }
        menu->setAttribute(Qt::WA_DeleteOnClose);
        const QPoint at = static_cast<QContextMenuEvent*>(event)->globalPos();
        if (QGuiApplication::mouseButtons() == Qt::NoButton) {
            menu->popup(at);
        } else {
            delete waiting_;
            waiting_ = menu;
            waitingAt_ = at;
        }
        return true;
    }

private:
    QPointer<QMenu> waiting_;
    QPoint waitingAt_;
};

// A field's menu's Paste: a multi-line field's names it, a single-line
// field's (in Qt 6.4) is known by its shortcut alone.
QAction* pasteOf(const QMenu& menu)
{
    if (auto* paste = menu.findChild<QAction*>(u"edit-paste"_s))
        return paste;
    const QString keys = u'\t' + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    for (QAction* action : menu.actions())
        if (action->text().endsWith(keys))
            return action;
    return nullptr;
}

// The Paste of a field's menu, made to paste what the page's clipboard
// holds. It is read when Paste is picked, inside the press or the key that
// picked it: read as the menu opened, Firefox covered the menu with a Paste
// button of its own. It goes straight into the field: given to Qt's
// clipboard, Qt 6.4 wrote it back to the page's as one item a format, which
// both engines refuse with an error, and the keys were lost after it.
class PasteFromPage : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* menu = qobject_cast<QMenu*>(watched);
        if (event->type() != QEvent::Show || !menu)
            return false;
        QAction* paste = pasteOf(*menu);
        QWidget* field = menu->parentWidget();
        const auto* line = qobject_cast<QLineEdit*>(field);
        const auto* text = qobject_cast<PlainTextField*>(field);
        if (!paste || !((line && !line->isReadOnly()) || (text && !text->isReadOnly())))
            return false;
        disconnect(paste, &QAction::triggered, nullptr, nullptr);
        connect(paste, &QAction::triggered, this, [this, field = QPointer(field)] {
            waiting_.insert(++lastAsked_, field);
            dispatch("simatoplektis-read-clipboard", emscripten::val(lastAsked_));
        });
        paste->setEnabled(true);  // Qt's clipboard knows only what the program copied
        return false;
    }

    // The page has read its clipboard for the Paste picked.
    void read(int asked, const QString& text, const QString& html)
    {
        const QPointer<QWidget> field = waiting_.take(asked);
        if (auto* plain = qobject_cast<PlainTextField*>(field)) {
            QMimeData data;
            data.setText(text);
            if (!html.isEmpty())
                data.setHtml(html);
            plain->pasteData(data);
        } else if (auto* line = qobject_cast<QLineEdit*>(field)) {
            line->insert(text);
        }
    }

    void refused(int asked)
    {
        if (const QPointer<QWidget> field = waiting_.take(asked))
            QToolTip::showText(field->mapToGlobal(field->rect().center()),
                               u"Επικόλληση: ο φυλλομετρητής δεν δίνει το πρόχειρο· Ctrl+V, ή από το "
                               u"πληκτρολόγιο της συσκευής"_s,
                               field);
    }

private:
    QHash<int, QPointer<QWidget>> waiting_;  // the fields whose Paste was picked
    int lastAsked_ = 0;
};

PasteFromPage* pasting = nullptr;

void clipboardRead(int asked, const std::string& text, const std::string& html)
{
    if (pasting)
        pasting->read(asked, QString::fromStdString(text), QString::fromStdString(html));
}

void clipboardRefused(int asked)
{
    if (pasting)
        pasting->refused(asked);
}

QPointer<QWidget> screenFiller;  // the light while it has the screen

// The browser has left the full screen by its own Esc, which no page sees.
void leftFullScreen()
{
    if (!screenFiller || !screenFiller->isVisible())
        return;
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(screenFiller, &escape);
}

}  // namespace

// What EMSCRIPTEN_BINDINGS writes, spelt out: the page calls
// Module.commitText(text), Module.leftFullScreen(), Module.clipboardRead(asked,
// text, html) and Module.clipboardRefused(asked).
const struct Bindings {
    Bindings()
    {
        emscripten::function("commitText", &commitText);
        emscripten::function("leftFullScreen", &leftFullScreen);
        emscripten::function("clipboardRead", &clipboardRead);
        emscripten::function("clipboardRefused", &clipboardRefused);
    }
} bindings;

void tellItEnded()
{
    // The windows go, or their last frame would stay on show.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    dispatch("simatoplektis-ended");
}

void followFocus()
{
    qApp->installEventFilter(new FocusKeeper(qApp));
    QObject::connect(qApp, &QGuiApplication::focusObjectChanged, qApp, [](QObject* focus) {
        bool typing = false;
        if (focus) {
            QInputMethodQueryEvent query(Qt::ImEnabled | Qt::ImReadOnly);
            QCoreApplication::sendEvent(focus, &query);
            typing = query.value(Qt::ImEnabled).toBool() && !query.value(Qt::ImReadOnly).toBool();
        }
        dispatch("simatoplektis-typing", emscripten::val(typing));
    });
}

void menusWithoutWaits() { qApp->installEventFilter(new MenuWithoutWait(qApp)); }

void pasteFromPage()
{
    pasting = new PasteFromPage(qApp);
    qApp->installEventFilter(pasting);
}

void fillScreen(QWidget* light)
{
    screenFiller = light;
    // Dispatched at once, inside the press that started the light: a browser
    // gives the full screen only to what a person has just done.
    dispatch("simatoplektis-fullscreen", emscripten::val(light != nullptr));
}

void fitTitle(QWidget& window)
{
    static constexpr char whole[] = "simatoplektis-whole-title";
    if (!window.property(whole).isValid())
        window.setProperty(whole, window.windowTitle());
    // The title's room, as the page's title bar lays it out: the bar's
    // height is the frame's top less its border; the icon and the close box
    // each take that less 2, and the title starts 2 in. A little gap after it.
    const QMargins frame = window.windowHandle() ? window.windowHandle()->frameMargins() : QMargins();
    const int bar = frame.top() - frame.left();
    if (bar <= 0)
        return;
    const int room = window.width() - 2 * bar - 2;
    window.setWindowTitle(QFontMetrics(QGuiApplication::font())
                              .elidedText(window.property(whole).toString(), Qt::ElideRight, std::max(room, 0)));
}

void tellFits(const QString& name, bool fits)
{
    emscripten::val detail = emscripten::val::object();
    detail.set("window", emscripten::val(name.toStdString()));
    detail.set("fits", emscripten::val(fits));
    dispatch("simatoplektis-fits", detail);
}

#else

void tellItEnded() {}
void followFocus() {}
void menusWithoutWaits() {}
void pasteFromPage() {}
void fillScreen(QWidget*) {}
void fitTitle(QWidget&) {}
void tellFits(const QString&, bool) {}

#endif

}  // namespace ui::page
