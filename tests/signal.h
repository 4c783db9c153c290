#pragma once
// Test signals for the decoder, rendered from a text and a seed: Morse as
// the program times it, then as a hand, a whistle, a radio and a room spoil
// it. For the decoder's tests and the benchmark; never part of the program.
//
// The signal-to-noise ratio is the tone's power while keyed over the power
// of the noise in 3 kHz, the band radio amateurs' figures use: white noise
// of N0 per hertz, variance N0 · rate / 2 over the whole band.

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace testsignal {

struct Settings {
    std::string text;  // Latin letters, digits and spaces, sent in international Morse
    int rate = 22'050;
    int wpm = 20;             // the symbols' speed
    int spacingWpm = 0;       // the letters' and words' (Farnsworth's); 0: the same
    double pitch = 700;       // Hz
    double drift = 0;         // Hz: a slow wander of up to this much either way...
    double driftSeconds = 8;  // ...swinging back and forth about this often
    double wobble = 0;        // Hz: and a quick wobble of up to this much (a whistler's breath)...
    double wobbleHz = 4;      // ...this many times a second
    double jitter = 0;  // a hand: each element and gap times a factor, normal, mean 1, this deviation, kept to 0.5-2
    double speedChange = 0;      // the speed swings by this fraction either way over the message (0.3: ±30 %)
    double fadeDb = 0;           // the tone fades by up to this much...
    double fadeSeconds = 5;      // ...this often
    double clicksPerMinute = 0;  // bangs and clicks, each ten times the tone's amplitude
    double otherOffset = 0;      // Hz from the pitch: a steady second tone there (0: none)...
    double otherDb = 0;          // ...this loud against the keyed one
    double snrDb = std::numeric_limits<double>::infinity();
    std::uint32_t seed = 1;
    double leadSeconds = 1, tailSeconds = 1.5;  // noise alone before and after
};

struct Signal {
    std::vector<float> samples;      // full scale ±1, never clipped
    std::vector<double> letterEnds;  // seconds: where each letter's last element ends
};

Signal render(const Settings& settings);

// The text as international Morse in the program's hand-written form
// (".- -... / -.-."), and as the keys would type it for timing.
std::string morseOf(const std::string& text);

// A text of random words of Latin letters and digits, `characters` long.
std::string randomText(std::size_t characters, std::uint32_t seed);

}  // namespace testsignal
