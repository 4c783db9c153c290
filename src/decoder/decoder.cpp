#include "decoder.h"

#include "itu.h"
#include "keyer.h"
#include "letters.h"
#include "timing.h"
#include "tonefinder.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <deque>
#include <functional>
#include <limits>
#include <numbers>
#include <optional>

namespace decoder {

namespace {

// How far behind the input the keyer listens: the tone is found and locked
// within this, and a letter still comes out within a second at 5 wpm.
constexpr double lateSeconds = 0.3;
constexpr double clickRatio = 64;          // a sample's power over the input's lately, for a click
constexpr double longestClick = 0.008;     // seconds a click lasts at most
constexpr double heardAgainSeconds = 1.0;  // how much the keyer hears again at the first lock
constexpr double historySeconds = 20;      // and once the speed is learnt
constexpr double guessBeforeLock = 4;      // seconds before the first lock whose elements guess the speed again
constexpr double heardBeforeLock = 12;     // and that are heard again
constexpr double clearOnset = 8;           // how far the tone's loudest stands over the middle, to be placed

// Where a tone first sounds in `samples`: the first of its short windows
// as loud as half the loudest, at that pitch; a window early, to hear its
// rise whole. None when the loudest stands less than `clearOnset` times over
// the middle one: in a weak signal the noise rises as high.
std::optional<std::size_t> onset(const std::vector<float>& samples, double pitch, double rate)
{
    const auto window = std::size_t(rate * 0.004);
    const std::complex<double> turn = std::polar(1.0, -2 * std::numbers::pi * pitch / rate);
    std::vector<double> loudness;
    std::complex<double> phase = 1;
    for (std::size_t from = 0; from + window <= samples.size(); from += window) {
        std::complex<double> sum;
        for (std::size_t k = from; k < from + window; ++k, phase *= turn)
            sum += double(samples[k]) * phase;
        loudness.push_back(std::abs(sum));
    }
    if (loudness.empty())
        return {};
    const double loudest = *std::max_element(loudness.begin(), loudness.end());
    std::vector<double> sorted = loudness;
    std::nth_element(sorted.begin(), sorted.begin() + std::ptrdiff_t(sorted.size() / 2), sorted.end());
    if (loudest < clearOnset * sorted[sorted.size() / 2])
        return {};
    const double half = 0.5 * loudest;
    const auto first = std::size_t(std::find_if(loudness.begin(), loudness.end(), [&](double l) { return l >= half; })
                                   - loudness.begin());
    return first > 0 ? (first - 1) * window : 0;
}

}  // namespace

Decoder::Decoder(double rate, std::vector<std::string> alphabet)
    : rate_(std::clamp(rate, 8000.0, 48000.0)),
      alphabet_(alphabet.empty() ? std::vector<std::string>(ituCodes()) : std::move(alphabet)),
      letters_(std::make_unique<Letters>(alphabet_))
{
    startOver();
}

Decoder::~Decoder() = default;

void Decoder::startOver()
{
    finder_ = std::make_unique<ToneFinder>(rate_);
    keyer_ = std::make_unique<Keyer>(*letters_, rate_);
    delay_.assign(std::size_t(lateSeconds * rate_), 0.f);
    delayAt_ = 0;
    history_.clear();
    historyFrom_ = 0;
    pitchTrack_.clear();
    holds_.clear();
    heardAgain_ = false;
    presentFrom_ = std::numeric_limits<std::int64_t>::max();
    lockedBefore_ = false;
    peak_ = 0;
    peakDecay_ = std::exp(std::log(0.5) / (2.0 * rate_));  // halved in two seconds
    dither_ = 1;
    pitches_.clear();
    meanSquare_ = 0;
    burstFrom_ = burstLast_ = lastClick_ = -1;
    timing_ = std::make_unique<Timing>(alphabet_);
    levelSum_ = 0;
    levelCount_ = 0;
    level_ = -120;
}

void Decoder::feed(std::span<const float> samples)
{
    if (resetAsked_.exchange(false))
        startOver();
    std::string morse;
    std::vector<Span> spans;
    for (const float heard : samples) {
        const float x = withFloor(heard);
        // The keyer hears each sample a moment late: mixed down with the
        // pitch of frames after it, and with the tone already found when it
        // first sounds, so that the first letters are not lost to the search.
        delay_[delayAt_] = x;
        delayAt_ = (delayAt_ + 1) % delay_.size();
        silenceClicks(x);
        // Each sample with the pitch of the frame centred on it.
        const std::int64_t heardAt = finder_->frameEnd() - std::int64_t(delay_.size());
        while (pitches_.size() > 1 && pitches_[1].first <= heardAt)
            pitches_.pop_front();
        if (!pitches_.empty())
            keyer_->setPitch(pitches_.front().second);
        keyer_->push(delay_[delayAt_]);
        history_.push_back(delay_[delayAt_]);
        if (const auto keep = std::size_t((heardAgain_ ? heardAgainSeconds : historySeconds) * rate_);
            history_.size() > keep + std::size_t(rate_)) {
            const std::size_t drop = history_.size() - keep;
            history_.erase(history_.begin(), history_.begin() + std::ptrdiff_t(drop));
            historyFrom_ += std::int64_t(drop);
            // What goes with it, but the pitch it starts with (a steady
            // carrier may be locked on for an hour and never keyed).
            const auto stale = std::find_if(pitchTrack_.begin(), pitchTrack_.end(),
                                            [this](const auto& p) { return p.first > historyFrom_; });
            if (stale - pitchTrack_.begin() > 1)
                pitchTrack_.erase(pitchTrack_.begin(), stale - 1);
            std::erase_if(holds_, [this](const auto& h) { return h.second < historyFrom_; });
        }
        levelSum_ += double(x) * x;
        if (++levelCount_ >= long(rate_ / 10)) {
            level_ = 10 * std::log10(std::max(2 * levelSum_ / double(levelCount_), 1e-12));
            levelSum_ = 0;
            levelCount_ = 0;
        }
        if (!finder_->push(x))
            continue;
        const std::int64_t end = finder_->frameEnd();
        const auto late = std::int64_t(delay_.size());
        // A burst the spectrum saw but no click taken out: speech, a bang
        // too long to be a click; the keyer holds its decision over it.
        if (finder_->impulsive() && end - lastClick_ > finder_->frameLength()) {
            keyer_->hold(end - finder_->frameLength() + late, end + late);
            if (!heardAgain_)
                holds_.emplace_back(end - finder_->frameLength() + late, end + late);
        }
        if (finder_->locked()) {
            if (pitches_.empty() || pitches_.back().second == 0)
                locked(end);
            pitches_.emplace_back(end - finder_->frameLength() / 2, finder_->pitch());
            if (!heardAgain_)
                pitchTrack_.emplace_back(end - finder_->frameLength() / 2 + late, finder_->pitch());
        } else {
            presentFrom_ = std::numeric_limits<std::int64_t>::max();
            pitches_.emplace_back(end - finder_->frameLength() / 2, 0.0);
        }
        // What the keyer has heard lies a moment behind the spectrum: a
        // burst in it is known before the samples it spoils are judged.
        keyer_->decide(end, presentFrom_, spans);
        for (const Span& s : spans)
            timing_->span(s, morse);
        spans.clear();
        timing_->silence(keyer_->silence(), morse);
        if (timing_->learnt() && !heardAgain_)
            heardAgain(morse);
        if (timing_->learnt())
            keyer_->setUnit(timing_->unit());
    }
    publish(std::move(morse));
}

void Decoder::heardAgain(std::string& morse)
{
    // A weak tone, found with no clear rise: the speed was guessed from a
    // few elements heard through a filter that did not know it, and the
    // tone may have sounded for seconds before it was found. What was heard
    // is heard again from its start, knowing the pitch and the levels: first
    // to guess the speed anew from the elements near the lock, then twice by
    // a keyer that knows it from the first sample. Nothing was written
    // before this (the speed was not known), so nothing written is taken
    // back.
    heardAgain_ = true;
    std::deque<Span> elements;
    // From a little before the lock on: a weak tone's first seconds are
    // there, and what lies further back may be noise alone, whose crackles,
    // many more than the tone's elements after half a minute of quiet,
    // would decide the speed.
    const std::int64_t from = lockedAt_ - std::int64_t(guessBeforeLock * rate_);
    hearAgain(0, [&](Keyer&, const Span& s, std::int64_t at) {
        if (at >= from)
            elements.push_back(s);
    });
    const auto tones = std::count_if(elements.begin(), elements.end(), [](const Span& s) { return s.tone; });
    const double guessed = timing_->unit(), again = tones >= Timing::firstTones ? mostLikelyUnit(elements) : guessed;
    const double unit = std::abs(std::log(again / guessed)) > std::log(1.3) ? again : guessed;
    // Then twice with the speed: a weak tone's elements are decided over
    // runs of them by levels learnt from those decisions, which a keyer
    // starting afresh has not made yet (it guessed the noise's from the
    // thresholds', and the quiet before the tone was read as letters): the
    // first time to learn them, the second for the letters.
    for (const bool letters : {false, true}) {
        auto timing = std::make_unique<Timing>(alphabet_);
        std::string read;
        keyer_ = hearAgain(unit, [&](Keyer& keyer, const Span& s, std::int64_t) {
            timing->span(s, read);
            keyer.setUnit(timing->learnt() ? timing->unit() : unit);
        });
        if (letters) {
            morse = std::move(read);
            timing_ = std::move(timing);
        }
    }
    pitchTrack_ = {};
    holds_ = {};
}

std::unique_ptr<Keyer> Decoder::hearAgain(double unit,
                                          const std::function<void(Keyer&, const Span&, std::int64_t)>& each)
{
    // What was kept from a while before the first lock on: a weak tone is
    // found within seconds, and a long quiet before it (noise alone, heard
    // again as if a tone might be in it) was read as letters.
    const auto skip = std::size_t(std::clamp<std::int64_t>(
        lockedAt_ - std::int64_t(heardBeforeLock * rate_) - historyFrom_, 0, std::int64_t(history_.size())));
    auto keyer = std::make_unique<Keyer>(*letters_, rate_, historyFrom_ + std::int64_t(skip));
    keyer->knowLevels(*keyer_);
    if (unit > 0)
        keyer->setUnit(unit);
    for (const auto& [from, to] : holds_)
        keyer->hold(from, to);
    std::vector<Span> spans;
    std::size_t track = 0;
    const auto frame = std::size_t(finder_->frameLength());
    for (std::size_t k = skip; k < history_.size(); ++k) {
        const std::int64_t at = historyFrom_ + std::int64_t(k);
        while (track + 1 < pitchTrack_.size() && pitchTrack_[track + 1].first <= at)
            ++track;
        if (track < pitchTrack_.size())
            keyer->setPitch(pitchTrack_[track].second);
        keyer->push(history_[k]);
        if ((k + 1) % frame != 0 && k + 1 != history_.size())
            continue;
        keyer->decide(at + 1, presentFrom_, spans);
        for (const Span& s : spans)
            each(*keyer, s, at);
        spans.clear();
    }
    return keyer;
}

void Decoder::locked(std::int64_t end)
{
    // Just locked: what went before it was this tone too.
    for (auto& p : pitches_)
        p.second = finder_->pitch();
    // The lock comes up to half a second after the tone began, while the
    // keyer, 0.3 s behind, listened to nothing in particular: what it heard
    // lately and what it has yet to hear, oldest first.
    const auto heard = std::min(std::int64_t(history_.size()), std::int64_t(heardAgainSeconds * rate_));
    std::vector<float> around(history_.end() - heard, history_.end());
    for (std::size_t k = 1; k < delay_.size(); ++k)
        around.push_back(delay_[(delayAt_ + k) % delay_.size()]);
    // The keyer counts tones from where this one rose out of the noise
    // (the noise before it, judged by levels that knew no tone yet, was
    // heard as a crackle), and, the first time, hears the last second
    // again knowing the pitch, so that the first element is heard whole.
    // A tone that rose so clearly is heard well from there: it is not heard
    // again once the speed is learnt (a weak one is, see heardAgain()).
    const std::int64_t first = end - heard + 1;  // the keyer's count of around[0]
    const std::optional<std::size_t> rose = onset(around, finder_->pitch(), rate_);
    presentFrom_ = rose ? first + std::int64_t(*rose) : 0;
    if (rose && !lockedBefore_) {
        keyer_ = std::make_unique<Keyer>(*letters_, rate_, first - 1);
        keyer_->setPitch(finder_->pitch());
        for (std::int64_t k = 0; k < heard; ++k)
            keyer_->push(around[std::size_t(k)]);
        heardAgain_ = true;
    }
    if (!lockedBefore_)
        lockedAt_ = end;
    lockedBefore_ = true;
}

float Decoder::withFloor(float x)
{
    // Every microphone hisses, and the decoder's estimates of the noise are
    // made for it: an input cleaner than about 50 dB (a tone played straight
    // in, a loopback, a gate that mutes the gaps) read nothing, or letters
    // cut in two. So a hiss of its own is added: 50 dB under the loudest
    // lately heard, and never under -60 dB of full scale, since what comes
    // first may be digital silence. A microphone's own hiss is about that
    // loud; on an input much quieter, this costs a few dB.
    peak_ = std::max(double(std::abs(x)), peak_ * peakDecay_);
    dither_ = dither_ * 1664525U + 1013904223U;  // a small generator of our own: the same input reads the same
    const double uniform = double(dither_ >> 8) / double(1U << 24) * 2 - 1;
    return float(x + std::max(peak_ * 0.0032, 0.0017) * uniform);
}

void Decoder::silenceClicks(float x)
{
    // A click or a slammed door: samples far louder than the input has been
    // lately, for a few milliseconds at most (a whistle or a tone that loud
    // goes on longer). The keyer, a moment behind, hears them as silence.
    const std::int64_t now = finder_->frameEnd();
    const double power = double(x) * x;
    const auto ms = [this](double seconds) { return std::int64_t(seconds * rate_); };
    if (now > ms(0.1) && power > clickRatio * meanSquare_) {
        if (burstFrom_ < 0)
            burstFrom_ = now;
        burstLast_ = now;
    }
    if (burstFrom_ >= 0 && now - burstLast_ > ms(0.002)) {
        if (burstLast_ - burstFrom_ <= ms(longestClick)) {
            // Silenced in the delay line, which the keyer has not heard yet.
            const std::int64_t from = burstFrom_ - ms(0.001), count = now - from;
            for (std::int64_t k = 1; k <= count && k <= std::int64_t(delay_.size()); ++k)
                delay_[(delayAt_ + delay_.size() - std::size_t(k)) % delay_.size()] = 0;
            lastClick_ = now;
        } else {
            meanSquare_ = std::max(meanSquare_, power);  // a loud tone, not a click
        }
        burstFrom_ = -1;
    }
    if (burstFrom_ < 0)
        meanSquare_ += (power - meanSquare_) / (0.5 * rate_);
}

void Decoder::finish()
{
    std::string morse;
    std::vector<Span> spans;
    for (std::size_t i = 0; i < delay_.size(); ++i) {
        keyer_->push(delay_[delayAt_]);
        history_.push_back(delay_[delayAt_]);
        delay_[delayAt_] = 0;
        delayAt_ = (delayAt_ + 1) % delay_.size();
    }
    keyer_->decide(finder_->frameEnd(), presentFrom_, spans);
    for (const Span& s : spans)
        timing_->span(s, morse);
    timing_->finish(morse);
    if (!heardAgain_ && timing_->learnt()) {  // too short to learn the speed from before it ended
        heardAgain(morse);
        timing_->finish(morse);
    }
    publish(std::move(morse));
}

void Decoder::publish(std::string&& morse)
{
    const double snr = keyer_->signalToNoise();
    std::lock_guard lock(mutex_);
    if (resetAsked_)
        return;  // read before a reset, written after it: dropped
    text_ += morse;
    readings_.level = level_;
    readings_.pitch = finder_->locked() ? finder_->pitch() : 0.0;
    readings_.wpm = timing_->wpm();
    readings_.toneToNoise = snr > 1 ? 20 * std::log10(snr) : 0.0;
    readings_.keyed = keyer_->keyed();
}

std::string Decoder::take()
{
    std::lock_guard lock(mutex_);
    std::string fresh = text_.substr(taken_);
    taken_ = text_.size();
    return fresh;
}

std::string Decoder::text() const
{
    std::lock_guard lock(mutex_);
    return text_;
}

Readings Decoder::readings() const
{
    std::lock_guard lock(mutex_);
    return readings_;
}

void Decoder::reset()
{
    std::lock_guard lock(mutex_);
    resetAsked_ = true;
    text_.clear();
    taken_ = 0;
    readings_ = {};
}

}  // namespace decoder
