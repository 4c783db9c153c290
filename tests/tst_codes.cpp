// The built-in codes, and code tables read back from the clipboard.

#include "defaultkeys.h"
#include "model/codes.h"
#include "model/slots.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QRawFont>
#include <QRegularExpression>
#include <QTest>

#include <array>
#include <cmath>

using namespace Qt::StringLiterals;
using model::CodeKind;
using model::Key;

namespace {

// The 24 letters' codes, then the separator's, after `|`; the separator's caption after `@`.
QString shown(const std::vector<Key>& keys)
{
    QStringList letters;
    for (int i = 0; i < model::letterCount; ++i)
        letters << keys[std::size_t(i)].code;
    return letters.join(u'|') + u" |"_s + keys[24].code + u'@' + keys[24].name;
}

model::CodeChoice code(CodeKind kind, int shift = 3, const QString& word = u"ΠΡΟΣΚΟΠΟΣ"_s)
{
    model::CodeChoice choice;
    choice.kind = kind;
    choice.shift = shift;
    choice.word = word;
    return choice;
}

QString load(const model::CodeChoice& choice) { return shown(model::loadCode(choice, defaultKeys()).keys); }

}  // namespace

class CodesTest : public QObject {
    Q_OBJECT

private slots:
    void builtInCodesWhole()
    {
        QCOMPARE(model::loadCode({}, defaultKeys()).keys, defaultKeys());
        QCOMPARE(load(code(CodeKind::Numbers)),
                 u"1 |2 |3 |4 |5 |6 |7 |8 |9 |10 |11 |12 |13 |14 |15 |16 |17 |18 |19 |20 |21 |22 |23 |24  |/ @/ "_s);
        QCOMPARE(load(code(CodeKind::Reversed)), u"Ω|Ψ|Χ|Φ|Υ|Τ|Σ|Ρ|Π|Ο|Ξ|Ν|Μ|Λ|Κ|Ι|Θ|Η|Ζ|Ε|Δ|Γ|Β|Α | @␣"_s);
        QCOMPARE(load(code(CodeKind::Caesar)), u"Δ|Ε|Ζ|Η|Θ|Ι|Κ|Λ|Μ|Ν|Ξ|Ο|Π|Ρ|Σ|Τ|Υ|Φ|Χ|Ψ|Ω|Α|Β|Γ | @␣"_s);
        QCOMPARE(load(code(CodeKind::Caesar, 23)), u"Ω|Α|Β|Γ|Δ|Ε|Ζ|Η|Θ|Ι|Κ|Λ|Μ|Ν|Ξ|Ο|Π|Ρ|Σ|Τ|Υ|Φ|Χ|Ψ | @␣"_s);
        QCOMPARE(load(code(CodeKind::Keyword)), u"Π|Ρ|Ο|Σ|Κ|Α|Β|Γ|Δ|Ε|Ζ|Η|Θ|Ι|Λ|Μ|Ν|Ξ|Τ|Υ|Φ|Χ|Ψ|Ω | @␣"_s);
        QCOMPARE(load(code(CodeKind::Polybius)),
                 u"11 |12 |13 |14 |15 |21 |22 |23 |24 |25 |31 |32 |33 |34 |35 |41 |42 |43 "
                 u"|44 |45 |51 |52 |53 |54  |/ @/ "_s);
        QCOMPARE(load(code(CodeKind::Phone)),
                 u"2 |22 |222 |3 |33 |333 |4 |44 |444 |5 |55 |555 |6 |66 |666 |7 |77 |777 "
                 u"|8 |88 |888 |9 |99 |999  |0 @0 "_s);
        QCOMPARE(load(code(CodeKind::Braille)), u"⠁|⠃|⠛|⠙|⠑|⠵|⠜|⠹|⠊|⠅|⠇|⠍|⠝|⠭|⠕|⠏|⠗|⠎|⠞|⠽|⠋|⠓|⠯|⠚ |⠀@␣"_s);
        // Twelve o'clock, half past twelve, one o'clock... as Unicode's chart names them.
        QCOMPARE(load(code(CodeKind::Clock)), u"🕛|🕧|🕐|🕜|🕑|🕝|🕒|🕞|🕓|🕟|🕔|🕠|🕕|🕡|🕖|🕢|🕗|🕣|🕘|🕤|🕙|🕥|🕚|🕦 | @␣"_s);
        QCOMPARE(load(code(CodeKind::Pigpen)).left(3), u"\uE000|\uE001"_s.left(3));
    }

