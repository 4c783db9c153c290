#include "keyer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace decoder {

namespace {

constexpr double envelopeRate = 1000;  // Hz: a millisecond's grain for every length
// The filter's length, in dots: a whole dot (matched to it) when the tone
// is weak, half of one when it is strong enough to spare the noise, so that
// a hand's short gaps (half a dot) still show.
constexpr double longFilter = 1.0, shortFilter = 0.3;
constexpr double weakDb = 14, strongDb = 24;  // the tone over the noise through a dot's filter
// Within the filter the pitch is followed too (a whistle wobbles faster than
// the spectrum sees), while the tone is strong enough to tell its phase.
constexpr double followDb = 16, followGain = 0.02, mostOff = 60;
constexpr int followLag = 8;
constexpr double weakFirst = 10;  // the tone's amplitude over the noise's below which it is weak at first
// How long a change must last, in dots: long enough for a strong tone to
// pass over a crackle; for a weak one, whose elements the noise breaks up,
// short, so that the pieces reach the reading of letters, which joins them
// knowing what a dot is.
constexpr double strongPatience = 0.3, weakPatience = 0.1;
constexpr double memorySeconds = 3;  // how long the amplitudes heard count for the levels
constexpr double lowestDb = -140, binDb = 0.5;
constexpr int bins = 300;
constexpr double onAt = 0.55, offAt = 0.38;      // of the way from the noise's level to the tone's
constexpr double onFloor = 2.6, offFloor = 2.0;  // and never nearer the noise than these times its level
constexpr double quietToMean = 1.41;             // noise's mean amplitude over the one a third of it stays under
constexpr double strongLevel = 10;               // the tone's amplitude over the noise's from which a fade is followed
// The tone over the noise through a dot's filter below which elements are
// decided over runs of them, and above which by thresholds again.
constexpr double runsBelowDb = 16, thresholdsAboveDb = 19;
constexpr double toneApart = 2.8;       // the louder group's mean over the quieter's, from which a tone is among them
constexpr double rayleighMean = 0.886;  // the noise's mean amplitude over its root mean square
constexpr double weakPitchSeconds = 3;  // how slowly a weak tone's pitch is followed

}  // namespace

Keyer::Keyer(const Letters& letters, double rate, std::int64_t heard)
    : letters_(&letters),
      rate_(rate),
      decimation_(std::max(1, int(std::lround(rate / envelopeRate)))),
      stepRate_(rate / decimation_)
{
    taken_ = since_ = decided_ = heard;
    ring_.assign(512, {});
    histogram_.assign(bins, 0.0);
    for (int b = 0; b < bins; ++b)
        amplitudes_.push_back(std::pow(10, (lowestDb + (b + 0.5) * binDb) / 20));
    firstTaps_ = int(std::lround(longFilter * 0.03 * stepRate_));
    resize(firstTaps_);
    patience_ = std::llround(strongPatience * 0.03 * rate_);
}

void Keyer::setPitch(double hz)
{
    // A steady weak tone is heard a dot at a time with its phase held (see
    // Segmenter), which the spectrum's pitch, jumping a few hertz from hop
    // to hop in the noise, would scatter: it is followed over seconds; and
    // once the segmenter's loop holds the phase, by the loop's pitch instead,
    // the loop told of each move. A whistle, whose phase never holds, is
    // followed hop by hop.
    if (segmenter_ && segmenter_->locked() && pitch_ > 0) {
        const double move = segmenter_->offset() / (weakPitchSeconds * rate_);
        pitch_ += move;
        segmenter_->shifted(move);
        return;
    }
    pitch_
        = segmenter_ && segmenter_->steady() && pitch_ > 0 ? pitch_ + (hz - pitch_) / (weakPitchSeconds * rate_) : hz;
}

void Keyer::setUnit(double seconds)
{
    const double dotTaps = seconds * stepRate_;
    const double db = taps_ > 0 && noise_ > 0 && tone_ > noise_
        ? 20 * std::log10(tone_ / noise_) + 10 * std::log10(dotTaps / taps_)
        : 0.0;
    const double strong = std::clamp((db - weakDb) / (strongDb - weakDb), 0.0, 1.0);
    followAt_ = db > followDb ? noise_ + 0.5 * (tone_ - noise_) : std::numeric_limits<double>::max();
    const double length = longFilter + strong * (shortFilter - longFilter);
    const int taps = std::clamp(int(std::lround(length * dotTaps)), 4, int(ring_.size()) - 1);
    unitKnown_ = true;
    if (std::abs(taps - taps_) * 8 > taps_)
        setLength(taps);
    if (segmenter_)
        segmenter_->setUnit(dotTaps);
    if (!segmenter_ && db > 0 && db < runsBelowDb) {
        segmenter_ = std::make_unique<Segmenter>(*letters_, dotTaps, 1 / stepRate_, state_,
                                                 int((decided_ - since_) / decimation_));
        giveLevels();
        if (known_)
            segmenter_->knowLevels(*known_);
        known_.reset();  // a tone heard weak again later, after a strong while, is learnt anew
    } else if (segmenter_ && db > thresholdsAboveDb) {
        state_ = segmenter_->nextTone();
        since_ = decided_ - std::int64_t(segmenter_->undecidedSteps()) * decimation_;
        changing_ = -1;
        segmenter_.reset();
    }
    patience_ = std::llround((strong * strongPatience + (1 - strong) * weakPatience) * seconds * rate_);
}

