#include "tone.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sound {

namespace {

// A raised cosine's rise, `t` samples into an edge of `edge`.
double rise(qint64 t, qint64 edge) { return 0.5 * (1 - std::cos(std::numbers::pi * double(t) / double(edge))); }

}  // namespace

ToneStream::ToneStream(model::Sending sending, int toneHz, qint64 leadIn)
    : sending_(std::move(sending)),
      step_(2 * std::numbers::pi * std::clamp(toneHz, model::lowestTone, model::highestTone) / model::sampleRate),
      leadIn_(leadIn)
{
    starts_.reserve(sending_.spans.size());
    qint64 at = leadIn_;
    for (const model::Span& span : sending_.spans) {
        starts_.push_back(at);
        at += span.samples;
    }
}

qsizetype ToneStream::indexAt(qint64 sample) const
{
    if (sample >= length())
        return qsizetype(starts_.size());
    return qsizetype(std::upper_bound(starts_.begin(), starts_.end(), sample) - starts_.begin()) - 1;
}

const model::Span* ToneStream::spanAt(qint64 sample) const
{
    const qsizetype index = indexAt(sample);
    return index >= 0 && index < qsizetype(starts_.size()) ? &sending_.spans[std::size_t(index)] : nullptr;
}

qint64 ToneStream::nextEdge(qint64 sample) const
{
    const auto after = std::upper_bound(starts_.begin(), starts_.end(), sample);
    return after == starts_.end() ? length() : *after;
}

void ToneStream::fadeOut()
{
    if (ended() || fadeFrom_ <= position_)
        return;
    const model::Span* span = spanAt(position_);
    fadeFrom_ = position_;
    end_ = span && span->tone ? position_ + edgeSamples : position_;
}

qsizetype ToneStream::render(std::span<qint16> out)
{
    constexpr double amplitude = 0.5 * 32767;
    const qsizetype count = qsizetype(std::min<qint64>(qint64(out.size()), length() - position_));
    for (qsizetype i = 0; i < count;) {
        const qint64 at = position_ + i;
        const model::Span* span = spanAt(at);
        const auto index = span ? std::size_t(span - sending_.spans.data()) : 0;
        const qint64 spanEnd = span ? starts_[index] + span->samples : leadIn_;
        const qsizetype run = qsizetype(std::min<qint64>(spanEnd - at, count - i));
        if (!span || !span->tone) {
            std::fill_n(out.begin() + i, run, qint16(0));
        } else {
            // Each tone starts at phase 0 and rises and falls over 5 ms (less
            // for a tone too short for both): no click at either end.
            const qint64 n = span->samples, edge = std::min(edgeSamples, n / 2);
            for (qsizetype k = 0; k < run; ++k) {
                const qint64 t = at + k - starts_[index];
                const qint64 fromEdge = std::min(t, n - 1 - t);
                double gain = fromEdge >= edge ? 1.0 : rise(fromEdge, edge);
                if (at + k >= fadeFrom_)
                    gain *= rise(fadeFrom_ + edgeSamples - (at + k), edgeSamples);
                out[std::size_t(i + k)] = qint16(std::lround(amplitude * gain * std::sin(step_ * double(t))));
            }
        }
        i += run;
    }
    position_ += count;
    return count;
}

const model::Span* Light::look(qint64 sample)
{
    const std::vector<model::Span>& spans = stream_.sending().spans;
    const qsizetype now = stream_.indexAt(sample);
    if (sample >= heldTo_ && shown_ < now) {
        if (shown_ < now - 1) {  // missed: the next one, late
            ++shown_;
            heldTo_ = sample + std::min(spans[std::size_t(shown_)].samples, lateSamples);
        } else {
            shown_ = now;
        }
    }
    return shown_ >= 0 && !done() && spans[std::size_t(shown_)].tone ? &spans[std::size_t(shown_)] : nullptr;
}

}  // namespace sound
