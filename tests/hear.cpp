// hear: reads a recording (raw 16-bit mono samples, at 48 kHz) of Morse as
// it came out of a speaker, and writes down what a listener would: the dots
// and dashes, letters apart by a space and words by " / ", the length of a
// dot and the tone's pitch.
// Usage: hear FILE   Prints "morse: ...", "dot_ms: ...", "pitch_hz: ...".

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr double rate = 48000;

struct Run {
    long start, end;  // a tone, in samples
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: hear FILE\n");
        return 2;
    }
    std::vector<short> samples;
    std::ifstream in(argv[1], std::ios::binary);
    for (short v; in.read(reinterpret_cast<char*>(&v), 2);)
        samples.push_back(v);
    // The envelope: the loudest sample within 1.5 ms either side, against
    // half the loudest of all. The edges rise and fall alike, so a tone's
    // start-to-start distance to the next keeps its length exactly.
    int peak = 0;
    for (const short v : samples)
        peak = std::max(peak, std::abs(int(v)));
    if (peak < 1000) {
        std::printf("morse: \ndot_ms: 0\npitch_hz: 0\n");
        return 0;
    }
    const long n = long(samples.size()), half = 72;
    std::vector<Run> tones;
    bool on = false;
    for (long i = 0; i < n; i += 8) {
        int local = 0;
        for (long k = std::max(0L, i - half); k < std::min(n, i + half); ++k)
            local = std::max(local, std::abs(int(samples[std::size_t(k)])));
        const bool loud = local > peak / 2;
        if (loud && !on)
            tones.push_back({i, i});
        if (loud)
            tones.back().end = i;
        on = loud;
    }
    // Dots and dashes by length; gaps within a letter are a dot long, and a
    // word's gap is 7/3 of a letter's at any spacing.
    long shortest = tones.front().end - tones.front().start;
    for (const Run& t : tones)
        shortest = std::min(shortest, t.end - t.start);
    long letterGap = -1;
    for (std::size_t i = 0; i + 1 < tones.size(); ++i) {
        const long gap = tones[i + 1].start - tones[i].end;
        if (gap > 2 * shortest)
            letterGap = letterGap < 0 ? gap : std::min(letterGap, gap);
    }
    std::string morse;
    std::vector<double> periods;
    for (std::size_t i = 0; i < tones.size(); ++i) {
        const bool dot = tones[i].end - tones[i].start < 2 * shortest;
        morse += dot ? '.' : '-';
        if (i + 1 == tones.size())
            break;
        const long gap = tones[i + 1].start - tones[i].end;
        if (gap <= 2 * shortest) {
            if (dot)
                periods.push_back(double(tones[i + 1].start - tones[i].start) / 2);
        } else {
            morse += gap > letterGap * 8 / 5 ? " / " : " ";
        }
    }
    std::sort(periods.begin(), periods.end());
    const double dot = periods.empty() ? 0 : periods[periods.size() / 2];
    // The pitch: zero crossings inside the tones, away from their edges.
    long crossings = 0, counted = 0;
    for (const Run& t : tones) {
        const long from = t.start + 480, to = t.end - 480;
        for (long i = from + 1; i < to; ++i) {
            if ((samples[std::size_t(i - 1)] < 0) != (samples[std::size_t(i)] < 0))
                ++crossings;
        }
        counted += std::max(0L, to - from - 1);
    }
    std::printf("morse: %s\ndot_ms: %.2f\npitch_hz: %.1f\nfirst_ms: %.1f\n", morse.c_str(), dot * 1000 / rate,
                counted ? crossings / 2.0 * rate / double(counted) : 0.0, tones.front().start * 1000 / rate);
    return 0;
}
