#include "race.h"

#include "decoder/decoder.h"
#include "decoder/itu.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <fstream>
#include <iterator>

namespace race {

namespace {

double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

std::vector<std::int16_t> sixteenBits(const std::vector<float>& samples)
{
    std::vector<std::int16_t> out(samples.size());
    std::transform(samples.begin(), samples.end(), out.begin(),
                   [](float x) { return std::int16_t(std::lround(std::clamp(x, -1.f, 1.f) * 32767)); });
    return out;
}

std::string run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    process.waitForFinished(600'000);
    return process.readAllStandardOutput().toStdString();
}

template <typename T> void put(std::ofstream& out, T value)
{
    out.write(reinterpret_cast<const char*>(&value), sizeof value);
}

}  // namespace

std::string normalised(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!out.empty() && out.back() != ' ')
                out += ' ';
        } else {
            out += char(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

double wrong(const std::string& sentText, const std::string& heardText, std::size_t skip)
{
    // Letters and digits only: morse2ascii writes no gap between words at
    // all, so a word's gap is scored for none of the three.
    const auto letters = [](const std::string& text) {
        std::string out;
        std::copy_if(text.begin(), text.end(), std::back_inserter(out), [](char c) { return c != ' '; });
        return out;
    };
    const std::string sent = letters(sentText), heard = letters(heardText);
    // Edit distance with its path, so each edit is laid at a sent character.
    const std::size_t n = sent.size(), m = heard.size();
    std::vector<std::vector<std::uint32_t>> d(n + 1, std::vector<std::uint32_t>(m + 1));
    for (std::size_t i = 0; i <= n; ++i)
        d[i][0] = std::uint32_t(i);
    for (std::size_t j = 0; j <= m; ++j)
        d[0][j] = std::uint32_t(j);
    for (std::size_t i = 1; i <= n; ++i)
        for (std::size_t j = 1; j <= m; ++j)
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (sent[i - 1] != heard[j - 1])});
    std::size_t i = n, j = m, errors = 0;
    while (i > 0 || j > 0) {
        const bool counted = (i > 0 ? i - 1 : 0) >= skip;
        if (i > 0 && j > 0 && d[i][j] == d[i - 1][j - 1] + (sent[i - 1] != heard[j - 1])) {
            errors += counted && sent[i - 1] != heard[j - 1];
            --i;
            --j;
        } else if (i > 0 && d[i][j] == d[i - 1][j] + 1) {
            errors += counted;
            --i;
        } else {
            errors += counted;
            --j;
        }
    }
    return n > skip ? double(errors) / double(n - skip) : 0.0;
}

Heard ours(const std::vector<float>& samples, int rate)
{
    const double start = threadSeconds();
    decoder::Decoder heard(rate);
    const std::size_t block = std::size_t(rate / 50);
    for (std::size_t at = 0; at < samples.size(); at += block)
        heard.feed(std::span(samples).subspan(at, std::min(block, samples.size() - at)));
    heard.finish();
    const double cpu = threadSeconds() - start;
    return {normalised(decoder::ituText(heard.text())), cpu};
}

Heard multimon(const std::vector<float>& samples, int dotMs, const std::filesystem::path& folder)
{
    const std::filesystem::path file = folder / "signal.raw";
    const std::vector<std::int16_t> s16 = sixteenBits(samples);
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(s16.data()), std::streamsize(s16.size() * 2));
    const std::string out
        = run(QStringLiteral("multimon-ng"),
              {QStringLiteral("-q"), QStringLiteral("-a"), QStringLiteral("MORSE_CW"), QStringLiteral("-t"),
               QStringLiteral("raw"), QStringLiteral("-d"), QString::number(dotMs), QStringLiteral("-g"),
               QString::number(dotMs), QString::fromStdString(file.string())});
    // Its lines start with the demodulator's name; the rest is what it read.
    std::string text;
    std::size_t from = 0;
    while (from < out.size()) {
        std::size_t end = out.find('\n', from);
        if (end == std::string::npos)
            end = out.size();
        std::string line = out.substr(from, end - from);
        if (line.rfind("MORSE_CW: ", 0) == 0)
            line = line.substr(10);
        text += line;
        from = end + 1;
    }
    return {normalised(text), 0};
}

Heard morse2ascii(const std::vector<float>& samples, const std::vector<double>& letterEnds,
                  const std::filesystem::path& folder)
{
    constexpr double piece = 50, rate = 22'050;
    std::vector<std::size_t> cuts{0};
    for (std::size_t i = 0; i < letterEnds.size(); ++i) {
        const bool last = i + 1 == letterEnds.size();
        if (last || letterEnds[i + 1] - double(cuts.back()) / rate > piece)
            cuts.push_back(last ? samples.size() : std::size_t((letterEnds[i] + 0.02) * rate));
    }
    if (cuts.back() != samples.size())
        cuts.push_back(samples.size());
    std::string text;
    for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
        const std::filesystem::path file = folder / "signal.wav";
        // Each piece after the first opens with the signal's first second,
        // the noise alone before any tone: it reads nothing without one.
        std::vector<float> part(samples.begin(), samples.begin() + std::ptrdiff_t(k > 0 ? rate : 0));
        part.insert(part.end(), samples.begin() + std::ptrdiff_t(cuts[k]),
                    samples.begin() + std::ptrdiff_t(cuts[k + 1]));
        const std::vector<std::int16_t> s16 = sixteenBits(part);
        std::ofstream out(file, std::ios::binary);
        const auto bytes = std::uint32_t(s16.size() * 2);
        out.write("RIFF", 4);
        put(out, std::uint32_t(36 + bytes));
        out.write("WAVEfmt ", 8);
        put(out, std::uint32_t(16));
        put(out, std::uint16_t(1));
        put(out, std::uint16_t(1));
        put(out, std::uint32_t(rate));
        put(out, std::uint32_t(rate * 2));
        put(out, std::uint16_t(2));
        put(out, std::uint16_t(16));
        out.write("data", 4);
        put(out, bytes);
        out.write(reinterpret_cast<const char*>(s16.data()), std::streamsize(bytes));
        out.close();
        // It prints what it read on standard output (its report goes to the
        // error stream), lower case and with no gaps between words.
        text += run(QStringLiteral("morse2ascii"), {QString::fromStdString(file.string())});
    }
    return {normalised(text), 0};
}

}  // namespace race
