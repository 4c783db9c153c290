// Whole texts through the keys: writing, reading back, and the key table.

#include "defaultkeys.h"
#include "model/codebook.h"
#include "model/decodability.h"
#include "model/slots.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;
using model::Key;

namespace {

// The default codes of a text of capitals, spaces and line breaks.
QString morse(const QString& capitals)
{
    QString out;
    for (const QChar c : capitals)
        out += c == u' ' ? u"/"_s
            : c == u'\n' ? QString(c)
                         : model::letterCode(int(u"ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ"_s.indexOf(c)));
    return out;
}

// A reading as one line: unread stretches in brackets, unnamed keys as "#".
QString shown(const model::Reading& r)
{
    QString out;
    for (const model::Piece& p : r.pieces)
        out += p.kind == model::Piece::Kind::Unread ? u'[' + p.text + u']' : p.unnamed ? u"#"_s : p.text;
    return out;
}

}  // namespace

class CodebookTest : public QObject {
    Q_OBJECT

private slots:
    void foldsAccentsCaseAndFinalSigma()
    {
        const auto e = model::encodeText(u"άΆαώΏ ϊΐΫΰ ςσΣ α\u0301ι\u0308\u0301\nγ\r\nδ\u2028ε\u2029ζ"_s, defaultKeys());
        QCOMPARE(e.codes, morse(u"ΑΑΑΩΩ ΙΙΥΥ ΣΣΣ ΑΙ\nΓ\nΔ\nΕ\nΖ"_s));
        QVERIFY(e.missing.isEmpty());
    }

    void writesAndReadsTheWorkedExample()
    {
        const auto keys = defaultKeys();  // the custom keys have no codes: nothing reads as them
        const model::Encoding e = model::encodeText(u"Καλή επιτυχία", keys);
        QCOMPARE(e.codes,
                 u" - . - / . - / . - . . / . . . . // . / . - - . / . . / - / - . - - / - - - - / . . / . - /"_s);
        const model::Reading r = model::readMessage(e.codes, keys);
        QCOMPARE(shown(r), u"ΚΑΛΗ ΕΠΙΤΥΧΙΑ"_s);
        QVERIFY(!r.ambiguous);
    }

    void customNamesWinLongestFirst()
    {
        auto keys = defaultKeys();
        keys[25] = {Key::Kind::Custom, u"ΟΥΣ"_s, u"2"_s};
        keys[26] = {Key::Kind::Custom, u"ου"_s, u"1"_s};
        keys[27] = {Key::Kind::Custom, u"Ά"_s, u"3"_s};
        QCOMPARE(model::encodeText(u"αούσα Ου", keys).codes, u"323/1"_s);
        QCOMPARE(shown(model::readMessage(u"323/1", keys)), u"ΆΟΥΣΆ ου"_s);

        // Without a code a custom key stands for nothing: its letters write instead.
        keys[25].code.clear();
        keys[27].name = u"  "_s;
        QCOMPARE(model::encodeText(u"αούσα", keys).codes, morse(u"Α"_s) + u'1' + morse(u"ΣΑ"_s));
        QCOMPARE(shown(model::readMessage(u"3", keys)), u"#"_s);
    }

    void reportsCharactersWithoutKeysOnce()
    {
        auto keys = defaultKeys();
        keys[1].code.clear();  // Β writes nothing, so it is reported like any character with no key
        const model::Encoding e = model::encodeText(u"Ωé!e\u0301é😀!\tβ"_s, keys);
        QCOMPARE(e.codes, morse(u"Ω"_s));
        QCOMPARE(e.missing, (QStringList{u"é"_s, u"!"_s, u"e\u0301"_s, u"😀"_s, u"\t"_s, u"β"_s}));

        // Latin letters that look Greek write their Greek key; the others,
        // and a look-alike whose Greek key writes nothing, have no key.
        const model::Encoding latin = model::encodeText(u"KaΛh pTo Bb cL"_s, keys);
        QCOMPARE(latin.codes, morse(u"ΚΑΛΗ ΡΤΟ  "_s));
        QCOMPARE(latin.lookAlikes, (QStringList{u"K"_s, u"a"_s, u"h"_s, u"p"_s, u"T"_s, u"o"_s}));
        QCOMPARE(latin.missing, (QStringList{u"B"_s, u"b"_s, u"c"_s, u"L"_s}));
    }

    void readsAmbiguousCodes()
    {
        const auto read = [](QStringView message, const QString& a, const QString& b) {
            return model::readMessage(message,
                                      std::vector<Key>{{Key::Kind::Letter, u"Α"_s, a}, {Key::Kind::Letter, u"Β"_s, b}});
        };
        const model::Reading r = read(u"11", u"1"_s, u"11"_s);
        QVERIFY(r.ambiguous);
        QCOMPARE(shown(r), u"Β"_s);  // of equal readings the longer code is shown
        QVERIFY(read(u"1", u"1"_s, u"1"_s).ambiguous);
        QVERIFY(!read(u"110", u"1"_s, u"10"_s).ambiguous);
    }