void Keyer::knowLevels(const Keyer& other)
{
    histogram_ = other.histogram_;
    weight_ = other.weight_;
    noise_ = other.noise_;
    tone_ = other.tone_;
    lastTones_ = other.lastTones_;
    if (other.segmenter_)
        known_ = std::make_unique<Segmenter>(*other.segmenter_);
    resize(other.taps_);  // the levels are as heard through its filter
}

void Keyer::setLength(int taps)
{
    // Noise's amplitude through a longer filter falls as its square root:
    // the noise's part of what was heard is shifted down with it.
    const int shift = int(std::lround(10 * std::log10(double(taps) / taps_) / binDb));
    std::vector<double> moved(bins, 0.0);
    for (int b = 0; b < bins; ++b) {
        const bool noise = lowestDb + b * binDb < 20 * std::log10(std::max(1e-12, 0.5 * (noise_ + tone_)));
        moved[std::size_t(std::clamp(noise ? b - shift : b, 0, bins - 1))] += histogram_[std::size_t(b)];
    }
    histogram_.swap(moved);
    noise_ *= std::sqrt(double(taps_) / taps);
    resize(taps);
}

void Keyer::resize(int taps)
{
    taps_ = taps;
    sum_ = {};
    for (int i = 1; i <= taps_; ++i)
        sum_ += ring_[(ringAt_ + ring_.size() - std::size_t(i)) % ring_.size()];
}

void Keyer::push(float sample)
{
    // Mixed down, the tone sits at 0 Hz; an average over a decimation's
    // worth of samples rejects all but a few hundred hertz around it.
    accumulator_ += double(sample) * std::polar(1.0, -phase_);
    phase_ += 2 * std::numbers::pi * (pitch_ + offset_) / rate_;
    if (phase_ > 2 * std::numbers::pi)
        phase_ -= 2 * std::numbers::pi;
    ++taken_;
    if (++accumulated_ < decimation_)
        return;
    const std::complex<double> value = accumulator_ / double(decimation_);
    accumulator_ = {};
    accumulated_ = 0;
    // A moving sum over most of a dot: the filter matched to the shortest element.
    sum_ += value - ring_[(ringAt_ + ring_.size() - std::size_t(taps_)) % ring_.size()];
    ring_[ringAt_] = value;
    ringAt_ = (ringAt_ + 1) % ring_.size();
    const float amplitude = float(2 * std::abs(sum_) / taps_);
    pending_.push_back({taken_, amplitude, std::complex<float>(value)});
    // The tone's phase turning in the filter is the pitch being off.
    const std::size_t lagged = (outputAt_ + outputs_.size() - followLag) % outputs_.size();
    if (amplitude > followAt_ && std::abs(outputs_[lagged]) * 2 / taps_ > followAt_) {
        const double off
            = std::arg(sum_ * std::conj(outputs_[lagged])) * stepRate_ / (2 * std::numbers::pi * followLag);
        offset_ = std::clamp(offset_ + followGain * off, -mostOff, mostOff);
    }
    offset_ *= 0.999;  // the spectrum follows the slow part of a drift
    outputs_[outputAt_] = sum_;
    outputAt_ = (outputAt_ + 1) % outputs_.size();
}

void Keyer::hold(std::int64_t from, std::int64_t to)
{
    // A burst rings in the filter for its length after it.
    to += std::int64_t(taps_) * decimation_;
    if (!holds_.empty() && from <= holds_.back().second)
        holds_.back().second = std::max(holds_.back().second, to);
    else
        holds_.emplace_back(from, to);
}

double Keyer::silence() const
{
    if (segmenter_)
        return double(segmenter_->silentSteps()) / stepRate_;
    return state_ ? 0.0 : double(decided_ - since_) / rate_;
}

void Keyer::giveLevels()
{
    // Through the filter of `taps_` steps the noise's amplitude is twice its
    // sum's over the taps, and the tone's the tone's own.
    const double rms = noise_ / rayleighMean;
    segmenter_->setLevels(rms * rms * taps_ / 4, tone_ / 2);
}

double Keyer::signalToNoise() const { return noise_ > 0 ? tone_ / noise_ : 0.0; }

