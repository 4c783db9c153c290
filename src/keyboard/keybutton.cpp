#include "keybutton.h"

#include <QKeyEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace keyboard {

using namespace Qt::StringLiterals;

KeyButton::KeyButton(QWidget* parent) : QPushButton(parent) {}

QString KeyButton::caption() const { return text().replace(u"&&"_s, u"&"_s); }

void KeyButton::setCaption(const QString& caption)
{
    setText(QString(caption).replace(u'&', u"&&"_s));
    if (!blankName_.isEmpty())
        setAccessibleName(caption.trimmed().isEmpty() ? blankName_ : caption);
}

void KeyButton::setBlankName(const QString& name)
{
    blankName_ = name;
    setCaption(caption());
}

namespace {

// Enter behaves exactly as Space: the key goes down on the press and clicks
// on the release, and a held key's repeats do nothing. A click on the press
// would open a command's question at once, and the repeats of the still held
// key would then answer it.
template <typename Handler> void handleEnterAsSpace(QKeyEvent* event, Handler base)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return base(event);
    QKeyEvent space(event->type(), Qt::Key_Space, Qt::NoModifier, u" "_s, event->isAutoRepeat());
    base(&space);
    event->setAccepted(space.isAccepted());
}

}  // namespace

void KeyButton::keyPressEvent(QKeyEvent* event)
{
    handleEnterAsSpace(event, [this](QKeyEvent* e) { QPushButton::keyPressEvent(e); });
}

void KeyButton::keyReleaseEvent(QKeyEvent* event)
{
    handleEnterAsSpace(event, [this](QKeyEvent* e) { QPushButton::keyReleaseEvent(e); });
}

void KeyButton::paintEvent(QPaintEvent* event)
{
    if (text().isEmpty()) {
        QPushButton::paintEvent(event);
        return;
    }
    // The style draws the button without its text; the text follows, wrapped.
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    if (isDown())  // the style's own shift of a pressed button's label
        area.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                       style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    // A caption longer than the key stays inside its frame and bevel.
    painter.setClipRect(area.adjusted(1, 1, -1, -1));
    const int flags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    painter.drawItemText(area, flags, option.palette, isEnabled(), caption, QPalette::ButtonText);
}

}  // namespace keyboard
