#include "hearbox.h"

#include "box.h"
#include "decoder/decoder.h"
#include "fonts.h"
#include "plaintextfield.h"
#include "sound/input.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <memory>

namespace ui {

using namespace Qt::StringLiterals;

namespace {

// The letters' codes as dots and dashes, when the keys write Morse (any of
// the forms people type it in, spaces and "/" being the keys' own spacing):
// the decoder then reads only letters the keys have, a Morse of the user's
// own included. Empty when they write something else, and the decoder
// falls back on international Morse.
std::vector<std::string> morseOf(std::span<const model::Key> keys)
{
    std::vector<std::string> codes;
    for (const model::Key& key : keys) {
        if (key.kind != model::Key::Kind::Letter)
            continue;
        std::string code;
        for (const QChar c : key.code) {
            if (const char symbol = model::morseSymbol(c))
                code += symbol;
            else if (!c.isSpace() && c != u'/')
                return {};
        }
        if (!code.empty())
            codes.push_back(std::move(code));
    }
    return codes.size() >= 2 ? codes : std::vector<std::string>{};
}

// What the keys read of the Morse: their letters and spaces; what they do
// not read is left out of what goes into the message.
QString readText(const QString& morse, std::span<const model::Key> keys)
{
    QString text;
    for (const model::Piece& piece : model::readMessage(morse, keys).pieces) {
        if (piece.kind == model::Piece::Kind::Key)
            text += piece.text;
        else if (piece.kind == model::Piece::Kind::Unread)
            text += u'…';
    }
    return text.simplified();
}

// Hands what the microphone records to a decoder made for the rate it
// records at (the page's is its audio's own): the decoder is made anew, on
// the window's thread, only when a microphone opens at another rate, and
// fed on the input's thread.
class ToDecoder final : public sound::Hearer {
public:
    explicit ToDecoder(std::vector<std::string> alphabet)
        : alphabet_(std::move(alphabet)), decoder_(std::make_unique<decoder::Decoder>(sound::inputRate, alphabet_))
    {
    }
    void begin(int rate) override
    {
        if (decoder_->rate() != rate)
            decoder_ = std::make_unique<decoder::Decoder>(rate, alphabet_);
    }
    void hear(std::span<const float> samples) override { decoder_->feed(samples); }
    decoder::Decoder& decoder() { return *decoder_; }

private:
    const std::vector<std::string> alphabet_;
    std::unique_ptr<decoder::Decoder> decoder_;
};

QString figures(const decoder::Readings& r)
{
    QString line = u"Στάθμη %1 dB"_s.arg(std::lround(r.level));
    line += r.pitch > 0 ? u" · τόνος %1 Hz"_s.arg(std::lround(r.pitch)) : u" · κανένας τόνος ακόμη"_s;
    if (r.wpm > 0)
        line += u" · %1 λέξεις/λεπτό"_s.arg(std::lround(r.wpm));
    if (r.toneToNoise > 0)
        line += u" · %1 dB πάνω από τον θόρυβο"_s.arg(std::lround(r.toneToNoise));
    return line;
}

}  // namespace

std::optional<QString> hear(std::span<const model::Key> keys)
{
    Box box(u"ΑΝΑΓΝΩΣΗ ΜΟΡΣ"_s, true);
    QPushButton* add = box.buttons->button(QDialogButtonBox::Ok);
    add->setText(u"Προσθήκη στο μήνυμα"_s);
    add->setEnabled(false);
    box.buttons->button(QDialogButtonBox::Cancel)->setText(u"Κλείσιμο"_s);

    auto* row = new QHBoxLayout;
    box.layout->addLayout(row);
    auto* listen = new QPushButton(u"Διακοπή"_s);
    listen->setObjectName(u"listen"_s);
    auto* again = new QPushButton(u"Από την αρχή"_s);
    again->setObjectName(u"again"_s);
    row->addWidget(listen);
    row->addWidget(again);
    row->addStretch();
    QLabel* status = box.addLabel();
    status->setObjectName(u"status"_s);
    QLabel* live = box.addLabel();
    live->setObjectName(u"figures"_s);
    PlainTextField* morseField = box.addField(u"Τελείες και παύλες, όπως έρχονται:"_s, true, nullptr, 3);
    morseField->setObjectName(u"morse"_s);
    PlainTextField* textField = box.addField(u"Το κείμενο, με τους κωδικούς των πλήκτρων:"_s, true, nullptr, 3);
    textField->setObjectName(u"text"_s);
    // Dots and dashes as large as the keys' own, to be told apart at a glance.
    for (PlainTextField* field : {morseField, textField})
        field->setFont(designFont(16, false));

    ToDecoder toDecoder(morseOf(keys));
    std::unique_ptr<sound::InputDevice> input;  // after the decoder it feeds: closed first
    QString morse;
    QTimer tick;
    tick.setInterval(100);

    const auto show = [&] {
        morseField->setPlainText(morse);
        const QString text = readText(morse, keys);
        textField->setPlainText(text);
        add->setEnabled(!text.isEmpty());
    };
    // `why` is said in the box: the microphone's failure, or the way on.
    const auto stop = [&](const QString& why) {
        tick.stop();
        input.reset();  // the microphone is released here, at once
        toDecoder.decoder().finish();
        morse += QString::fromStdString(toDecoder.decoder().take());
        show();
        say(live, {});
        say(status, why);
        listen->setText(u"Ακρόαση"_s);
    };
    const auto start = [&] {
        QString error;
        input = sound::openInput(toDecoder, error);
        if (!input) {
            say(status, error);
            listen->setText(u"Ακρόαση"_s);
            return;
        }
        toDecoder.decoder().reset();
        say(status, u"Ακούω το μικρόφωνο: σφύριγμα, βομβητής ή ήχος ασυρμάτου."_s);
        listen->setText(u"Διακοπή"_s);
        tick.start();
    };
    QObject::connect(&tick, &QTimer::timeout, &box.dialog, [&] {
        if (const QString failure = input->failure(); !failure.isEmpty())
            return stop(failure);
        if (const std::string more = toDecoder.decoder().take(); !more.empty()) {
            morse += QString::fromStdString(more);
            show();
        }
        say(live, figures(toDecoder.decoder().readings()));
    });
    QObject::connect(listen, &QPushButton::clicked, &box.dialog,
                     [&] { input ? stop(u"Σταμάτησε. «Ακρόαση» για να συνεχίσει."_s) : start(); });
    QObject::connect(again, &QPushButton::clicked, &box.dialog, [&] {
        toDecoder.decoder().reset();
        morse.clear();
        show();
    });

    start();
    const bool added = box.exec() == QDialog::Accepted;
    tick.stop();
    input.reset();
    if (!added)
        return std::nullopt;
    morse += QString::fromStdString(toDecoder.decoder().take());
    return readText(morse, keys);
}

}  // namespace ui
