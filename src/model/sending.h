#pragma once
// Morse as it is sent: a message read as written Morse and timed by the
// PARIS standard, as spans of tone and silence counted in samples. No sound
// here, only the timing every platform plays the same.

#include <QStringView>
#include <vector>

namespace model {

inline constexpr int sampleRate = 48'000;

struct SendSettings {
    int wpm = 15;         // words a minute: a dot is 1200 / wpm milliseconds
    int spacingWpm = 15;  // the speed letters and words follow each other at (Farnsworth's), up to wpm
    int toneHz = 700;
};
inline constexpr int slowestWpm = 5, fastestWpm = 40, lowestTone = 300, highestTone = 1200;

struct Span {
    bool tone;
    qint64 samples;
    qsizetype at;  // for a tone, the symbol's place in the message
};

struct Sending {
    std::vector<Span> spans;  // tone, silence, tone, silence...: never two of a kind in a row
    qsizetype silent = 0;     // characters that were no Morse, left silent
    qint64 samples = 0;       // the whole length
    qint64 dotSamples = 0;    // one unit, at the speed of the symbols
};

// A dot ("." "·" "•" "∙") sounds one unit and a dash ("-" "−" "–" "—" "_"
// "▬") three, each followed by one of silence; "/" ends a letter (three in
// all) and two of them in a row, or a line break, a word (seven); spaces are
// spelling, not timing. With a slower spacing the gaps stretch as
// Farnsworth's method has it; the symbols keep their speed. Settings out of
// range are brought into it.
Sending timeMorse(QStringView message, SendSettings settings);

}  // namespace model
