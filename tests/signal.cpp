#include "signal.h"

#include "decoder/itu.h"
#include "model/sending.h"

#include <QString>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>
#include <random>

using namespace Qt::StringLiterals;

namespace testsignal {

namespace {

constexpr double amplitude = 0.3;
constexpr double edgeSeconds = 0.005;  // the program's own raised-cosine edges

// What the keys would hold for the text: "/" ends a letter, "//" a word.
QString keysOf(const std::string& text)
{
    QString keys;
    for (const char c : text) {
        if (c == ' ') {
            if (!keys.endsWith(u"//"_s) && !keys.isEmpty())
                keys += u'/';
            continue;
        }
        const std::string_view code = decoder::ituElements(c);
        if (code.empty())
            continue;
        keys += QString::fromLatin1(code.data(), qsizetype(code.size())) + u'/';
    }
    return keys + u'/';
}

}  // namespace

std::string morseOf(const std::string& text)
{
    std::string morse;
    bool word = false;
    for (const char c : text) {
        if (c == ' ') {
            word = !morse.empty();
            continue;
        }
        const std::string_view code = decoder::ituElements(c);
        if (code.empty())
            continue;
        if (!morse.empty())
            morse += word ? " / " : " ";
        morse += code;
        word = false;
    }
    return morse;
}

std::string randomText(std::size_t characters, std::uint32_t seed)
{
    static constexpr std::string_view symbols = "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> pick(0, symbols.size() - 1);
    std::uniform_int_distribution<int> length(2, 7);
    std::string text;
    while (text.size() < characters) {
        if (!text.empty())
            text += ' ';
        for (int n = length(random); n > 0; --n)
            text += symbols[pick(random)];
    }
    return text;
}

Signal render(const Settings& s)
{
    std::mt19937 random(s.seed);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);

    // The program's timing, in seconds, then the hand's.
    const model::Sending sending
        = model::timeMorse(keysOf(s.text), {s.wpm, s.spacingWpm > 0 ? s.spacingWpm : s.wpm, 700});
    struct Piece {
        bool tone;
        double seconds;
        bool letterEnd;
    };
    std::vector<Piece> pieces;
    const double unit = double(sending.dotSamples) / model::sampleRate;
    for (std::size_t i = 0; i < sending.spans.size(); ++i) {
        const model::Span& span = sending.spans[i];
        double seconds = double(span.samples) / model::sampleRate;
        const double along = double(i) / double(std::max<std::size_t>(1, sending.spans.size()));
        seconds /= 1 + s.speedChange * std::sin(2 * std::numbers::pi * along);
        if (s.jitter > 0)
            seconds *= std::clamp(1 + s.jitter * normal(random), 0.5, 2.0);
        const bool letterEnd = span.tone
            && (i + 1 == sending.spans.size() || double(sending.spans[i + 1].samples) / model::sampleRate > 1.5 * unit);
        pieces.push_back({span.tone, seconds, letterEnd});
    }

    Signal signal;
    double total = s.leadSeconds + s.tailSeconds;
    for (const Piece& p : pieces)
        total += p.seconds;
    const std::size_t length = std::size_t(total * s.rate);
    std::vector<double> key(length, 0.0);  // the tone's envelope
    double at = s.leadSeconds;
    for (const Piece& p : pieces) {
        if (p.tone) {
            const auto first = std::size_t(at * s.rate), n = std::size_t(p.seconds * s.rate);
            const double edge = std::min(edgeSeconds * s.rate, n / 2.0);
            for (std::size_t k = 0; k < n && first + k < length; ++k) {
                const double fromEdge = std::min<double>(double(k), double(n - 1 - k));
                key[first + k] = fromEdge >= edge ? 1.0 : 0.5 * (1 - std::cos(std::numbers::pi * fromEdge / edge));
            }
            if (p.letterEnd)
                signal.letterEnds.push_back(at + p.seconds);
        }
        at += p.seconds;
    }

    const double driftPhase = 2 * std::numbers::pi * uniform(random),
                 wanderPhase = 2 * std::numbers::pi * uniform(random);
    const double fadePhase = 2 * std::numbers::pi * uniform(random);
    const double noiseDeviation = std::isfinite(s.snrDb)
        ? std::sqrt(amplitude * amplitude / 2 / (3000 * std::pow(10, s.snrDb / 10)) * s.rate / 2)
        : 0.0;
    const double otherAmplitude = amplitude * std::pow(10, s.otherDb / 20);
    std::vector<double> x(length);
    double phase = 0, otherPhase = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const double t = double(i) / s.rate;
        // A slow wander (two slow swings, never past ±drift) and a quick wobble.
        const double wander = 0.7 * std::sin(2 * std::numbers::pi * t / s.driftSeconds + driftPhase)
            + 0.3 * std::sin(2 * std::numbers::pi * t / (0.6 * s.driftSeconds) + wanderPhase);
        const double hz = s.pitch + s.drift * wander + s.wobble * std::sin(2 * std::numbers::pi * s.wobbleHz * t);
        phase = std::fmod(phase + 2 * std::numbers::pi * hz / s.rate, 2 * std::numbers::pi);
        const double fade = s.fadeDb > 0
            ? std::pow(10, -s.fadeDb / 20 * 0.5 * (1 - std::cos(2 * std::numbers::pi * t / s.fadeSeconds + fadePhase)))
            : 1.0;
        x[i] = amplitude * fade * key[i] * std::sin(phase) + noiseDeviation * normal(random);
        if (s.otherOffset != 0) {
            otherPhase
                = std::fmod(otherPhase + 2 * std::numbers::pi * (hz + s.otherOffset) / s.rate, 2 * std::numbers::pi);
            x[i] += otherAmplitude * std::sin(otherPhase);
        }
    }
    // Clicks and bangs: a few milliseconds of crackle, ten times the tone.
    if (s.clicksPerMinute > 0) {
        std::exponential_distribution<double> wait(s.clicksPerMinute / 60);
        for (double t = wait(random); t < total; t += wait(random)) {
            const auto first = std::size_t(t * s.rate);
            for (std::size_t k = 0; k < std::size_t(0.005 * s.rate) && first + k < length; ++k)
                x[first + k] += 10 * amplitude * std::exp(-double(k) / (0.001 * s.rate)) * normal(random);
        }
    }
    double peak = 0;
    for (const double v : x)
        peak = std::max(peak, std::abs(v));
    const double scale = peak > 0.9 ? 0.9 / peak : 1.0;
    signal.samples.resize(length);
    for (std::size_t i = 0; i < length; ++i)
        signal.samples[i] = float(x[i] * scale);
    return signal;
}

}  // namespace testsignal
