#include "listenbox.h"

#include "box.h"
#include "fonts.h"
#include "lightwindow.h"
#include "sound/output.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

namespace ui {

using namespace Qt::StringLiterals;

namespace {

QSpinBox* spin(int low, int high, int value, const QString& name, const QString& suffix = {})
{
    auto* box = new QSpinBox;
    box->setRange(low, high);
    box->setValue(value);
    box->setSuffix(suffix);
    box->setAccessibleName(name);
    return box;
}

// What the reading shows for the message's character at `at`: the key whose
// code holds it, when the codes allow one.
// The characters of the message that make no sound, when there are any.
void sayNoMorse(QLabel* label, qsizetype silent)
{
    say(label, silent ? u"Δεν είναι Μορς και δεν ακούγονται: %1 χαρακτήρες."_s.arg(silent) : QString());
}

QString letterAt(const model::Reading& reading, qsizetype at)
{
    const auto after = std::upper_bound(reading.pieces.begin(), reading.pieces.end(), at,
                                        [](qsizetype a, const model::Piece& p) { return a < p.at; });
    if (after == reading.pieces.begin() || std::prev(after)->kind != model::Piece::Kind::Key)
        return {};
    return std::prev(after)->text;
}

}  // namespace

void listen(const QString& message, const model::Reading& reading, ListenSettings& settings)
{
    Box box(u"ΑΚΡΟΑΣΗ"_s, false);
    auto* play = new QPushButton(u"Αναπαραγωγή"_s);
    play->setObjectName(u"play"_s);
    play->setAutoDefault(true);
    play->setDefault(true);
    box.layout->addWidget(play);

    auto* form = new QFormLayout;
    box.layout->addLayout(form);
    const model::SendSettings& was = settings.sending;
    QSpinBox* speed = spin(model::slowestWpm, model::fastestWpm, was.wpm, u"Ταχύτητα"_s, u" λέξεις/λεπτό"_s);
    QSpinBox* spacing = spin(model::slowestWpm, was.wpm, was.spacingWpm, u"Αραίωση"_s, u" λέξεις/λεπτό"_s);
    QSpinBox* tone = spin(model::lowestTone, model::highestTone, was.toneHz, u"Τόνος"_s, u" Hz"_s);
    auto* light = new QCheckBox(u"Φως: η οθόνη ανάβει με τον τόνο"_s);
    light->setChecked(settings.light);
    light->setAccessibleName(u"Φως"_s);
    form->addRow(u"Ταχύτητα:"_s, speed);
    form->addRow(u"Αραίωση:"_s, spacing);
    form->addRow(u"Τόνος:"_s, tone);
    form->addRow(light);
    // The letters follow each other at the speed unless slowed: a slower
    // spacing is for a learner, and never faster than the symbols.
    QObject::connect(speed, &QSpinBox::valueChanged, spacing, [spacing, last = was.wpm](int wpm) mutable {
        const bool following = spacing->value() == last;
        spacing->setMaximum(wpm);
        if (following)
            spacing->setValue(wpm);
        last = wpm;
    });

    auto* progress = new QProgressBar;
    progress->setRange(0, 1000);
    progress->setTextVisible(false);
    progress->setAccessibleName(u"Πρόοδος"_s);
    box.layout->addWidget(progress);
    auto* letter = new QLabel;
    letter->setObjectName(u"letter"_s);
    letter->setAlignment(Qt::AlignCenter);
    letter->setFont(designFont(36));
    letter->setMinimumHeight(letter->fontMetrics().height());
    letter->setTextFormat(Qt::PlainText);
    box.layout->addWidget(letter);
    QLabel* silent = box.addLabel();
    silent->setObjectName(u"silent"_s);
    QLabel* status = box.addLabel();
    status->setObjectName(u"status"_s);

    // The device opens with the box, so that a play only queues its tones:
    // a device that is still opening may swallow the first of them.
    std::unique_ptr<sound::Output> output = sound::makeOutput();
    output->open();
    LightWindow lamp(&box.dialog);
    std::unique_ptr<sound::ToneStream> shown;  // the stream being played, to follow it
    std::optional<sound::Light> follow;        // and what the light has shown of it
    bool sounding = false;
    QElapsedTimer clock;  // the light's time when there is no sound to follow
    // The light and the letter change at each edge of a tone: the timer is
    // set for the next edge as the sound's clock tells it, and looks again
    // at least every 15 ms, as the bar moves on.
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(15);

    const auto stop = [&] {
        tick.stop();
        output->stop();
        if (lamp.isVisible()) {
            lamp.hide();
            box.dialog.activateWindow();  // the keys go back to the box, however the light ended
        }
        lamp.setOn(false);
        follow.reset();
        shown.reset();
        letter->clear();
        play->setText(u"Αναπαραγωγή"_s);
    };
    const auto start = [&] {
        settings = {{speed->value(), spacing->value(), tone->value()}, light->isChecked()};
        model::Sending sending = model::timeMorse(message, settings.sending);
        sayNoMorse(silent, sending.silent);
        say(status, {});
        if (sending.spans.empty()) {
            say(status, u"Δεν υπάρχει Μορς στο μήνυμα για να ακουστεί."_s);
            return;
        }
        shown = std::make_unique<sound::ToneStream>(sending, settings.sending.toneHz, sound::leadInSamples);
        sounding = output->play(
            std::make_unique<sound::ToneStream>(std::move(sending), settings.sending.toneHz, sound::leadInSamples));
        if (!sounding) {
            say(status, output->error() + (settings.light ? u" Το φως δουλεύει."_s : QString()));
            if (!settings.light) {
                shown.reset();
                return;
            }
        }
        follow.emplace(*shown);
        clock.start();
        progress->setValue(0);
        play->setText(u"Διακοπή"_s);
        if (settings.light) {
            lamp.showFullScreen();
            lamp.activateWindow();
        }
        tick.start();
    };
    QObject::connect(&tick, &QTimer::timeout, &box.dialog, [&] {
        const qint64 at = sounding ? output->played() : clock.elapsed() * model::sampleRate / 1000;
        const model::Span* lit = follow->look(at);
        progress->setValue(int(std::min<qint64>(1000, at * 1000 / std::max<qint64>(1, shown->length()))));
        lamp.setOn(lit);
        if (lit)
            letter->setText(letterAt(reading, lit->at));
        if (follow->done()) {
            progress->setValue(1000);
            stop();
            return;
        }
        const qint64 toEdge = (follow->nextLook(at) - at) * 1000 / model::sampleRate;
        tick.setInterval(int(std::clamp<qint64>(toEdge + 1, 1, 15)));
    });
    QObject::connect(&lamp, &LightWindow::ended, &box.dialog, stop);
    QObject::connect(play, &QPushButton::clicked, &box.dialog, [&] { shown ? stop() : start(); });
    sayNoMorse(silent, model::timeMorse(message, {}).silent);

    play->setFocus();
    box.exec();
    stop();
    settings = {{speed->value(), spacing->value(), tone->value()}, light->isChecked()};
}

}  // namespace ui
