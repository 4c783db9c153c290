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
//
// Last, a message of 100,000 characters in each other built-in code, written
// as people write it by hand (numbers with commas, Polybius's pairs unbroken,
// a phone's digits run together, Braille with spaces and capital signs, a
// substitution in small letters), read by that code's own symbols: prints
// "read_by_hand_100000_max", the slowest code's median.

#include "model/codebook.h"
#include "model/codes.h"
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

    struct ByHand {
        model::CodeKind kind;
        QString word, gap;  // ΚΑΛΗ as written by hand, and what goes between words
    };
    const ByHand forms[] = {{model::CodeKind::Numbers, u"10,1,11,7"_s, u" / "_s},
                            {model::CodeKind::Polybius, u"25113122"_s, u" / "_s},
                            {model::CodeKind::Phone, u"52554"_s, u"0"_s},
                            {model::CodeKind::Braille, u"⠨⠨⠅⠁⠇⠜"_s, u" "_s},
                            {model::CodeKind::Caesar, u"νδξκ"_s, u" "_s}};
    double slowest = 0;
    for (const ByHand& form : forms) {
        model::CodeChoice choice;
        choice.kind = form.kind;
        const std::vector<model::Key> loaded = model::loadCode(choice, keys).keys;
        QString byHand;
        while (byHand.size() < 100'000)
            byHand += form.word + form.gap;
        byHand.truncate(100'000 - form.word.size() - form.gap.size());
        byHand += form.gap + form.word;
        std::vector<double> times;
        for (int run = 0; run <= runs; ++run) {
            const auto start = std::chrono::steady_clock::now();
            const model::Reading reading = model::readMessage(byHand, loaded);
            const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
            if (reading.bySymbols.isEmpty() || reading.pieces.back().text != u"Η"_s) {
                std::fprintf(stderr, "bench_read: %s by hand did not read\n", qPrintable(model::codeName(form.kind)));
                return 1;
            }
            if (run > 0)
                times.push_back(took.count());
        }
        std::sort(times.begin(), times.end());
        slowest = std::max(slowest, times[times.size() / 2]);
    }
    std::printf("read_by_hand_100000_max: %.3f ms\n", slowest);
    return 0;
}
