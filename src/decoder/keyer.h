#pragma once
// Hearing the key go down and up: the input mixed down from the tone's pitch,
// filtered as narrowly as a dot's length allows, its amplitude compared with
// two thresholds between the noise's level and the tone's, both learnt as
// they come. A change must last a fraction of a dot before it counts, so a
// crackle of noise neither starts nor breaks an element. A tone too weak
// for that, once the speed is known, is decided over runs of elements
// instead (Segmenter). What it hands on is the length of each tone and each
// silence, in seconds, a tone and a silence in turn.

#include "segmenter.h"

#include <complex>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace decoder {

struct Span {
    bool tone;
    double seconds;
};

class Keyer {
public:
    // `heard`: how many input samples went before the first it is given;
    // `letters`, the codes a weak tone's elements are heard as, outlives it.
    Keyer(const Letters& letters, double rate, std::int64_t heard = 0);

    void setPitch(double hz);
    // The length of a dot as learnt so far: the filter and the patience for a change follow it.
    void setUnit(double seconds);

    // Starts from the levels `other` learnt, hearing the same input again
    // (and, for a weak tone's elements, those its runs were decided by).
    void knowLevels(const Keyer& other);

    void push(float sample);

    // Decides on what has been heard up to input sample `upTo`, the spans
    // that ended going to `out`. No tone counts before sample `presentFrom`
    // (there is nothing locked to listen to).
    void decide(std::int64_t upTo, std::int64_t presentFrom, std::vector<Span>& out);
    // Holds the decision as it is over input samples [from, to): a burst is there.
    void hold(std::int64_t from, std::int64_t to);

    bool keyed() const { return state_; }
    double silence() const;        // seconds of the silence going on now, 0 during a tone
    double signalToNoise() const;  // the tone's amplitude over the noise's in the filter, when known

private:
    struct Sample {
        std::int64_t at;
        float amplitude;
        std::complex<float> value;  // the mixed-down input, before the filter
    };
    void resize(int taps);
    void setLength(int taps);
    void learnLevels();
    void giveLevels();

    const Letters* letters_;
    double rate_;
    int decimation_;
    double stepRate_;  // envelope samples a second
    double phase_ = 0, pitch_ = 0;
    double offset_ = 0;        // Hz the tone is heard off the pitch given, followed in the filter
    double followAt_ = 1e300;  // the amplitude over which the phase is followed
    std::vector<std::complex<double>> outputs_ = std::vector<std::complex<double>>(16);
    std::size_t outputAt_ = 0;
    std::complex<double> accumulator_{};
    int accumulated_ = 0;
    std::int64_t taken_ = 0;

    std::vector<std::complex<double>> ring_;  // the mixed-down samples, for the filter
    std::size_t ringAt_ = 0;
    int taps_ = 0;
    int firstTaps_ = 0;
    bool unitKnown_ = false;
    int presentFor_ = 0;  // envelope samples since there was a tone to listen to
    std::complex<double> sum_{};
    std::deque<Sample> pending_;
    std::deque<Sample> recent_;  // the last decided, for where a tone began

    std::deque<std::pair<std::int64_t, std::int64_t>> holds_;
    // The amplitudes heard lately, in half-decibel bins, the old ones
    // fading: split in two where the two groups are best apart (Otsu's
    // method), they give the noise's level and the tone's however much of
    // the time the key is down, with no decision of ours fed back into them.
    std::vector<double> histogram_;
    std::vector<double> amplitudes_;  // each bin's amplitude
    double weight_ = 0;
    int sinceLevels_ = 0;
    double noise_ = 0, tone_ = 0;
    double lastTones_ = 0;  // the amplitude of the last few tones
    double toneSum_ = 0;    // and of the one going on, so far
    long toneCount_ = 0;
    bool state_ = false;
    std::int64_t since_ = 0;      // where the present state began
    std::int64_t changing_ = -1;  // where a change to the other began, or -1
    std::int64_t decided_ = 0;    // the last sample decided
    std::int64_t patience_ = 0;   // samples a change must last
    // A weak tone's elements are decided over runs of them instead.
    std::unique_ptr<Segmenter> segmenter_;
    std::unique_ptr<Segmenter> known_;  // the one that heard this input before, whose levels the next starts from
    std::vector<std::pair<bool, int>> segments_;
};

}  // namespace decoder
