// Morse as sent: what sounds, for how long, and what is left silent.

#include "model/sending.h"

#include <QTest>

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
};

QTEST_MAIN(SendingTest)
#include "tst_sending.moc"