    void pictureSymbolsDrawnAsTaught()
    {
        // Each symbol as the program's face draws it, looked at where the
        // lines of the key would be: a grid letter's cell has a side where
        // it borders another cell, a cross letter's two arms meet across
        // from its open side, and the second grid and cross add a dot.
        QFile file(u":/fonts/Pictures.ttf"_s);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QRawFont face(file.readAll(), 200);
        QVERIFY(face.isValid());
        const auto draw = [&](char32_t symbol) {
            const QList<quint32> glyphs = face.glyphIndexesForString(QString::fromUcs4(&symbol, 1));
            QImage image(400, 300, QImage::Format_Grayscale8);
            image.fill(255);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            QPainterPath path = face.pathForGlyph(glyphs.value(0)).translated(50, 250);
            path.setFillRule(Qt::WindingFill);  // as text is filled: the strokes overlap
            p.fillPath(path, Qt::black);
            return image;
        };
        const auto inked = [](const QImage& image, QPointF at) { return qGray(image.pixel(at.toPoint())) < 128; };
        const auto lineInked = [&](const QImage& image, QPointF a, QPointF b) {
            int ink = 0;
            for (int i = 2; i <= 8; ++i)
                ink += inked(image, a + (b - a) * i / 10.0);
            return ink == 7 ? 1 : ink == 0 ? 0 : -1;  // all, none, or neither
        };
        // The cell: the centre letter's, whose four sides all have lines.
        const QImage middle = draw(model::firstPigpen + 4);
        QRect cell;
        for (int y = 0; y < middle.height(); ++y)
            for (int x = 0; x < middle.width(); ++x)
                if (qGray(middle.pixel(x, y)) < 128)
                    cell |= QRect(x, y, 1, 1);
        const qreal inset = 7;  // half a line: the middle of each line
        const QRectF box = QRectF(cell).adjusted(inset, inset, -inset, -inset);
        const QPointF tl = box.topLeft(), tr = box.topRight(), bl = box.bottomLeft(), br = box.bottomRight();
        const QPointF t = (tl + tr) / 2, b = (bl + br) / 2, l = (tl + bl) / 2, r = (tr + br) / 2, c = box.center();
        for (int letter = 0; letter < 24; ++letter) {
            const QImage glyph = draw(model::firstPigpen + letter);
            QString drawn, taught;
            if (letter < 18) {
                const int row = letter % 9 / 3, column = letter % 3;
                taught = u"%1%2%3%4%5"_s.arg(column < 2).arg(column > 0).arg(row > 0).arg(row < 2).arg(letter >= 9);
                drawn = u"%1%2%3%4%5"_s.arg(lineInked(glyph, tr, br))
                            .arg(lineInked(glyph, tl, bl))
                            .arg(lineInked(glyph, tl, tr))
                            .arg(lineInked(glyph, bl, br))
                            .arg(inked(glyph, c));
            } else {
                // top, left, right, bottom: arms from its open side's corners
                // to the point across, and the dot in the middle of what they hold
                const auto side = std::size_t(letter - 18) % 4;
                const std::array<std::array<QPointF, 3>, 4> arms{{{tl, b, tr}, {tl, r, bl}, {tr, l, br}, {bl, t, br}}};
                const auto& arm = arms[side];
                taught = u"11%1"_s.arg(letter >= 22);
                drawn = u"%1%2%3"_s.arg(lineInked(glyph, arm[0], arm[1]))
                            .arg(lineInked(glyph, arm[1], arm[2]))
                            .arg(inked(glyph, (arm[0] + arm[1] + arm[2]) / 3));
            }
            QVERIFY2(drawn == taught, qPrintable(u"letter %1: %2, taught %3"_s.arg(letter).arg(drawn, taught)));
        }

        // A clock face's hands: the minute hand alone reaches two thirds of
        // the way to the rim; the hour hand halfway less a little.
        for (int letter = 0; letter < 24; ++letter) {
            const char32_t symbol = model::clockFace(letter);
            const bool half = symbol >= 0x1F55C;
            const int hour = int(symbol - (half ? 0x1F55C : 0x1F550)) + 1;  // by the chart
            const QImage glyph = draw(symbol);
            QRect rim;
            for (int y = 0; y < glyph.height(); ++y)
                for (int x = 0; x < glyph.width(); ++x)
                    if (qGray(glyph.pixel(x, y)) < 128)
                        rim |= QRect(x, y, 1, 1);
            const QPointF centre = QRectF(rim).center();
            const qreal radius = rim.width() / 2.0;
            // Where the dial is inked, `reach` of the way to the rim, at a
            // step of the 48 around it (a quarter of an hour each).
            const auto inkedAt = [&](int step, qreal reach) {
                const qreal angle = step * M_PI / 24;
                return inked(glyph, centre + QPointF(std::sin(angle), -std::cos(angle)) * radius * reach);
            };
            const int minuteStep = half ? 24 : 0, hourStep = hour % 12 * 4 + (half ? 2 : 0);
            QString hands;
            for (int step = 0; step < 48; ++step) {
                const int fromMinute = std::min((step - minuteStep + 48) % 48, (minuteStep - step + 48) % 48);
                if (fromMinute != 1 && inkedAt(step, 0.6) != (fromMinute == 0))
                    hands += u" minute hand wrong at %1"_s.arg(step);
            }
            if (!inkedAt(hourStep, 0.3))
                hands += u" no hour hand at %1"_s.arg(hourStep);
            QVERIFY2(hands.isEmpty(), qPrintable(u"letter %1:"_s.arg(letter) + hands));
        }
    }

