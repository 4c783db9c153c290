#pragma once
// From lengths to letters: which tone is a dot and which a dash, which
// silence is inside a letter, between letters or between words, judged from
// what has been heard so far and never from fixed lengths. The speed is
// first guessed from the first few elements (the most likely dot length for
// all of them together), then followed element by element; a silence
// between letters and one between words each keep a length of their own, so
// spacing slower than the symbols (Farnsworth's) is learnt as it is.
//
// A hand's uneven timing makes single decisions go wrong (a short gap
// between letters taken for a gap inside one, and "EE" heard as "I"): the
// letters are therefore read a run at a time, a run being closed by a gap no
// gap inside a letter is ever that long, and split into the most likely
// sequence of codes that exist.

#include "keyer.h"

#include <deque>
#include <string>
#include <vector>

namespace decoder {

// The most likely dot length, in seconds, for all these lengths together,
// each read as whatever element fits it best; a crackle does not decide it.
double mostLikelyUnit(const std::deque<Span>& spans);

class Timing {
public:
    explicit Timing(std::vector<std::string> alphabet);

    // A tone or silence that ended; what it completes is appended to `out`
    // as the program writes Morse by hand: ".-" a letter, " " between
    // letters, " / " between words.
    void span(Span span, std::string& out);
    // The silence going on now, so that a letter and a word end in time.
    void silence(double seconds, std::string& out);
    // The end of the input: the letter still open is read.
    void finish(std::string& out);

    bool learnt() const { return learnt_; }
    static constexpr int firstTones = 10;  // tones heard before the speed is guessed
    double unit() const;                   // a dot's length in seconds, once learnt
    double wpm() const { return learnt_ ? 1.2 / unit() : 0.0; }

private:
    void learnFirst();
    void tone(double seconds);
    void silenceEnded(double seconds, std::string& out);
    void readRun(std::string& out);
    void emit(const std::string& code, std::string& out);
    double closeRun() const;
    double wordGap() const;
    void betweenLetters(double seconds);

    std::vector<std::vector<std::string>> codes_;  // the alphabet by length
    bool learnt_ = false;
    bool heardTone_ = false;
    std::vector<Span> first_;  // until the speed is guessed
    std::deque<Span> recent_;  // to check the speed followed against a fresh guess
    int doubts_ = 0;
    int runs_ = 0;  // runs read since the speed was first guessed

    // Logarithms: of the unit (a dot and the gap after it make two, a dash
    // and its gap four, however the filter and the thresholds lengthen tones
    // and shorten silences), of how much longer or shorter than that dots,
    // dashes and gaps inside letters are heard, and of the gaps between
    // letters and words in units, so that they follow a change of speed.
    double unit_ = 0, dot_ = 0, dash_ = 0, gap_ = 0, letterGap_ = 0, wordGap_ = 0;

    // The last gaps between letters or words (logarithms, in units), which split in two
    // where they are best apart: the shorter are between letters, the longer
    // between words. While they do not split, all are between letters, as most gaps are.
    std::deque<double> longGaps_;

    std::vector<double> tones_, gaps_;  // the run being heard
    bool wordWritten_ = false;          // the silence now going on has been written as a word's
    bool written_ = false;              // anything has been written
};

}  // namespace decoder
