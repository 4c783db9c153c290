#include "keybutton.h"

#include <QKeyEvent>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

namespace keyboard {

using namespace Qt::StringLiterals;

namespace {
// The smallest a caption is drawn: the size of the help window's text.
constexpr qreal smallestPoints = 8;
}  // namespace

KeyButton::KeyButton(QWidget* parent) : QPushButton(parent) {}

QString KeyButton::caption() const { return text().replace(u"&&"_s, u"&"_s); }

void KeyButton::setCaption(const QString& caption)
{
    setText(QString(caption).replace(u'&', u"&&"_s));
    if (!blankName_.isEmpty())
        setAccessibleName(caption.trimmed().isEmpty() ? blankName_ : caption);
    fitCaption();
}

void KeyButton::setBlankName(const QString& name)
{
    blankName_ = name;
    setCaption(caption());
}

void KeyButton::setPicture(const QPixmap& picture)
{
    picture_ = picture;
    update();
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

void KeyButton::resizeEvent(QResizeEvent* event)
{
    QPushButton::resizeEvent(event);
    fitCaption();
}

void KeyButton::changeEvent(QEvent* event)
{
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitCaption();
}

// Inside the frame and its bevel, where the style puts a button's label.
QRect KeyButton::contentArea(const QStyleOptionButton& option) const
{
    return style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).adjusted(1, 1, -1, -1);
}

void KeyButton::fitCaption()
{
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect room = contentArea(option);
    const QString whole = caption();
    captionFont_ = font();
    shownCaption_ = whole;
    captionFlags_ = Qt::AlignCenter | Qt::TextWordWrap;
    const qreal designed = font().pointSizeF();
    // A window drawn smaller for a small screen may set a font below it.
    const qreal smallest = std::min(designed, smallestPoints);
    for (int smaller = 0; designed - smaller >= smallest; ++smaller) {
        captionFont_.setPointSizeF(designed - smaller);
        if (room.contains(QFontMetrics(captionFont_).boundingRect(room, captionFlags_, whole))) {
            setToolTip(smaller == 0 ? QString() : whole);
            return;
        }
    }
    captionFont_.setPointSizeF(smallest);
    shownCaption_ = QFontMetrics(captionFont_).elidedText(whole, Qt::ElideRight, room.width());
    captionFlags_ = Qt::AlignCenter;
    setToolTip(whole);
}

void KeyButton::paintEvent(QPaintEvent* event)
{
    if (text().isEmpty() && picture_.isNull()) {
        QPushButton::paintEvent(event);
        return;
    }
    // The style draws the button, its frame and its focus; the caption or
    // the picture follows, kept inside the frame.
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    QRect area = contentArea(option);
    painter.setClipRect(area);
    if (isDown())  // the style's own shift of a pressed button's label
        area.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                       style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    if (!picture_.isNull()) {
        QRect place(QPoint(), picture_.deviceIndependentSize().toSize());
        place.moveCenter(area.center());
        painter.drawPixmap(place, picture_);
        return;
    }
    painter.setFont(captionFont_);
    painter.drawItemText(area, captionFlags_, option.palette, isEnabled(), shownCaption_, QPalette::ButtonText);
}

}  // namespace keyboard