    void keywordFoldsAndDropsRepeats()
    {
        model::CodeChoice choice = code(CodeKind::Keyword);
        // Accents, case, final sigma, Latin look-alikes and non-letters: all
        // as a text to write is read; a letter counts at its first appearance.
        choice.word = u"ς-Ώμέγα! ΟΣ"_s;
        QVERIFY(load(choice).startsWith(u"Σ|Ω|Μ|Ε|Γ|Α|Ο|Β|Δ|Ζ|Η|"_s));
        QVERIFY(model::loadCode(choice, defaultKeys()).notes.isEmpty());
        // Each note says what was done with the word, and only what is true.
        const auto notes = [&choice](const QString& word) {
            choice.word = word;
            const model::LoadedCode loaded = model::loadCode(choice, defaultKeys());
            return shown(loaded.keys).left(8) + u' ' + loaded.notes.join(u'/');
        };
        QCOMPARE(notes(u"SKOYT"_s),
                 u"Κ|Ο|Υ|Τ| Λατινικά, μπήκαν ως τα ελληνικά που μοιάζουν: «K» «O» «Y» «T»./"
                 u"Δεν είναι ελληνικά γράμματα και δεν μπαίνουν στη σειρά: «S»."_s);
        QCOMPARE(notes(u"12"_s),
                 u"Α|Β|Γ|Δ| Δεν είναι ελληνικά γράμματα και δεν μπαίνουν στη σειρά: «1» «2»./"
                 u"Η λέξη δεν έχει ελληνικά γράμματα· κάθε γράμμα γράφεται όπως είναι."_s);
        for (const QString& word : {u"ΑΒΓ"_s, u"ααα"_s})
            QCOMPARE(notes(word), u"Α|Β|Γ|Δ| Η λέξη αφήνει το αλφάβητο όπως είναι· κάθε γράμμα γράφεται όπως είναι."_s);
    }