void Keyer::learnLevels()
{
    // Split on amplitude itself, not its logarithm: the noise's amplitudes
    // crowd near nothing with a long tail downwards in decibels, which a
    // split in decibels would cut through while the tone is still rare.
    double total = 0, sum = 0;
    for (int b = 0; b < bins; ++b) {
        total += histogram_[std::size_t(b)];
        sum += amplitudes_[std::size_t(b)] * histogram_[std::size_t(b)];
    }
    double below = 0, belowSum = 0, best = -1, low = 0, high = 0;
    for (int b = 0; b + 1 < bins; ++b) {
        below += histogram_[std::size_t(b)];
        belowSum += amplitudes_[std::size_t(b)] * histogram_[std::size_t(b)];
        const double above = total - below;
        if (below < 1e-9 || above < 1e-9)
            continue;
        const double m0 = belowSum / below, m1 = (sum - belowSum) / above;
        const double between = below * above * (m1 - m0) * (m1 - m0);
        if (between > best) {
            best = between;
            low = m0;
            high = m1;
        }
    }
    // Noise alone splits too, its two groups' means about 2.3 times apart:
    // then no tone is among what was heard lately (the sender paused or
    // ended): all of it is noise, and the tone's level is kept as it was
    // last heard. Taken from the noise's two halves instead, they put the
    // thresholds inside the noise, and a quiet room was read as letters.
    if (best > 0) {
        const bool toneAmong = tone_ == 0 || high > toneApart * low;
        noise_ = toneAmong ? low : sum / total;
        if (toneAmong)
            tone_ = high;
    }
    // A tone fading to a third of its amplitude makes a third group between
    // the noise and the full tone, which the split may count as noise: the
    // noise's level is rather taken from the quietest third of what was heard
    // (Morse is silent at least that much of the time), as the mean amplitude
    // of noise alone whose lowest third ends there.
    double count = 0;
    for (int b = 0; b < bins; ++b) {
        count += histogram_[std::size_t(b)];
        if (count >= total / 3) {
            noise_ = std::min(noise_, amplitudes_[std::size_t(b)] * quietToMean);
            break;
        }
    }
    // Until the speed is known the filter fits the fastest dots; a weak tone
    // heard through it breaks into crackle, and the speed guessed from that
    // would be wrong: it is heard through a 20 wpm dot's filter instead.
    if (!unitKnown_ && taps_ < 2 * firstTaps_ && presentFor_ > 250 && tone_ < weakFirst * noise_)
        setLength(2 * firstTaps_);
}

void Keyer::decide(std::int64_t upTo, std::int64_t presentFrom, std::vector<Span>& out)
{
    const double keep = std::exp(-16 / (memorySeconds * stepRate_));
    while (!pending_.empty() && pending_.front().at <= upTo) {
        const auto [at, a, value] = pending_.front();
        pending_.pop_front();
        const bool present = at >= presentFrom;
        decided_ = at;
        while (!holds_.empty() && holds_.front().second < at)
            holds_.pop_front();
        const bool held = !holds_.empty() && holds_.front().first <= at;
        if (segmenter_) {
            using E = Segmenter::Evidence;
            segmenter_->push(value, !present ? E::Silent : held ? E::Nothing : E::Heard, segments_);
            for (const auto& [tone, steps] : segments_)
                out.push_back({tone, double(steps) / stepRate_});
            segments_.clear();
            state_ = segmenter_->keyed();
        }
        if (held) {
            changing_ = -1;
            continue;
        }
        recent_.push_back({at, a, value});
        if (recent_.size() > 1000)
            recent_.pop_front();
        const double db = 20 * std::log10(std::max(double(a), 1e-12));
        histogram_[std::size_t(std::clamp(int((db - lowestDb) / binDb), 0, bins - 1))] += 1;
        weight_ += 1;
        if (++sinceLevels_ >= 16) {
            sinceLevels_ = 0;
            for (double& h : histogram_)
                h *= keep;
            weight_ *= keep;
            learnLevels();
            if (segmenter_)
                giveLevels();
        }
        if (weight_ < 100 || segmenter_)
            continue;  // the first tenth of a second: too little heard to judge; or judged over runs
        // A strong tone is judged against what its last tones were, which a
        // fade lowers faster than the amplitudes of the last seconds do.
        const double level = tone_ > strongLevel * noise_ && lastTones_ > 0 ? std::min(tone_, lastTones_) : tone_;
        const double on = std::max(noise_ + onAt * (level - noise_), onFloor * noise_);
        const double off = std::max(noise_ + offAt * (level - noise_), offFloor * noise_);
        const bool heard = present && (state_ ? a > off : a > on);
        if (state_) {
            toneSum_ += a;
            ++toneCount_;
        }
        presentFor_ = present ? presentFor_ + 1 : 0;
        if (heard == state_) {
            changing_ = -1;
            continue;
        }
        if (changing_ < 0)
            changing_ = at;
        if (at - changing_ >= patience_ || (!present && state_)) {
            // A tone is measured from where it was halfway up, by the levels
            // known at its end: the first of all began while they were still
            // the noise's alone, and was taken from the first crackle.
            std::int64_t from = since_;
            if (state_)
                for (const Sample& r : recent_)
                    if (r.at >= since_ && r.amplitude >= 0.5 * (noise_ + tone_)) {
                        from = std::min(r.at, changing_);
                        break;
                    }
            out.push_back({state_, double(changing_ - from) / rate_});
            if (state_ && toneCount_ > 0)
                lastTones_ += (lastTones_ > 0 ? 0.3 : 1.0) * (toneSum_ / double(toneCount_) - lastTones_);
            toneSum_ = 0;
            toneCount_ = 0;
            since_ = changing_;
            state_ = heard;
            changing_ = -1;
        }
    }
}

}  // namespace decoder