    void findsTheShortestTwoWaysToWriteAText()
    {
        const auto letters = [](const QStringList& codes) {
            std::vector<Key> keys;
            for (const QString& code : codes)
                keys.push_back({Key::Kind::Letter, model::letterCaption(int(keys.size())), code});
            return keys;
        };
        const auto example = [](const std::vector<Key>& keys) {
            const auto found = model::findAmbiguity(keys);
            if (!found)
                return u"none"_s;
            // Both ways must write the example's text.
            for (const QStringList& way : {found->first, found->second})
                if (!way.isEmpty() && model::encodeText(way.join(u""_s), keys).codes != found->text)
                    return u"wrong: "_s + way.join(u""_s);
            return found->first.join(u""_s) + u'|' + found->second.join(u""_s) + u'|' + found->text;
        };
        QCOMPARE(example(letters({u"1"_s, u"11"_s})), u"ΑΑ|Β|11"_s);
        // Not prefix-free, yet read one way only: 01 is 0 then 1, whatever follows.
        QCOMPARE(example(letters({u"0"_s, u"01"_s, u"11"_s})), u"none"_s);
        // a·bab = ab·ab: no code is both, but the fourth letter tells.
        QCOMPARE(example(letters({u"a"_s, u"ab"_s, u"bab"_s})), u"ΑΓ|ΒΒ|abab"_s);
        QCOMPARE(example(letters({u"x"_s, u""_s})), u"Β||"_s);

        // The design's Morse, with its digits and signs, reads one way; bare
        // Morse, without the letter's end, does not.
        QCOMPARE(example(defaultKeys()), u"none"_s);
        auto bare = defaultKeys();
        for (int i = 0; i < model::letterCount; ++i)
            bare[std::size_t(i)].code = bare[std::size_t(i)].code.remove(u' ').remove(u'/');
        QCOMPARE(model::findAmbiguity(bare)->text.size(), 2);
        QVERIFY(model::readMessage(u".-"_s, bare).ambiguity.startsWith(u"Οι κωδικοί διαβάζονται"_s));
        QVERIFY(model::ambiguityNote(bare).contains(u"γράφουν και τα δύο"_s));
        // A custom key counts once it writes something, named as the table names it.
        auto custom = defaultKeys();
        custom[26].code = u" . - /"_s;
        const auto found = model::findAmbiguity(custom);
        QVERIFY(found);
        QCOMPARE(found->first + found->second, (QStringList{u"Α"_s, u"πλήκτρο 2"_s}));
    }

    void keepsUnreadStretchesWhole()
    {
        const auto keys = defaultKeys();
        // A dot too many: the least left unread is the front, and Ω reads after it.
        QCOMPARE(shown(model::readMessage(u" . . - - /", keys)), u"[ .]Ω"_s);
        QCOMPARE(shown(model::readMessage(u"##\n"_s + morse(u"Ω"_s) + u"@\n"_s, keys)), u"[##]\nΩ[@]\n"_s);
    }

    void readsMorseAsPeopleWriteIt()
    {
        auto keys = defaultKeys();
        keys[25] = {Key::Kind::Custom, u"#"_s, u"y"_s};
        const auto read = [&keys](QStringView message) {
            const model::Reading r = model::readMessage(message, keys);
            return shown(r) + (r.bySymbols.isEmpty() ? u""_s : u"|symbols"_s);
        };
        // The common written form, spacing typed by hand, typographic symbols.
        QCOMPARE(read(u"--. . .. .- / ... .- ..."), u"ΓΕΙΑ ΣΑΣ|symbols"_s);
        QCOMPARE(read(u".-/-.../--./"), u"ΑΒΓ|symbols"_s);
        QCOMPARE(read(u" - - . / . / . . / . - //"), u"ΓΕΙΑ |symbols"_s);
        QCOMPARE(read(u" . . .  / - /"), u"ΣΤ|symbols"_s);
        QCOMPARE(read(u"·−  −···"), u"Α Β|symbols"_s);
        QCOMPARE(read(u".- -...//-.-."), u"ΑΒ Θ|symbols"_s);
        // The forms meet; line breaks and other keys' codes are read as ever,
        // and what is no letter stays unread as it stands.
        QCOMPARE(read(u"... ---\n - . /y .-/..--  .-.-.- ?/ .."), u"ΣΟ\nΝ#Α[..--] .[?] Ι|symbols"_s);
        // What the keys write reads exactly, as it always has.
        QCOMPARE(read(morse(u"ΚΑΛΗ ΕΠΙΤΥΧΙΑ"_s) + u"y"_s), u"ΚΑΛΗ ΕΠΙΤΥΧΙΑ#"_s);

        // A code of one's own is read exactly: symbols mean nothing in it.
        keys[7].code = u"7"_s;
        QCOMPARE(read(u".-/-.../--./"), u"[.-] [-...] [--.] "_s);
    }

