// bench_read: reading a message of 1,000,000 characters of default Morse
// back into keys, as the read command does with the whole message field.
//
// The message is random letters and separators from a fixed seed, filled up
// to the exact length with separators. Each run's reading is checked (no
// unread piece, one reading only), so a broken reading is never timed as fast.
//
// Prints "read_1000000_median: X ms" and "read_1000000_max: X ms".

#include "model/codebook.h"
#include "model/slots.h"

#include <QRandomGenerator>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

int main()
{
    constexpr qsizetype length = 1'000'000;
    constexpr int runs = 9;

    std::vector<model::Key> keys;
    keys.reserve(model::slotCount);
    for (int i = 0; i < model::letterCount; ++i)
        keys.push_back({model::Key::Kind::Letter, model::letterCaption(i), model::letterCode(i)});
    keys.push_back({model::Key::Kind::Separator, u"/"_s, QString::fromUtf16(model::separatorDefault)});
    for (int k = 0; k < model::customCount; ++k)
        keys.push_back({model::Key::Kind::Custom, {}, {}});

    QRandomGenerator random(1000000);
    QString message;
    message.reserve(length);
    for (;;) {
        const model::Key& key = keys[random.bounded(model::letterCount + 1)];
        if (message.size() + key.code.size() > length)
            break;
        message += key.code;
    }
    message += QString(length - message.size(), u'/');

    std::vector<double> ms;
    for (int run = 0; run <= runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const model::Reading reading = model::readMessage(message, keys);
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        const bool whole = std::none_of(reading.pieces.begin(), reading.pieces.end(),
                                        [](const model::Piece& p) { return p.kind == model::Piece::Kind::Unread; });
        if (!whole || reading.ambiguous) {
            std::fprintf(stderr, "bench_read: the message did not read back whole and in one way\n");
            return 1;
        }
        if (run > 0)  // the first run only warms the caches
            ms.push_back(took.count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("read_%lld_median: %.3f ms\n", (long long)length, ms[ms.size() / 2]);
    std::printf("read_%lld_max: %.3f ms\n", (long long)length, ms.back());
    return 0;
}
