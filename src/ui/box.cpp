#include "box.h"

#include "fonts.h"
#include "placement.h"
#include "plaintextfield.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
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
    // Enter may be a line break in a field; Ctrl+Enter is OK wherever the
    // focus is, and does nothing while OK is disabled (nothing to load).
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)})
        QObject::connect(new QShortcut(keys, &dialog), &QShortcut::activated, ok, &QPushButton::click);
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

namespace {

// The room a box has on `screen`, between the work area's edges, its frame
// and title bar left out.
QSize roomFor(const QWidget& box, const QScreen& screen)
{
    const int frame = box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    return screen.availableGeometry().size()
        - QSize(2 * frame, box.style()->pixelMetric(QStyle::PM_TitleBarHeight) + 2 * frame);
}

// Moves a box shown past the work area's edges back inside them: a low box
// over a low window would be, and so would one that grew at its foot.
void keepOnScreen(QWidget& box)
{
    const QRect work = box.screen()->availableGeometry();
    const QRect frame = box.frameGeometry();
    const QPoint shift(std::max(0, work.left() - frame.left()) + std::min(0, work.right() - frame.right()),
                       std::max(0, work.top() - frame.top()) + std::min(0, work.bottom() - frame.bottom()));
    if (!shift.isNull())
        box.setGeometry(box.geometry().translated(shift));
}

}  // namespace

void say(QLabel* label, const QString& text)
{
    label->setText(text);
    label->setVisible(!text.isEmpty());
    // A window manager may keep a box at the size it was shown at, and a
    // note that appears later would push the buttons out of it: the box asks
    // for the least room it needs itself, as far as the screen has it, and
    // stays on the screen.
    QWidget* box = label->window();
    if (!box->isVisible() || !box->layout())
        return;
    box->layout()->activate();
    int needed = box->minimumSizeHint().height();
    if (box->layout()->hasHeightForWidth())
        needed = std::max(needed, box->layout()->totalMinimumHeightForWidth(box->width()));
    if (box->height() < needed) {
        box->resize(box->width(), std::min(needed, roomFor(*box, *box->screen()).height()));
        keepOnScreen(*box);
    }
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
    // Named as the box names its OK, which may say what it does.
    QLabel* hint = addLabel(u"Ctrl+Enter: "_s + buttons->button(QDialogButtonBox::Ok)->text());
    hint->setAlignment(Qt::AlignRight);

    const QScreen* screen = dialog.parentWidget() ? dialog.parentWidget()->screen() : QApplication::primaryScreen();
    const QSize room = roomFor(dialog, *screen);
    // As wide as 560 pixels, or its least width, or the screen's.
    const auto widthFor
        = [&](const QSize& least) { return std::clamp(560, least.width(), std::max(least.width(), room.width())); };
    // The least size at the width the box opens at. A column with a wrapped
    // caption in it is laid out at its heights for that width, which may
    // pass the least height it reports; and a stack of pages (the codes
    // box's settings) reports those of the page shown alone. So each page
    // is measured, and the box opens as large as the largest needs: the
    // codes box's table page, under its list on a phone, had its caption
    // drawn over the list's last row.
    const auto neededNow = [&] {
        layout->invalidate();
        layout->activate();  // the columns' and pages' layouts too, not only the box's
        QSize least = dialog.minimumSizeHint();
        if (layout->hasHeightForWidth())
            least.setHeight(std::max(least.height(), layout->totalMinimumHeightForWidth(widthFor(least))));
        return least;
    };
    const auto needed = [&] {
        QSize most = neededNow();
        for (QStackedWidget* pages : dialog.findChildren<QStackedWidget*>()) {
            const int shown = pages->currentIndex();
            for (int page = 0; page < pages->count(); ++page) {
                pages->setCurrentIndex(page);
                most = most.expandedTo(neededNow());
            }
            pages->setCurrentIndex(shown);
        }
        return most;
    };
    const auto fits = [&] {
        const QSize size = needed();
        return size.height() <= room.height() && size.width() <= room.width();
    };

    // On a low screen, each field gives up a line at a time until the box
    // fits, never below a few.
    constexpr int fewestLines = 4;
    for (bool shrunk = true; shrunk && needed().height() > room.height();) {
        shrunk = false;
        for (Sized& sized : fields_) {
            if (sized.lines > fewestLines) {
                sized.field->setMinimumHeight(heightForLines(*sized.field, --sized.lines));
                shrunk = true;
            }
        }
    }
    // Lower still (a phone held sideways), the whole box is drawn smaller, as
    // the windows are, down to their smallest scale: every face and every
    // least size by one factor.
    if (!fits()) {
        struct Designed {
            QWidget* widget;
            qreal points;
            QSize least;
        };
        // A widget with a layout has the least size its layout gives it.
        std::vector<Designed> designed{{&dialog, dialog.font().pointSizeF(), {0, 0}}};
        for (QWidget* widget : dialog.findChildren<QWidget*>())
            designed.push_back(
                {widget, widget->font().pointSizeF(), widget->layout() ? QSize(0, 0) : widget->minimumSize()});
        for (int step = 1; !fits() && 1 - 0.05 * step >= smallestScale - 1e-9; ++step) {
            const double scale = 1 - 0.05 * step;
            for (const Designed& d : designed) {
                QFont font = d.widget->font();
                font.setPointSizeF(d.points * scale);
                d.widget->setFont(font);
                if (!d.least.isNull())
                    d.widget->setMinimumSize(d.least * scale);
            }
            for (const Sized& sized : fields_)
                sized.field->setMinimumHeight(heightForLines(*sized.field, sized.lines));
        }
    }
    // Opened at the least height, every line of every field is whole.
    const QSize least = needed();
    dialog.resize(widthFor(least), least.height());
    // Centred on the window it came from, as Qt places it, but on the screen.
    auto* place = new QTimer(&dialog);  // once the box is on show
    place->setSingleShot(true);
    place->start(0);
    QObject::connect(place, &QTimer::timeout, &dialog, [this] { keepOnScreen(dialog); });
    return dialog.exec();
}

}  // namespace ui
