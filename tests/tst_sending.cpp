// Morse as sent: what sounds, for how long, and what is left silent; and as
// a device is fed it, a play after another, a stop that fades out.

#include "model/sending.h"
#include "sound/feed.h"
#include "sound/tone.h"

#include <QTest>
#include <cmath>
#include <numbers>

using namespace Qt::StringLiterals;

namespace {

// The spans in units of a dot: "+3" a tone of three, "-1" a silence of one.
QString units(const model::Sending& sending)
{
    QStringList out;
    for (const model::Span& span : sending.spans) {
        const qint64 whole = span.samples / sending.dotSamples;
        out << (span.tone ? u"+"_s : u"-"_s) + QString::number(whole)
                + (span.samples == whole * sending.dotSamples ? u""_s : u"+part"_s);
    }
    return out.join(u' ');
}

}  // namespace

class SendingTest : public QObject {
    Q_OBJECT

private slots:
    void symbolsLettersAndWords()
    {
        // Α, Ε and the separator as the keys write them: dot, dash, a letter's gap, dot, a word's.
        const model::Sending ae = model::timeMorse(u" . - / . //", {});
        QCOMPARE(ae.dotSamples, 3840);  // 80 ms at 15 words a minute
        QCOMPARE(units(ae), u"+1 -1 +3 -3 +1 -7"_s);
        QCOMPARE(ae.spans[2].at, 3);
        QCOMPARE(ae.silent, 0);

        // Spaces are spelling; other dashes and dots are dashes and dots; a
        // line break ends a word; what is no Morse is silent and counted.
        const model::Sending mixed = model::timeMorse(u" -   - . /y\n·− x / /", {});
        QCOMPARE(units(mixed), u"+3 -1 +3 -1 +1 -7 +1 -1 +3 -7"_s);
        QCOMPARE(mixed.silent, 2);

        QVERIFY(model::timeMorse(u"", {}).spans.empty());
        const model::Sending none = model::timeMorse(u"Καλή //", {});
        QVERIFY(none.spans.empty());
        QCOMPARE(none.silent, 4);
    }

    void parisTakesAMinuteOverTheWordsOfItsSpeed()
    {
        // PARIS and a word's gap is the standard word: at 15 words a minute
        // it lasts 4 s; spaced out to 10 with its symbols at 20, 6 s.
        const QString paris = u".--./.-/.-./../...//"_s;
        QCOMPARE(model::timeMorse(paris, {}).samples, 4 * model::sampleRate);
        const model::Sending farnsworth = model::timeMorse(paris, {20, 10, 700});
        QVERIFY(std::abs(farnsworth.samples - 6 * model::sampleRate) <= 2);
        QCOMPARE(farnsworth.spans.front().samples, 2880);  // a dot still at 20

        // Out of range: brought into it.
        QCOMPARE(model::timeMorse(paris, {100, 100, 0}).dotSamples, 1440);
        QCOMPARE(model::timeMorse(paris, {5, 9, 0}).samples, 12 * model::sampleRate);
    }

    void theLightShowsEverySymbolInTurnThoughLate()
    {
        // Α (dot, dash) and a dot, at 20 words a minute (a dot 2,880 samples).
        const sound::ToneStream stream(model::timeMorse(u".-/."_s, {20, 20, 700}), 700, 0);
        sound::Light light(stream);
        const auto lit = [&](qint64 at) { return light.look(at) != nullptr; };
        QVERIFY(lit(10));
        // The machine stood still from the dot to the dash: the gap between
        // them is shown first, for no longer than is seen, lest the dot and
        // the dash run into one long flash.
        const qint64 inDash = 2880 * 2 + 100;
        QVERIFY(!lit(inDash));
        QCOMPARE(light.nextLook(inDash), inDash + sound::lateSamples);
        QVERIFY(!lit(inDash + 10));  // the gap still held
        QVERIFY(lit(inDash + sound::lateSamples));
        // Then it stood still past the end: what is left comes late, each
        // span on its own, the last dot one flash; only then is it done.
        int flashes = 0;
        bool was = true;
        for (qint64 at = stream.length() + 50, looks = 0; !light.done() && looks < 10;
             at = light.nextLook(at), ++looks) {
            const bool on = lit(at);
            flashes += on && !was;
            was = on;
        }
        QVERIFY(light.done());
        QCOMPARE(flashes, 1);
    }

    void aStopFadesOutAndTheNextPlayFollowsIt()
    {
        // A dash of 720 ms, stopped 104 ms in: what the device is given next
        // falls to silence within one edge, never steeper than a tone's own
        // edge (a cut is a click), and the feed is idle once the device has
        // asked for as much beyond the fade as it can hold: then the fade has
        // come out of the speaker, whatever the device's clock says.
        const model::SendSettings slow{5, 5, 700};
        sound::Feed feed;
        const qint64 holds = 7'200;  // what the device holds, 150 ms
        feed.play(std::make_unique<sound::ToneStream>(model::timeMorse(u"-"_s, slow), 700, 0));
        std::vector<qint16> given(5000);  // a stop away from the tone's zero crossings
        feed.render(given);
        QCOMPARE(feed.played(1000), 1000);
        QVERIFY(!feed.idle(holds));
        feed.stop();
        const qint16 last = given.back();
        feed.render(given);
        const double steepest = 16384
                * (2 * std::numbers::pi * 700 / model::sampleRate + std::numbers::pi / 2 / double(sound::edgeSamples))
            + 1;
        double step = std::abs(given.front() - last);
        for (std::size_t i = 1; i < given.size(); ++i)
            step = std::max(step, double(std::abs(given[i] - given[i - 1])));
        QVERIFY2(step <= steepest, qPrintable(u"a step of %1 where a tone's steepest is %2"_s.arg(step).arg(steepest)));
        QVERIFY(std::all_of(given.begin() + sound::edgeSamples, given.end(), [](qint16 v) { return v == 0; }));
        const qint64 faded = qint64(given.size()) + sound::edgeSamples;
        QVERIFY(!feed.idle(holds));  // 5,000 beyond its start, less than a device holds
        feed.render(given);
        QVERIFY(feed.idle(holds));

        // The next play starts where the device is being fed now, and what
        // has been heard of it counts from there.
        feed.play(std::make_unique<sound::ToneStream>(model::timeMorse(u"."_s, slow), 700, 0));
        QCOMPARE(feed.played(faded), 0);
        feed.render(given);
        QVERIFY(given.front() == 0 && std::abs(given[sound::edgeSamples + 10]) > 1000);
        QCOMPARE(feed.played(3 * qint64(given.size()) + 500), 500);
        QVERIFY(!feed.idle(holds));
    }
};

QTEST_MAIN(SendingTest)
#include "tst_sending.moc"
