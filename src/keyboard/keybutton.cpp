#include "keybutton.h"

#include <QKeyEvent>

namespace keyboard {

using namespace Qt::StringLiterals;

KeyButton::KeyButton(QWidget* parent) : QPushButton(parent) {}

QString KeyButton::caption() const { return text().replace(u"&&"_s, u"&"_s); }

void KeyButton::setCaption(const QString& caption)
{
    setText(QString(caption).replace(u'&', u"&&"_s));
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

}  // namespace keyboard
