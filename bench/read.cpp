// bench_read: reading a message of 1,000,000 characters of default Morse
// back into keys, as the read command does with the whole message field.
//
// The message is random letters and separators from a fixed seed, filled up
// to the exact length with separators. Each run's reading is checked (no
// unread piece, one reading only), so a broken reading is never timed as fast.
//
// Prints "read_1000000_median: X ms" and "read_1000000_max: X ms".
//
// Then the check that runs on every change of the codes box's preview:
// whether 28 codes of 200 characters read back one way only, the worst of
// three families (random codes; each a prefix of the next, cut from one
// random string; and the same cut from a string of one symbol, where every
// code is a prefix of every longer one). Prints "decodable_28x200_median"
// and "decodable_28x200_max", over all of them.

#include "model/codebook.h"
#include "model/decodability.h"
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

    QString random200, same200(200, u'.');
    for (int i = 0; i < 200; ++i)
        random200 += u".-/ "_s[random.bounded(4)];
    std::vector<std::vector<model::Key>> families(3, keys);
    for (int k = 0; k < model::slotCount; ++k) {
        QString own;
        for (int i = 0; i < 200; ++i)
            own += u".-/ "_s[random.bounded(4)];
        families[0][std::size_t(k)].code = own;
        families[1][std::size_t(k)].code = random200.left(200 - k);
        families[2][std::size_t(k)].code = same200.left(200 - k);
    }
    std::vector<double> checks;
    for (const auto& family : families) {
        for (int run = 0; run <= runs; ++run) {
            const auto start = std::chrono::steady_clock::now();
            const bool ambiguous = model::findAmbiguity(family).has_value();
            const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
            if (ambiguous != (&family == &families[2])) {
                std::fprintf(stderr, "bench_read: the check found %s\n", ambiguous ? "ambiguity" : "none");
                return 1;
            }
            if (run > 0)
                checks.push_back(took.count());
        }
    }
    std::sort(checks.begin(), checks.end());
    std::printf("decodable_28x200_median: %.3f ms\n", checks[checks.size() / 2]);
    std::printf("decodable_28x200_max: %.3f ms\n", checks.back());
    return 0;
}
