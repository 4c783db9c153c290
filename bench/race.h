#pragma once
// The decoders raced on the same signals: ours in this process, and the
// radio amateurs' multimon-ng and morse2ascii run as programs on files
// written for them. Each answer is read as international Morse's Latin
// letters and digits, the table the others read, and scored by edit distance.

#include <filesystem>
#include <string>
#include <vector>

namespace race {

struct Heard {
    std::string text;       // upper case, words one space apart
    double cpuSeconds = 0;  // ours only: the decoding's time on its thread
};

// Ours, fed blocks of 20 ms as a microphone gives them.
Heard ours(const std::vector<float>& samples, int rate);
// multimon-ng on 16-bit mono samples at 22,050 Hz (the rate its Morse
// demodulator takes), told the dot's length in ms as its -d and -g.
Heard multimon(const std::vector<float>& samples, int dotMs, const std::filesystem::path& folder);
// morse2ascii on WAV files of 16-bit mono samples at 22,050 Hz. It reads a
// file of over a minute or so as nothing but E's (measured: 67 s right, 100 s
// wrong), so it is given the signal in pieces of under 50 s, cut just after
// a letter's last element (`letterEnds`, in seconds), its readings joined;
// each piece opens with the signal's first second (noise alone, the lead-in
// every generated signal has), without which it reads a piece as nothing.
Heard morse2ascii(const std::vector<float>& samples, const std::vector<double>& letterEnds,
                  const std::filesystem::path& folder);

std::string normalised(const std::string& text);
// Characters wrong (edit distance) over characters sent, letters and digits
// (word gaps are not scored), those from the `skip`th on: an edit is counted
// against the sent character it falls at.
double wrong(const std::string& sent, const std::string& heard, std::size_t skip = 0);

}  // namespace race
