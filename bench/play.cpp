// bench_play: what a play costs before its first sound, for a message of
// 100,000 characters of default Morse: timing the message, making its
// stream and computing its first second of samples, as the listening box
// does. The goal is well under the second those samples take to play.
//
// Prints "play_prepare_100000_median: X ms" and "..._max: X ms", median and
// maximum of 9.

#include "model/sending.h"
#include "model/slots.h"
#include "sound/tone.h"

#include <QRandomGenerator>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

int main()
{
    constexpr qsizetype length = 100'000;
    constexpr int runs = 9;
    QRandomGenerator random(100000);
    QString message;
    while (message.size() < length) {
        const int letter = int(random.bounded(model::letterCount + 1));
        message += letter == model::letterCount ? QStringLiteral("/") : model::letterCode(letter);
    }
    message.truncate(length);

    std::vector<double> ms;
    std::vector<qint16> second(model::sampleRate);
    for (int run = 0; run <= runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        model::Sending sending = model::timeMorse(message, {});
        sound::ToneStream stream(std::move(sending), 700, sound::leadInSamples);
        const qsizetype rendered = stream.render(second);
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        if (rendered != model::sampleRate || stream.sending().silent != 0) {
            std::fprintf(stderr, "bench_play: the message did not make a second of sound\n");
            return 1;
        }
        if (run > 0)
            ms.push_back(took.count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("play_prepare_%lld_median: %.3f ms\n", (long long)length, ms[ms.size() / 2]);
    std::printf("play_prepare_%lld_max: %.3f ms\n", (long long)length, ms.back());
    return 0;
}
