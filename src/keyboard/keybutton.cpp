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

void KeyButton::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (enter && modifiers == Qt::NoModifier) {
        if (!event->isAutoRepeat())
            click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
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
    const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    painter.drawItemText(area, flags, option.palette, isEnabled(), caption, QPalette::ButtonText);
}

}  // namespace keyboard
