#include "helpwindow.h"

#include "art.h"
#include "fonts.h"
#include "geometry.h"
#include "keyboard/keybutton.h"
#include "texts.h"

#include <QGroupBox>
#include <QLabel>

namespace ui {

using namespace Qt::StringLiterals;

namespace {

QGroupBox* frame(const QString& name, const QString& caption, Twips place, QWidget* parent)
{
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(name);
    box->setGeometry(toPixels(place));
    return box;
}

QLabel* label(const QString& name, const QString& text, Twips place, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setGeometry(toPixels(place));
    return l;
}

}  // namespace

HelpWindow::HelpWindow()
{
    setObjectName(u"Form2"_s);
    setWindowTitle(u"ΒΟΗΘΕΙΑ"_s);
    setWindowIcon(programIcon());
    // The classic dialog face at its classic size; the whole help text fits at it.
    setFont(designFont(8, false));
    resize(toPixels(7095, 8490));

    Frame1 = frame(u"Frame1"_s, u"Βοήθεια"_s, {120, 120, 6855, 6015}, this);
    Label1 = label(u"Label1"_s, helpText(), {240, 360, 6375, 4215}, Frame1);
    Frame2 = frame(u"Frame2"_s, u"Για το πρόγραμμα"_s, {120, 6240, 6855, 1215}, this);
    Label2 = label(u"Label2"_s, credits(), {120, 360, 6615, 735}, Frame2);

    Command1 = new keyboard::KeyButton(this);
    Command1->setObjectName(u"Command1"_s);
    Command1->setCaption(u"Εντάξει"_s);
    Command1->setGeometry(toPixels(Twips{2280, 7680, 2295, 495}));
    Command1->setFont(designFont(12));
    Command1->setAccessibleDescription(u"Κλείνει τη βοήθεια και ανοίγει το πληκτρολόγιο"_s);

    Label3 = label(u"Label3"_s, editingNote(), {120, 4800, 6615, 975}, Frame1);
    Label3->setFont(designFont(9.75));

    Command1->setFocus();
}

}  // namespace ui