    void writesDigitsAndSignsWhereTheCodeHasThem()
    {
        const QString clue = u"Στις 9:30 στο πηγάδι!"_s;
        const QString signs = u"0123456789 . , : ; ? · \u037E \u0387 ' - / ( ) \" = + @ !"_s;
        const auto roundTrip = [](const QString& text, const std::vector<Key>& keys) {
            const model::Encoding e = model::encodeText(text, keys);
            const model::Reading r = model::readMessage(e.codes, keys);
            return shown(r) + (r.ambiguous ? u"|ambiguous"_s : u""_s)
                + (e.missing.isEmpty() ? u""_s : u"|missing "_s + e.missing.join(u""_s));
        };
        // Morse: ITU's digits and signs, in the keys' own form; the Latin
        // question mark and both Greek signs read back as Greek.
        QCOMPARE(model::encodeText(u"9!"_s, defaultKeys()).codes, u" - - - - . / - . - . - - /"_s);
        QCOMPARE(roundTrip(clue, defaultKeys()), u"ΣΤΙΣ 9:30 ΣΤΟ ΠΗΓΑΔΙ!"_s);
        QCOMPARE(roundTrip(signs, defaultKeys()), u"0123456789 . , : ; ; · ; · ' - / ( ) \" = + @ !"_s);
        // ...and the same Morse spelt otherwise, read by its symbols as well.
        auto spelt = defaultKeys();
        for (int i = 0; i < model::letterCount; ++i)
            spelt[std::size_t(i)].code = spelt[std::size_t(i)].code.remove(u' ');
        QCOMPARE(roundTrip(clue, spelt), u"ΣΤΙΣ 9:30 ΣΤΟ ΠΗΓΑΔΙ!"_s);
        QCOMPARE(shown(model::readMessage(u"----. ---... ...-- ----- -.-.--", spelt)), u"9:30!"_s);

        // A letter of one's own: the digits would read as letters, so they have no key.
        auto own = defaultKeys();
        own[1].code = u"1"_s;
        QCOMPARE(roundTrip(u"Β 1!"_s, own), u"Β |missing 1!"_s);

        // A code of letters for letters leaves them as they stand.
        std::vector<Key> caesar = defaultKeys();
        const QString alphabet = u"ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ"_s;
        for (int i = 0; i < model::letterCount; ++i)
            caesar[std::size_t(i)].code = alphabet[(i + 3) % model::letterCount];
        caesar[24].code = u" "_s;
        QCOMPARE(model::encodeText(clue, caesar).codes, u"ΦΧΜΦ 9:30 ΦΧΣ ΤΚΖΔΗΜ!"_s);
        QCOMPARE(roundTrip(clue, caesar), u"ΣΤΙΣ 9:30 ΣΤΟ ΠΗΓΑΔΙ!"_s);
        caesar[0].code = caesar[1].code;  // two letters the same: no longer letters for letters
        QCOMPARE(model::encodeText(u"1"_s, caesar).missing, QStringList{u"1"_s});
    }

    void roundTripsARandomText()
    {
        QRandomGenerator random(20240611);
        const QString alphabet = u"ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ  \n"_s;
        QString capitals, typed;
        for (int i = 0; i < 2000; ++i) {
            const QChar c = alphabet[random.bounded(int(alphabet.size()))];
            capitals += c;
            typed += random.bounded(2) ? c.toLower() : c;
        }
        const model::Reading r = model::readMessage(model::encodeText(typed, defaultKeys()).codes, defaultKeys());
        QCOMPARE(shown(r), capitals);
        QVERIFY(!r.ambiguous);
    }

    void tablesNameAndEscapeEveryKey()
    {
        const std::vector<Key> keys{
            {Key::Kind::Letter, u"Α"_s, u" . -  /"_s}, {Key::Kind::Letter, u"Β"_s, {}},
            {Key::Kind::Separator, u" "_s, u"/"_s},    {Key::Kind::Custom, u"<b>&"_s, u"a\"b"_s},
            {Key::Kind::Custom, {}, u"--"_s},          {Key::Kind::Custom, u"Ω"_s, {}}};
        QCOMPARE(model::keyTablePlain(keys), u"Α\t . -  /\nδιαχωριστικό\t/\n<b>&\ta\"b\nπλήκτρο 2\t--\n"_s);

        const QString html = model::keyTableHtml(keys);
        QStringList cells;
        for (const auto& m : QRegularExpression(u"<td[^>]*>(.*?)</td>"_s).globalMatch(html))
            cells << m.captured(1);
        QCOMPARE(cells,
                 (QStringList{u"Α"_s, u"&nbsp;.&nbsp;-&nbsp;&nbsp;/"_s, u"διαχωριστικό"_s, u"/"_s, u"&lt;b&gt;&amp;"_s,
                              u"a&quot;b"_s, u"πλήκτρο&nbsp;2"_s, u"--"_s}));
        QVERIFY(html.contains(u"<h2"_s) && html.contains(u"font-weight: bold\">a&quot;b"_s));
        // A captioned separator is named in words as well.
        auto named = keys;
        named[2].name = u"/"_s;
        QVERIFY(model::keyTableHtml(named).contains(u">διαχωριστικό&nbsp;«/»</td>"_s));
        QCOMPARE(model::keyTablePlain(named).split(u'\n')[1], u"διαχωριστικό «/»\t/"_s);
    }
};

QTEST_MAIN(CodebookTest)
#include "tst_codebook.moc"
