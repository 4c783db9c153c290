#include "sending.h"

#include "codebook.h"

#include <algorithm>
#include <cmath>

namespace model {

namespace {

enum class Gap { None, Symbol, Letter, Word };

qint64 samplesOf(double seconds) { return std::llround(seconds * sampleRate); }

}  // namespace

Sending timeMorse(QStringView message, SendSettings settings)
{
    const int c = std::clamp(settings.wpm, slowestWpm, fastestWpm);
    const int s = std::clamp(settings.spacingWpm, slowestWpm, c);
    // PARIS: 50 units a word. Farnsworth: the 19 units of spacing in PARIS
    // take what is left of a minute at the slower speed once its symbols,
    // at the faster one, are sent; 3 of them go between letters, 7 between words.
    const qint64 unit = samplesOf(1.2 / c);
    const double spacing = (60.0 * c - 37.2 * s) / (double(c) * s);
    const qint64 letterGap = s == c ? 3 * unit : samplesOf(3 * spacing / 19);
    const qint64 wordGap = s == c ? 7 * unit : samplesOf(7 * spacing / 19);

    Sending sending;
    sending.dotSamples = unit;
    Gap pending = Gap::None;
    int slashes = 0;
    const auto gap = [=](Gap g) { return g == Gap::Word ? wordGap : g == Gap::Letter ? letterGap : unit; };
    const auto add = [&sending](bool tone, qint64 samples, qsizetype at) {
        sending.spans.push_back({tone, samples, at});
        sending.samples += samples;
    };
    for (qsizetype i = 0; i < message.size(); ++i) {
        const char symbol = morseSymbol(message[i]);
        if (!symbol) {
            switch (message[i].unicode()) {
            case u' ':
                break;
            case u'/':
                if (pending != Gap::None)
                    pending = ++slashes >= 2 ? Gap::Word : std::max(pending, Gap::Letter);
                break;
            case u'\n':
            case u'\r':
            case u'\u2028':
            case u'\u2029':
                if (pending != Gap::None)
                    pending = Gap::Word;
                break;
            default:
                ++sending.silent;
            }
            continue;
        }
        if (pending != Gap::None)
            add(false, gap(pending), -1);
        add(true, (symbol == '.' ? 1 : 3) * unit, i);
        pending = Gap::Symbol;
        slashes = 0;
    }
    if (pending != Gap::None)
        add(false, gap(pending), -1);
    return sending;
}

}  // namespace model
