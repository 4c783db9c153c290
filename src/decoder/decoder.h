#pragma once
// Morse heard: a tone keyed on and off, from a whistle, a buzzer or a radio,
// read back into dots and dashes as it comes. Plain C++, no toolkit: the
// listening box feeds it what the microphone gives and shows what it reads.
//
// Use: one thread (the one reading the input) calls feed() with each block
// of mono samples as it arrives, at the rate given when the decoder was made
// (8,000 to 48,000 a second), full scale ±1. Any other thread (the window's)
// polls take() for the Morse read since its last call and readings() for the
// live figures; both are cheap and never wait on the decoding for long.
// reset() may be called from any thread: the next feed() starts over.
//
// The Morse comes in the form the program reads by hand: "." and "-" for a
// letter's elements, a space between letters, " / " between words, so
// "... --- ... / .-" (a word's gap is written once the silence is long
// enough to be one, before the next letter, so a pause at the end ends in
// " /"). A letter is written once a silence longer than any inside a letter
// follows it: within a second of its last element at every speed from 5 wpm
// up (the decoder listens 0.3 s behind the input, so that a tone is found
// before its first element is judged; the first tone found, which may take
// longer, has the last second heard again). Until the speed has been learnt (the
// first ten elements or so), nothing is written; then the elements already
// heard are read with it, so the first letters are not lost. A weak tone,
// which may be found seconds after it began, is heard again then from the
// start (up to the last 20 s), knowing its pitch and its speed.

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace decoder {

struct Readings {
    double level = -120;     // the input's power over the last tenth of a second, dB below full scale
    double pitch = 0;        // Hz of the tone locked on; 0 while none is
    double wpm = 0;          // the speed heard, words a minute; 0 until learnt
    double toneToNoise = 0;  // dB, the tone over the noise in the decoder's filter; 0 until known
    bool keyed = false;      // whether the tone sounds, as heard 0.3 s behind the input
};

class ToneFinder;
class Keyer;
class Letters;
struct Span;
class Timing;

class Decoder {
public:
    // `alphabet`: the codes a letter may have, as dots and dashes; the
    // default is international Morse (see itu.h). The keys' own codes, for
    // another Morse, fit here.
    explicit Decoder(double rate, std::vector<std::string> alphabet = {});
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    double rate() const { return rate_; }

    // The reading thread's side.
    void feed(std::span<const float> samples);
    void finish();  // the input has ended: the last letter is read at once

    // Any thread's side.
    std::string take();        // the Morse read since the last take()
    std::string text() const;  // all of it since the start
    Readings readings() const;
    void reset();

private:
    void startOver();
    void publish(std::string&& morse);
    void silenceClicks(float x);
    float withFloor(float x);
    void locked(std::int64_t end);
    void heardAgain(std::string& morse);
    std::unique_ptr<Keyer> hearAgain(double unit, const std::function<void(Keyer&, const Span&, std::int64_t)>& each);

    const double rate_;
    const std::vector<std::string> alphabet_;
    const std::unique_ptr<const Letters> letters_;  // the same codes, as a tree
    std::unique_ptr<ToneFinder> finder_;
    std::unique_ptr<Keyer> keyer_;
    std::unique_ptr<Timing> timing_;
    std::vector<float> delay_;
    // What the keyer heard, from its count historyFrom_ on: the last 20 s
    // until the speed is learnt and heard again, the last second after; with
    // the pitch of each frame since the tone was found, and the bursts held.
    std::vector<float> history_;
    std::int64_t historyFrom_ = 0;
    std::vector<std::pair<std::int64_t, double>> pitchTrack_;
    std::vector<std::pair<std::int64_t, std::int64_t>> holds_;
    bool heardAgain_ = false;
    std::int64_t lockedAt_ = 0;     // the first lock, as the keyer counts
    std::int64_t presentFrom_ = 0;  // where the tone locked on began, as the keyer counts
    bool lockedBefore_ = false;
    double peak_ = 0;           // the loudest lately heard, for the floor of hiss under it
    double peakDecay_ = 1;      // how it fades, a sample
    std::uint32_t dither_ = 1;  // that hiss's generator
    std::size_t delayAt_ = 0;
    std::deque<std::pair<std::int64_t, double>> pitches_;            // each frame's centre and the pitch there
    double meanSquare_ = 0;                                          // the input's power lately
    std::int64_t burstFrom_ = -1, burstLast_ = -1, lastClick_ = -1;  // a loud burst going on, and the last click
    std::atomic<bool> resetAsked_ = false;
    double levelSum_ = 0;
    long levelCount_ = 0;
    double level_ = -120;

    mutable std::mutex mutex_;  // guards what follows
    std::string text_;
    std::size_t taken_ = 0;
    Readings readings_;
};

}  // namespace decoder
