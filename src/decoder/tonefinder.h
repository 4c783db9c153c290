#pragma once
// Finding the tone: a short-time spectrum of the input, hop after hop, in
// which a keyed tone stands out from the noise and from a steady whistle or
// carrier alike by how much its power comes and goes. The finder locks on
// the strongest such peak from 300 to 3,500 Hz and follows it as it drifts.
// It also tells a click or a bang (the whole band at once) from a tone.

#include <complex>
#include <cstdint>
#include <span>
#include <vector>

namespace decoder {

class ToneFinder {
public:
    explicit ToneFinder(double rate);

    // Takes samples; returns true when they completed a hop, whose findings
    // the functions below then give.
    bool push(float sample);

    std::int64_t frameEnd() const { return samples_; }  // samples taken so far
    int frameLength() const { return n_; }
    int hop() const { return n_ / 2; }

    bool locked() const { return locked_; }
    double pitch() const { return pitch_; }  // Hz; the last one followed, locked or not
    // The frame just analysed held a broadband burst, not (only) a tone.
    bool impulsive() const { return impulsive_; }

private:
    void analyse();
    double score(int bin) const;
    int bestBin(int from, int to) const;
    bool clear(int bin) const;  // a tone there stands far out of the noise
    int peakNear(int bin, int reach, const std::vector<double>& power) const;  // the loudest bin within reach
    double refine(int bin, const std::vector<double>& power) const;

    double rate_;
    int n_;
    std::vector<float> ring_;
    std::vector<float> window_;
    std::vector<std::complex<float>> buffer_, twiddles_;
    std::vector<double> power_, mean_, low_, localNoise_;
    std::vector<double> recent_;  // the power over the last few hops, to follow a drift by
    int fromBin_, toBin_;
    std::int64_t samples_ = 0;
    int hopCount_ = 0;
    std::int64_t frames_ = 0;

    bool locked_ = false;
    double pitch_ = 0;
    int silentHops_ = 0;    // hops since the followed tone last sounded
    double toneLevel_ = 0;  // its frames' power lately, at most
    int strongFrames_ = 0;  // hops the best peak has stood out, before a lock
    int betterFrames_ = 0;  // hops another peak has beaten the followed one
    int quietFrames_ = 0;   // hops the followed peak has not stood out
    int candidate_ = -1;
    double bandNoise_ = 0;   // the median power of the band, a hop's worth
    double burstFloor_ = 0;  // its slow average, against which bursts are told
    bool impulsive_ = false;
};

}  // namespace decoder