    void brailleAsLiblouisWritesGreek()
    {
#ifdef Q_OS_WIN
        QSKIP("liblouis's table is read on Linux; the code is the same data there");
#endif
        QFile table(u"/usr/share/liblouis/tables/el.ctb"_s);
        QVERIFY2(table.open(QIODevice::ReadOnly), "liblouis's Greek table (Debian's liblouis-data) is missing");
        // "lowercase \x03B1	1	# α Alpha": a small letter and its dots.
        const QRegularExpression line(u"^lowercase \\\\x03(B[1-9A-F]|C[0-9])\\s+([1-8]+)\\s"_s,
                                      QRegularExpression::MultilineOption);
        QString cells;
        for (const auto& m : line.globalMatch(QString::fromUtf8(table.readAll()))) {
            if (m.captured(1) == u"C2"_s)
                continue;  // final sigma, which has no key of its own
            char16_t cell = 0x2800;
            for (const QChar dot : m.captured(2))
                cell |= char16_t(1 << (dot.unicode() - u'1'));
            cells += QChar(cell);
        }
        const std::vector<Key> braille = model::loadCode(code(CodeKind::Braille), defaultKeys()).keys;
        QString ours;
        for (int i = 0; i < model::letterCount; ++i)
            ours += braille[std::size_t(i)].code;
        QCOMPARE(ours, cells);
    }

