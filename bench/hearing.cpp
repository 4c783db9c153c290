// The decoders' race: ours, the radio amateurs' multimon-ng and morse2ascii,
// side by side on the same generated signals (tests/signal.h), scored as
// characters wrong by edit distance over characters sent. Prints one table
// (each case and signal-to-noise ratio by decoder), the ratio at which each
// decoder reaches 2 % wrong, our decoding's cost against the audio's length,
// and draws the 20 wpm sweep as a PNG.
//
// Usage: bench_hearing [--quick] [--png FILE]
//   --quick  a third of the text a point, for a look while working
// Every text and noise comes from a fixed seed: the figures repeat.

#include "chart.h"
#include "race.h"
#include "signal.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct Case {
    std::string name;
    testsignal::Settings settings;
    std::vector<double> snrs;
    std::size_t characters;
    bool afterFive = false;  // scored from the sixth character on: the first five are for locking
};

std::vector<Case> cases(bool quick)
{
    const std::size_t many = quick ? 150 : 400, fewer = quick ? 80 : 200;
    testsignal::Settings machine;
    std::vector<Case> all;
    all.push_back(
        {"20 wpm, 700 Hz", machine, {-16, -14, -12, -10, -8, -6, -4, -2, 0, 2, 4, 6, 8, 10, 12, 15, 20, 25, 30}, many});
    testsignal::Settings hand = machine;
    hand.jitter = 0.2;
    hand.speedChange = 0.3;
    all.push_back({"hand-sent, speed ±30 %", hand, {0, 5, 10, 20}, many});
    for (const double pitch : {1200.0, 2800.0}) {
        testsignal::Settings whistle = machine;
        whistle.wpm = 15;
        whistle.pitch = pitch;
        whistle.drift = 200;
        whistle.wobble = 15;
        all.push_back({"whistle " + std::to_string(int(pitch)) + " Hz ±200", whistle, {3, 6, 10, 20}, many});
    }
    testsignal::Settings slow = machine, fast = machine, farnsworth = machine;
    slow.wpm = 5;
    fast.wpm = 40;
    farnsworth.wpm = 18;
    farnsworth.spacingWpm = 10;
    all.push_back({"5 wpm", slow, {10}, fewer, true});
    all.push_back({"40 wpm", fast, {10}, many, true});
    all.push_back({"Farnsworth 18/10", farnsworth, {10}, many, true});
    testsignal::Settings spoilt = machine, faded = machine;
    spoilt.clicksPerMinute = 30;
    spoilt.otherOffset = 150;
    all.push_back({"clicks, a steady tone +150 Hz", spoilt, {10, 20}, many});
    faded.fadeDb = 10;
    all.push_back({"fading by 10 dB every 5 s", faded, {10, 20}, many});
    return all;
}

// The lowest ratio from which on every point is at most 2 % wrong.
std::string reaching(const std::vector<std::pair<double, double>>& points)
{
    double from = 1e9;
    for (auto it = points.rbegin(); it != points.rend() && it->second <= 0.02; ++it)
        from = it->first;
    return from < 1e9 ? std::to_string(int(from)) + " dB" : "never";
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    bool quick = false;
    QString png = u"hearing.png"_s;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0)
            quick = true;
        else if (std::strcmp(argv[i], "--png") == 0 && i + 1 < argc)
            png = QString::fromLocal8Bit(argv[++i]);
    }
    QTemporaryDir folder;
    const std::filesystem::path files = folder.path().toStdString();

    std::printf("%-38s %6s %8s %11s %12s\n", "case", "dB", "ours", "multimon-ng", "morse2ascii");
    double cpu = 0, audio = 0;
    std::map<std::string, std::vector<std::pair<double, double>>> sweep;
    int row = 0;
    for (const Case& c : cases(quick)) {
        for (const double snr : c.snrs) {
            testsignal::Settings s = c.settings;
            s.snrDb = snr;
            s.text = testsignal::randomText(c.characters, 1000 + row);
            s.seed = std::uint32_t(2000 + row);
            ++row;
            const testsignal::Signal signal = testsignal::render(s);
            const std::string sent = race::normalised(s.text);
            const std::size_t skip = c.afterFive ? 5 : 0;
            const race::Heard ours = race::ours(signal.samples, s.rate);
            const race::Heard multimon = race::multimon(signal.samples, 1200 / s.wpm, files);
            const race::Heard morse2ascii = race::morse2ascii(signal.samples, signal.letterEnds, files);
            cpu += ours.cpuSeconds;
            audio += double(signal.samples.size()) / s.rate;
            const double wrong[] = {race::wrong(sent, ours.text, skip), race::wrong(sent, multimon.text, skip),
                                    race::wrong(sent, morse2ascii.text, skip)};
            std::printf("%-38s %6.0f %7.1f%% %10.1f%% %11.1f%%\n", (c.name + (skip ? " (after 5)" : "")).c_str(), snr,
                        100 * wrong[0], 100 * wrong[1], 100 * wrong[2]);
            std::fflush(stdout);
            if (c.name == "20 wpm, 700 Hz") {
                sweep["ours"].emplace_back(snr, wrong[0]);
                sweep["multimon-ng"].emplace_back(snr, wrong[1]);
                sweep["morse2ascii"].emplace_back(snr, wrong[2]);
            }
        }
    }
    for (const char* name : {"ours", "multimon-ng", "morse2ascii"})
        std::printf("reaches_2pct_%s: %s\n", name, reaching(sweep[name]).c_str());

    // The cost at the highest rate a sound card gives, besides the whole race's.
    testsignal::Settings heavy;
    heavy.rate = 48'000;
    heavy.snrDb = 0;
    heavy.text = testsignal::randomText(200, 99);
    const testsignal::Signal loud = testsignal::render(heavy);
    const race::Heard at48 = race::ours(loud.samples, heavy.rate);
    std::printf("cost_22050: %.2f %% of the audio's duration (%.0f s of audio)\n", 100 * cpu / audio, audio);
    std::printf("cost_48000: %.2f %% of the audio's duration\n",
                100 * at48.cpuSeconds / (double(loud.samples.size()) / heavy.rate));

    const bool drawn = drawChart(png, u"20 wpm machine-sent, 700 Hz, white noise"_s,
                                 {{u"ours"_s, QColor(0, 110, 200), sweep["ours"]},
                                  {u"multimon-ng"_s, QColor(220, 120, 0), sweep["multimon-ng"]},
                                  {u"morse2ascii"_s, QColor(60, 160, 60), sweep["morse2ascii"]}});
    std::printf("chart: %s\n", drawn ? png.toLocal8Bit().constData() : "not drawn");
    return drawn ? 0 : 1;
}
