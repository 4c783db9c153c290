#pragma once
// The sound of a timed Morse message: a sine tone with raised-cosine edges,
// 16-bit, mono, at the model's sample rate, computed a piece at a time as a
// device asks for it, so that a message of any length costs no memory.

#include "model/sending.h"

#include <QtGlobal>
#include <algorithm>
#include <limits>
#include <span>
#include <vector>

namespace sound {

class ToneStream {
public:
    // The stream opens with `leadIn` samples of silence: an output device
    // that is still opening swallows the first thing it is given.
    ToneStream(model::Sending sending, int toneHz, qint64 leadIn);

    qint64 length() const { return std::min(leadIn_ + sending_.samples, end_); }
    qint64 position() const { return position_; }
    bool ended() const { return position_ >= length(); }

    // The next samples, as many as fit and remain; 0 at the end.
    qsizetype render(std::span<qint16> out);
    // Ends the stream where it has been rendered to, without a click: a tone
    // sounding there fades over one edge, silence ends at once.
    void fadeOut();

    // The span sounding at a sample of the stream, or none (the lead-in, the end).
    const model::Span* spanAt(qint64 sample) const;
    // Its place among the spans: -1 in the lead-in, the count of them at the end.
    qsizetype indexAt(qint64 sample) const;
    // Where the span after the one at `sample` starts: the next edge of a tone.
    qint64 nextEdge(qint64 sample) const;
    const model::Sending& sending() const { return sending_; }

private:
    model::Sending sending_;
    std::vector<qint64> starts_;  // where each span starts in the stream
    double step_;                 // the tone's phase step a sample
    qint64 leadIn_;
    qint64 position_ = 0;
    qint64 fadeFrom_ = std::numeric_limits<qint64>::max();  // where a fade starts
    qint64 end_ = std::numeric_limits<qint64>::max();       // and where it ends the stream
};

// What a light that follows a stream shows: on while a tone sounds. It looks
// now and then, and a look may find spans it never saw, passed whole while
// the machine stood still; it shows each of them in turn, late and briefly,
// rather than lose them, since a dot lost reads as another letter.
class Light {
public:
    explicit Light(const ToneStream& stream) : stream_(stream) {}
    // The tone to show at `sample` (the light on), or none.
    const model::Span* look(qint64 sample);
    // When to look again after a look at `sample`: the next edge, or sooner
    // while spans are shown late.
    qint64 nextLook(qint64 sample) const { return heldTo_ > sample ? heldTo_ : stream_.nextEdge(sample); }
    // Whether every span has been shown, the last one included.
    bool done() const { return shown_ >= qsizetype(stream_.sending().spans.size()); }

private:
    const ToneStream& stream_;
    qsizetype shown_ = -1;  // the span shown
    qint64 heldTo_ = 0;     // a span shown late stays until here
};

inline constexpr qint64 edgeSamples = model::sampleRate / 200;   // 5 ms
inline constexpr qint64 leadInSamples = model::sampleRate / 20;  // 50 ms
inline constexpr qint64 lateSamples = model::sampleRate / 25;    // 40 ms, a span shown late: seen, and soon caught up

}  // namespace sound
