#include "box.h"

#include "fonts.h"
#include "plaintextfield.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace ui {

using namespace Qt::StringLiterals;

Box::Box(const QString& title, bool cancel)
    : dialog(QApplication::activeWindow()),
      layout(new QVBoxLayout(&dialog)),
      buttons(new QDialogButtonBox(cancel ? QDialogButtonBox::Ok | QDialogButtonBox::Cancel : QDialogButtonBox::Ok))
{
    dialog.setWindowTitle(title);
    dialog.setSizeGripEnabled(true);
    buttons->button(QDialogButtonBox::Ok)->setText(okText);
    if (cancel)
        buttons->button(QDialogButtonBox::Cancel)->setText(cancelText);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    // Enter may be a line break in a field; Ctrl+Enter is OK wherever the focus is.
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)})
        QObject::connect(new QShortcut(keys, &dialog), &QShortcut::activated, &dialog, &QDialog::accept);
}

QLabel* Box::addLabel(const QString& text, QVBoxLayout* into)
{
    auto* label = new QLabel;
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    say(label, text);
    (into ? into : layout)->addWidget(label);
    return label;
}

void say(QLabel* label, const QString& text)
{
    label->setText(text);
    label->setVisible(!text.isEmpty());
    // A window manager may keep a box at the size it was shown at, and a
    // note that appears later would push the buttons out of it: the box asks
    // for the room itself, as far as the screen has it.
    QWidget* box = label->window();
    if (!box->isVisible() || !box->layout())
        return;
    box->layout()->activate();
    int needed = box->minimumSizeHint().height();
    if (box->layout()->hasHeightForWidth())
        needed = std::max(needed, box->layout()->totalHeightForWidth(box->width()));
    const int room = box->screen()->availableGeometry().height() - box->style()->pixelMetric(QStyle::PM_TitleBarHeight)
        - 2 * box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    if (box->height() < needed)
        box->resize(box->width(), std::min(needed, room));
}

int heightForLines(const QPlainTextEdit& field, int lines)
{
    return field.fontMetrics().lineSpacing() * lines
        + 2 * (int(std::ceil(field.document()->documentMargin())) + field.frameWidth());
}

PlainTextField* Box::addField(const QString& caption, bool readOnly, QVBoxLayout* into, int lines)
{
    auto* field = new PlainTextField;
    addField(field, caption, readOnly, into, lines);
    return field;
}

void Box::addField(PlainTextField* field, const QString& caption, bool readOnly, QVBoxLayout* into, int lines)
{
    QLabel* label = addLabel(caption, into);
    field->setFont(designFont(12, false));
    field->setReadOnly(readOnly);
    field->setTabChangesFocus(true);
    field->setAccessibleName(caption.chopped(1));
    field->setMinimumHeight(heightForLines(*field, lines));
    label->setBuddy(field);
    (into ? into : layout)->addWidget(field, 1);
    fields_.push_back({field, lines});
}

int Box::exec()
{
    layout->addWidget(buttons);
    QLabel* hint = addLabel(u"Ctrl+Enter: "_s + okText);
    hint->setAlignment(Qt::AlignRight);

    // On a low screen, each field gives up a line at a time until the box
    // fits between the work area's top and bottom, frame and all.
    const QScreen* screen = dialog.parentWidget() ? dialog.parentWidget()->screen() : QApplication::primaryScreen();
    const int room = screen->availableGeometry().height() - dialog.style()->pixelMetric(QStyle::PM_TitleBarHeight)
        - 2 * dialog.style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    constexpr int fewestLines = 4;
    for (bool shrunk = true; shrunk && dialog.minimumSizeHint().height() > room;) {
        shrunk = false;
        for (Sized& sized : fields_) {
            if (sized.lines > fewestLines) {
                sized.field->setMinimumHeight(heightForLines(*sized.field, --sized.lines));
                shrunk = true;
            }
        }
        layout->invalidate();
    }
    // Opened at the least height, every line of every field is whole.
    dialog.resize(std::max(560, dialog.minimumSizeHint().width()), dialog.minimumSizeHint().height());
    return dialog.exec();
}

}  // namespace ui