    void brailleDigitsAndSignsAsLiblouisWritesThem()
    {
#ifdef Q_OS_WIN
        QSKIP("liblouis runs on Linux; the code is the same data there");
#endif
        // Lower case without accents or diphthongs: the letters' code has no
        // capital sign, accent or contraction, which liblouis would write.
        const QString texts[] = {
            u"στις 9:30 στο πηγαδι!"_s,
            u"12.345,6 με 1..2 (9) «1» α, 5, 6 α.5 1-2"_s,
            u"α. β, γ: δ\u037E ε! ζ? η' θ- (ι) «κ» λ\u0387μ \"ν\" ξ"_s,
        };
        const std::vector<Key> braille = model::loadCode(code(CodeKind::Braille), defaultKeys()).keys;
        for (const QString& text : texts) {
            QProcess louis;
            louis.start(u"lou_translate"_s, {u"--forward"_s, u"unicode.dis,el.ctb"_s});
            QVERIFY2(louis.waitForStarted(), "lou_translate (Debian's liblouis-bin) is missing");
            louis.write(text.toUtf8() + '\n');
            louis.closeWriteChannel();
            QVERIFY(louis.waitForFinished(10'000));
            const QString expected = QString::fromUtf8(louis.readAllStandardOutput()).trimmed();
            const QString ours = model::encodeText(text, braille).codes;
            QCOMPARE(ours, expected);

            // Read back: the text's capitals, the Greek question mark and
            // ano teleia as their usual forms. A closing quote's cells are
            // also a closing guillemet and an apostrophe, as Braille has it.
            const model::Reading reading = model::readMessage(ours, braille);
            QString back;
            for (const model::Piece& piece : reading.pieces)
                back += piece.kind == model::Piece::Kind::Unread ? u'[' + piece.text + u']' : piece.text;
            QCOMPARE(back, model::fold(text));
            QVERIFY(!reading.ambiguous);  // a closing quote is also » and ', which never follow each other
        }
        // A number runs into a letter whose cell is a digit's: liblouis writes
        // them so, and the writer says where.
        const QString kilometres = u"2χλμ, 3 β με 7α"_s;
        QProcess louis;
        louis.start(u"lou_translate"_s, {u"--forward"_s, u"unicode.dis,el.ctb"_s});
        louis.write(kilometres.toUtf8() + '\n');
        louis.closeWriteChannel();
        QVERIFY(louis.waitForFinished(10'000));
        const model::Encoding written = model::encodeText(kilometres, braille);
        QCOMPARE(written.codes, QString::fromUtf8(louis.readAllStandardOutput()).trimmed());
        QCOMPARE(written.runTogether, (QStringList{u"2χ"_s, u"7α"_s}));
    }

    void eachCodeReadAsPeopleWriteIt()
    {
        const auto read = [](CodeKind kind, const QString& message) {
            const model::Reading r = model::readMessage(message, model::loadCode(code(kind), defaultKeys()).keys);
            QString out;
            for (const model::Piece& p : r.pieces)
                out += p.kind == model::Piece::Kind::Unread ? u'[' + p.text + u']' : p.text;
            return out + (r.bySymbols.isEmpty() ? u""_s : u"|by hand"_s);
        };
        // What the keys write reads exactly, as ever.
        QCOMPARE(read(CodeKind::Numbers, u"10 1 11 7 / 5 "_s), u"ΚΑΛΗ Ε"_s);
        // Numbers between any gaps, the last with nothing after it; a word
        // ends at "/", two spaces or a line break.
        QCOMPARE(read(CodeKind::Numbers, u"10 1 11 7"_s), u"ΚΑΛΗ|by hand"_s);
        // Where the letters are joined by marks or by digit pairs run
        // together, a single space can only end a word.
        QCOMPARE(read(CodeKind::Numbers, u"10,1,11,7/5.  10-1 99\n2"_s), u"ΚΑΛΗ Ε ΚΑ [99]\nΒ|by hand"_s);
        QCOMPARE(read(CodeKind::Numbers, u"7 19-1"_s), u"Η ΤΑ|by hand"_s);
        QCOMPARE(read(CodeKind::Polybius, u"25113122 1534 "_s), u"ΚΑΛΗ ΕΞ|by hand"_s);
        QCOMPARE(read(CodeKind::Polybius, u"25 11 31 22"_s), u"ΚΑΛΗ|by hand"_s);
        QCOMPARE(read(CodeKind::Polybius, u"25-11/66"_s), u"ΚΑ [66]|by hand"_s);
        // A phone: a run of one digit is one letter; "0" is a space.
        QCOMPARE(read(CodeKind::Phone, u"52554 0 5 5"_s), u"ΚΑΛΗ ΚΚ|by hand"_s);
        // Braille with ordinary spaces and liblouis's capital signs.
        QCOMPARE(read(CodeKind::Braille, u"⠨⠨⠅⠁⠇⠜ ⠨⠑⠏⠊⠞⠽⠓⠊⠁⠂ ⠼⠁⠃"_s), u"ΚΑΛΗ ΕΠΙΤΥΧΙΑ, 12|by hand"_s);
        // A code of letters for letters, in any case or accent.
        QCOMPARE(read(CodeKind::Caesar, u"Νδξκ ή"_s), u"ΚΑΛΗ Δ|by hand"_s);
        QCOMPARE(read(CodeKind::Caesar, u"ΝΔΞΚ"_s), u"ΚΑΛΗ"_s);
        // A clock face is two halves of UTF-16, and one letter.
        QCOMPARE(read(CodeKind::Clock, u"🕟🕛🕔🕒 🕑"_s), u"ΚΑΛΗ Ε"_s);
    }

    void heldCodeFindsTheCodeAndItsSetting()
    {
        QCOMPARE(model::heldCode(defaultKeys(), {})->kind, CodeKind::Morse);
        const model::CodeChoice caesar = code(CodeKind::Caesar, 17);
        const auto caesar17 = model::heldCode(model::loadCode(caesar, defaultKeys()).keys, {});
        QVERIFY(caesar17 && caesar17->kind == CodeKind::Caesar && caesar17->shift == 17);
        const model::CodeChoice keyword = code(CodeKind::Keyword, 3, u"Λύκοι"_s);
        auto keys = model::loadCode(keyword, defaultKeys()).keys;
        QCOMPARE(model::heldCode(keys, keyword), keyword);
        QVERIFY(!model::heldCode(keys, {}));  // a word no longer remembered
        keys = defaultKeys();
        keys[24].code = u"//"_s;
        QVERIFY(!model::heldCode(keys, {}));
    }

    void tablesComeBackFromTheClipboardAndAWordProcessor()
    {
        // Typed codes of every kind, a captioned separator and a named and an unnamed custom key.
        std::vector<Key> mine = defaultKeys();
        mine[0].code = u"  a  b "_s;
        mine[1].code = u"<&>"_s;
        mine[2].code = u"⠛ x"_s;
        mine[24] = {Key::Kind::Separator, u"#"_s, u" # "_s};
        mine[25] = {Key::Kind::Custom, u"ΟΥ"_s, u"8"_s};
        mine[27] = {Key::Kind::Custom, {}, u" ? "_s};
        const QString plain = model::keyTablePlain(mine), html = model::keyTableHtml(mine);

        // As Writer gives the table back: a cell a line, every space a
        // no-break one; and its HTML, each cell's text indented in a paragraph.
        QString writer = u"Πίνακας κωδικών\n"_s, writerHtml = u"<h2>Πίνακας κωδικών</h2><table>"_s;
        for (const QString& row : plain.split(u'\n', Qt::SkipEmptyParts)) {
            writer += QString(row).replace(u'\t', u'\n').replace(u' ', QChar::Nbsp) + u'\n';
            writerHtml += u"<tr>"_s;
            for (const QString& cell : row.split(u'\t'))
                writerHtml += u"\n\t\t<td><p>\n\t\t\t<b>"_s + cell.toHtmlEscaped().replace(u' ', u"&nbsp;"_s)
                    + u"</b></p>\n\t\t</td>"_s;
            writerHtml += u"\n\t</tr>"_s;
        }
        writerHtml += u"</table>"_s;
        const std::vector<Key> after = defaultKeys();
        for (const auto& [h, t] : {std::pair{html, QString()},
                                   {QString(), plain},
                                   {QString(), writer},
                                   {writerHtml, writer},
                                   {u"<p>no table</p>"_s, writer}}) {
            model::CodeChoice choice = code(CodeKind::Table);
            choice.tableHtml = h;
            choice.tableText = t;
            const model::LoadedCode loaded = model::loadCode(choice, after);
            QVERIFY(loaded.usable);
            QCOMPARE(shown(loaded.keys), shown(mine).replace(u"@#"_s, u"@ # "_s));
            QCOMPARE(loaded.keys[25].name, u"ΟΥ"_s);
            QCOMPARE(loaded.keys[26], after[26]);
            QCOMPARE(loaded.keys[27], (Key{Key::Kind::Custom, {}, u" ? "_s}));
            QVERIFY(loaded.notes.isEmpty());
        }
    }

    void tablesOfJunkSayWhatTheyLeaveOut()
    {
        model::CodeChoice choice = code(CodeKind::Table);
        for (const QString& junk : {QString(), u"\n \n"_s, u"<table><tr><td>Α</td></tr></table>"_s}) {
            choice.tableHtml = junk;
            QVERIFY(!model::loadCode(choice, defaultKeys()).usable);
        }
        choice.tableHtml.clear();
        choice.tableText = u"α\t1\nΆ\t2\n  \t3\nww\t4\nxx\t5\nyy\t6\nzz\t7\nζ\t\nδιαχωριστικό\t+\n"_s;
        const model::LoadedCode loaded = model::loadCode(choice, defaultKeys());
        QCOMPARE(loaded.keys[0].code, u"1"_s);
        QCOMPARE(loaded.keys[24].code, u"+"_s);
        QCOMPARE((QStringList{loaded.keys[25].name, loaded.keys[26].name, loaded.keys[27].name}),
                 (QStringList{u"ww"_s, u"xx"_s, u"yy"_s}));
        QCOMPARE(loaded.notes.size(), 2);
        QCOMPARE(loaded.notes[0],
                 u"Δεν φορτώνονται: «Ά» (δεύτερη φορά), μια γραμμή χωρίς όνομα, "
                 u"«zz» (τα δικά σου πλήκτρα είναι μόνο τρία), «ζ» (χωρίς κωδικό)."_s);
        QVERIFY(loaded.notes[1].endsWith(u"Β, Γ, Δ, Ε, Ζ, Η, Θ, Ι, Κ, Λ, Μ, Ν, Ξ, Ο, Π, Ρ, Σ, Τ, Υ, Φ, Χ, Ψ, Ω."_s));
    }

    void tablesTypedByHandLoadOrSayWhyNot()
    {
        std::vector<Key> mine = defaultKeys();
        mine[25] = {Key::Kind::Custom, u"#"_s, u"@"_s};
        const auto load = [&mine](const QString& text, const QString& html = {}) {
            model::CodeChoice choice = code(CodeKind::Table);
            choice.tableText = text;
            choice.tableHtml = html;
            return model::loadCode(choice, mine);
        };
        // A name, a sign and a code, a line a row; the sign is the one every
        // letter's row has, so a code may begin with it. Text around the table
        // is left out, and said.
        for (const QString& sign : {u" - "_s, u" = "_s, u": "_s, u" → "_s, u" -> "_s, u"=>"_s, u" — "_s, u" ⇒ "_s}) {
            const model::LoadedCode loaded
                = load(u"Ο κώδικας της νύχτας\nΑ%1.- \nβ%1-...\nΈ%1.\nΚαλή επιτυχία!\n"_s.arg(sign));
            QCOMPARE(shown(loaded.keys).left(19), u".-|-...| -   - . /|"_s);
            QCOMPARE(loaded.keys[4].code, u"."_s);
            QCOMPARE(loaded.keys[25], mine[25]);
            QVERIFY2(loaded.notes[0].contains(u"«Ο κώδικας της νύχτας», «Καλή επιτυχία!»"_s),
                     qPrintable(loaded.notes[0]));
        }
        // With no sign in every row, a space: the keys' own spaced form, and
        // codes that begin with a dash, whole. Sentences around the table
        // are text, whatever their first word; a paste of prose is no table.
        QCOMPARE(load(u"Α . - /\nΒ - . . . /\n"_s).keys[1].code, u"- . . . /"_s);
        const model::LoadedCode dashes = load(u"Ο κώδικας της νύχτας\nΤ -\nΜ --\nΟ ---\nΑ .-\n"
                                              u"Η ομάδα των Αετών\nΚαλή επιτυχία!\n"_s);
        QCOMPARE((QStringList{dashes.keys[18].code, dashes.keys[11].code, dashes.keys[14].code, dashes.keys[0].code}),
                 (QStringList{u"-"_s, u"--"_s, u"---"_s, u".-"_s}));
        QCOMPARE(dashes.keys[6], mine[6]);
        QCOMPARE(dashes.keys[25], mine[25]);
        QVERIFY2(dashes.notes[0].contains(u"«Ο κώδικας της νύχτας», «Η ομάδα των Αετών», «Καλή επιτυχία!»."_s),
                 qPrintable(dashes.notes[0]));
        const model::LoadedCode prose = load(u"Ο αρχηγός σας περιμένει."_s);
        QVERIFY(!prose.usable);
        QCOMPARE(prose.keys, mine);
        QVERIFY(prose.notes[0].contains(u"μόνο κείμενο («Ο αρχηγός σας περιμένει.»)"_s));
        // A word for each letter is a table of words: a sentence still is not.
        const model::LoadedCode words = load(u"Α άλφα\nΒ βήτα\nΗ ομάδα των Αετών\n"_s);
        QCOMPARE(words.keys[1].code, u"βήτα"_s);
        QCOMPARE(words.keys[6], mine[6]);
        // A heading row; a Latin look-alike names its Greek letter, another
        // Latin letter no key.
        const model::LoadedCode headed = load({},
                                              u"<table><tr><td>Γράμμα</td><td>Κωδικός</td></tr>"
                                              u"<tr><td>A</td><td>x</td></tr><tr><td>W</td><td>y</td></tr></table>"_s);
        QCOMPARE(headed.keys[0].code, u"x"_s);
        QCOMPARE(headed.keys[25], mine[25]);
        QVERIFY(headed.notes.join(u'|').contains(u"κείμενο έξω από τον πίνακα, δεν φορτώνονται: «Γράμμα»."_s));
        QVERIFY(headed.notes.join(u'|').contains(u"«W» (λατινικό γράμμα, κανένα πλήκτρο)"_s));
        QVERIFY(headed.notes.join(u'|').contains(u"ως τα ελληνικά που μοιάζουν: «A»"_s));
        // A cell a line with a line of text before it pairs as it should.
        QCOMPARE(load(u"Για την ομάδα\nΠίνακας κωδικών\nΑ\n1\nΒ\n2\n"_s).keys[1].code, u"2"_s);
        // Custom keys of one's own that a table replaces are named.
        QVERIFY(load(u"Α\t1\nΨάρι\t<>\n"_s).notes.join(u'|').contains(u"Αντικαθιστά τα δικά σου πλήκτρα: «#»."_s));
        // Nothing that names a letter or the separator: nothing to load.
        const model::LoadedCode none = load(u"Ψάρι\t<>\nΓάτα\t><\n"_s);
        QVERIFY(!none.usable);
        QCOMPARE(none.keys, mine);
    }
};

QTEST_MAIN(CodesTest)
#include "tst_codes.moc"
