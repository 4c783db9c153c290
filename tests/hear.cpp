// hear: reads a recording (raw 16-bit mono samples, at 48 kHz) of Morse as
// it came out of a speaker, and writes down what a listener would: the dots
// and dashes, letters apart by a space and words by " / ", the length of a
// dot and the tone's pitch; how far the tones and gaps stray from the grid
// they keep (each against the others of its kind: dots, dashes, the gaps
// within a letter, between letters, between words), and the clicks: jumps
// from one sample to the next steeper than a tone's, edges included, and how
// loud the tones end.
// Usage: hear [--tones] FILE   Prints "morse: ...", "dot_ms: ...", "pitch_hz: ...",
// "first_ms: ...", "off_grid: N (most M ms)", "clicks: N (steepest J, a tone's L)", "ends: E";
// with --tones, "tone MS" where each tone starts, from the recording's start.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <numbers>
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
    const bool listTones = argc == 3 && std::string(argv[1]) == "--tones";
    if (argc != 2 && !listTones) {
        std::fprintf(stderr, "usage: hear [--tones] FILE\n");
        return 2;
    }
    std::vector<short> samples;
    std::ifstream in(argv[argc - 1], std::ios::binary);
    for (short v; in.read(reinterpret_cast<char*>(&v), 2);)
        samples.push_back(v);
    // The envelope: the loudest sample within 1.5 ms either side, against
    // half the tone's loudness (what the loudest hundredth of the samples
    // reach: a click may be louder than any tone). The edges rise and fall
    // alike, so a tone's start-to-start distance to the next keeps its length.
    std::vector<int> loudness;
    loudness.reserve(samples.size());
    for (const short v : samples)
        loudness.push_back(std::abs(int(v)));
    const auto top = loudness.begin() + long(loudness.size()) / 100;
    std::nth_element(loudness.begin(), top, loudness.end(), std::greater<>());
    const int peak = loudness.empty() ? 0 : *top;
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
    // A click (a device opening) is no symbol: none is shorter than 30 ms.
    std::erase_if(tones, [](const Run& t) { return t.end - t.start < long(rate / 100); });
    if (tones.empty()) {
        std::printf("morse: \ndot_ms: 0\npitch_hz: 0\n");
        return 0;
    }
    // Dots and dashes by length; gaps within a letter are a dot long, and a
    // word's gap is 7/3 of a letter's at any spacing.
    // A dot's length: most symbols are dots, so a quarter of the tones are
    // at most a dot long, whatever cut the first or last.
    std::vector<long> lengths;
    for (const Run& t : tones)
        lengths.push_back(t.end - t.start);
    std::nth_element(lengths.begin(), lengths.begin() + long(lengths.size()) / 4, lengths.end());
    const long shortest = lengths[lengths.size() / 4];
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
    const double pitch = counted ? crossings / 2.0 * rate / double(counted) : 0.0;
    std::printf("morse: %s\ndot_ms: %.2f\npitch_hz: %.1f\nfirst_ms: %.1f\n", morse.c_str(), dot * 1000 / rate, pitch,
                tones.front().start * 1000 / rate);

    // The grid: every tone and gap against the median of its kind. A tone
    // broken in two, or a gap stretched by a starved device, strays by far
    // more than the 6 ms the envelope's step and a sample clock allow.
    std::map<char, std::vector<long>> kinds;  // '.', '-', and the gaps 's', 'l', 'w'
    for (std::size_t i = 0; i < tones.size(); ++i) {
        const long length = tones[i].end - tones[i].start;
        kinds[length < 2 * shortest ? '.' : '-'].push_back(length);
        if (i + 1 < tones.size()) {
            const long gap = tones[i + 1].start - tones[i].end;
            kinds[gap <= 2 * shortest ? 's' : gap > letterGap * 8 / 5 ? 'w' : 'l'].push_back(gap);
        }
    }
    int off = 0;
    double most = 0;
    for (auto& [kind, values] : kinds) {
        std::vector<long> sorted = values;
        std::nth_element(sorted.begin(), sorted.begin() + long(sorted.size()) / 2, sorted.end());
        const long middle = sorted[sorted.size() / 2];
        for (const long v : values) {
            const double by = std::abs(double(v - middle)) * 1000 / rate;
            most = std::max(most, by);
            off += by > 6;
        }
    }
    std::printf("off_grid: %d (most %.1f ms)\n", off, most);

    // The steepest a tone goes from one sample to the next: its sine at full
    // loudness, plus the 5 ms raised-cosine edge's own rise; a tenth more for
    // the sound server's rounding.
    const double steepest = 1.1 * peak * (2 * std::numbers::pi * pitch / rate + std::numbers::pi / 2 / (rate / 200));
    int clicks = 0;
    int jump = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        const int step = std::abs(int(samples[i]) - int(samples[i - 1]));
        jump = std::max(jump, step);
        clicks += step > steepest;
    }
    std::printf("clicks: %d (steepest %d, a tone's %.0f)\n", clicks, jump, steepest);

    // How loud each tone still is in its last millisecond, against its
    // loudness: a 5 ms edge ends near a tenth; a tone cut short ends
    // louder, though a cut on a zero crossing makes no jump a click shows.
    double loudestEnd = 0;
    for (const Run& t : tones) {
        long last = t.end;
        for (long i = t.end; i < std::min(n, t.end + long(rate / 100)); ++i) {
            if (std::abs(int(samples[std::size_t(i)])) > peak / 50)
                last = i;
        }
        int end = 0;
        for (long i = std::max(0L, last - long(rate / 1000)); i <= last; ++i)
            end = std::max(end, std::abs(int(samples[std::size_t(i)])));
        loudestEnd = std::max(loudestEnd, double(end) / peak);
    }
    std::printf("ends: %.2f (the loudest last millisecond of a tone, against a tone's loudness)\n", loudestEnd);
    if (listTones) {
        // The envelope crosses half the loudness 1.5 ms (its reach) before a
        // raised-cosine edge is half up, 2.5 ms in: 1 ms after the tone begins.
        for (const Run& t : tones)
            std::printf("tone %.2f\n", double(t.start) * 1000 / rate - 1);
    }
    return 0;
}
