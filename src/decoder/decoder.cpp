#include "decoder.h"

#include "itu.h"
#include "keyer.h"
#include "timing.h"
#include "tonefinder.h"

#include <algorithm>
#include <cmath>

namespace decoder {

Decoder::Decoder(double rate, std::vector<std::string> alphabet)
    : rate_(std::clamp(rate, 8000.0, 48000.0))
    , alphabet_(alphabet.empty() ? ituCodes() : std::move(alphabet))
{
    startOver();
}

Decoder::~Decoder() = default;

void Decoder::startOver()
{
    finder_ = std::make_unique<ToneFinder>(rate_);
    keyer_ = std::make_unique<Keyer>(rate_);
    delay_.assign(std::size_t(finder_->hop()), 0.f);
    delayAt_ = 0;
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
    for (const float x : samples) {
        // The keyer hears each sample half a frame late, mixed down with the
        // pitch of the frame centred on it rather than of one before it.
        delay_[delayAt_] = x;
        delayAt_ = (delayAt_ + 1) % delay_.size();
        keyer_->push(delay_[delayAt_]);
        levelSum_ += double(x) * x;
        if (++levelCount_ >= long(rate_ / 10)) {
            level_ = 10 * std::log10(std::max(2 * levelSum_ / double(levelCount_), 1e-12));
            levelSum_ = 0;
            levelCount_ = 0;
        }
        if (!finder_->push(x))
            continue;
        const std::int64_t end = finder_->frameEnd();
        if (finder_->impulsive())
            keyer_->hold(end - finder_->frameLength() + finder_->hop(), end + finder_->hop());
        if (finder_->locked())
            keyer_->setPitch(finder_->pitch());
        // Decided half a frame behind the spectrum, so that a burst is
        // known before the samples it spoils are judged.
        keyer_->decide(end - 2 * finder_->hop(), finder_->locked(), spans);
        for (const Span& s : spans)
            timing_->span(s, morse);
        spans.clear();
        timing_->silence(keyer_->silence(), morse);
        if (timing_->learnt())
            keyer_->setUnit(timing_->unit());
    }
    publish(std::move(morse));
}

void Decoder::finish()
{
    std::string morse;
    std::vector<Span> spans;
    keyer_->decide(finder_->frameEnd(), finder_->locked(), spans);
    for (const Span& s : spans)
        timing_->span(s, morse);
    timing_->finish(morse);
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
