#include "helpwindow.h"

#include "art.h"
#include "keyboard/keybutton.h"
#include "texts.h"

#include <QGroupBox>
#include <QLabel>

namespace ui {

using namespace Qt::StringLiterals;

HelpWindow::HelpWindow() : DesignedWindow(7095, 8490)
{
    setObjectName(u"Form2"_s);
    setWindowTitle(u"ΒΟΗΘΕΙΑ"_s);
    setWindowIcon(programIcon());
    // The classic dialog face at its classic size; the whole help text fits at it.
    setDesignedFont(8, false);

    auto frame = [this](const QString& name, const QString& caption, Twips where) {
        auto* box = new QGroupBox(caption, this);
        box->setObjectName(name);
        place(box, where);
        return box;
    };
    auto label = [this](const QString& name, const QString& text, Twips where, QWidget* parent, qreal points = 0) {
        auto* l = new QLabel(text, parent);
        l->setObjectName(name);
        l->setTextFormat(Qt::PlainText);
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        place(l, where, points);
        return l;
    };
    Frame1 = frame(u"Frame1"_s, u"Βοήθεια"_s, {120, 120, 6855, 6015});
    Label1 = label(u"Label1"_s, helpText(), {240, 360, 6375, 4215}, Frame1);
    Frame2 = frame(u"Frame2"_s, u"Για το πρόγραμμα"_s, {120, 6240, 6855, 1215});
    Label2 = label(u"Label2"_s, credits(), {120, 360, 6615, 735}, Frame2);

    Command1 = new keyboard::KeyButton(this);
    Command1->setObjectName(u"Command1"_s);
    Command1->setCaption(u"Εντάξει"_s);
    place(Command1, {2280, 7680, 2295, 495}, 12);
    Command1->setAccessibleDescription(u"Κλείνει τη βοήθεια και ανοίγει το πληκτρολόγιο"_s);

    Label3 = label(u"Label3"_s, editingNote(), {120, 4800, 6615, 975}, Frame1, 9.75);

    Command1->setFocus();
}

}  // namespace ui
