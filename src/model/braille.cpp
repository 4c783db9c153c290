#include "braille.h"

#include "reading.h"
#include "slots.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace model {

namespace {

constexpr char16_t numberSign = u'⠼';
// The digits are the cells of the first ten Latin letters, read as digits
// after the number sign.
const QString digits = u"1234567890"_s;
const QString digitCells = u"⠁⠃⠉⠙⠑⠋⠛⠓⠊⠚"_s;
// Between two digits a full stop is this, and the number goes on; so it
// does after a comma.
constexpr char16_t decimalPoint = u'⠨';
// Before a capital, and twice before a word in capitals; the same cell as
// the decimal point, which only stands between digits.
constexpr char16_t capitalSign = u'⠨';

// The punctuation of liblouis's Greek table (el.ctb), where a sign at the
// start of a word may take another form than at its end. Where two share a
// cell, the opening one is read at the start of a word and the other
// elsewhere, as Braille readers do.
struct BrailleSign {
    char16_t sign;
    const char16_t* cells;
    const char16_t* opening;  // at the start of a word, when it differs
};
constexpr BrailleSign signs[] = {
    {u'.', u"⠲", nullptr}, {u',', u"⠂", nullptr}, {u':', u"⠒", nullptr},  {u';', u"⠢", nullptr}, {u'·', u"⠆", nullptr},
    {u'!', u"⠖", nullptr}, {u'?', u"⠦", nullptr}, {u'\'', u"⠄", nullptr}, {u'-', u"⠤", nullptr}, {u')', u"⠶", nullptr},
    {u'(', u"⠶", nullptr}, {u'»', u"⠴", nullptr}, {u'«', u"⠦", nullptr},  {u'"', u"⠴⠄", u"⠠⠦"},
};
// Read at the start of a word instead of the sign that shares its cell.
constexpr std::pair<char16_t, char16_t> openers[] = {{u'?', u'«'}, {u')', u'('}};

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
QChar digitCell(QChar digit) { return digitCells[digits.indexOf(digit)]; }

// Whether a sign at `i` starts a word: nothing before it but a space, a
// line break or an opening bracket.
bool opensWord(QStringView folded, qsizetype i)
{
    if (i == 0)
        return true;
    const QChar before = folded[i - 1];
    return before.isSpace() || before == u'(' || before == u'«';
}

QString cellsOf(char16_t sign)
{
    const auto* s
        = std::find_if(std::begin(signs), std::end(signs), [sign](const BrailleSign& b) { return b.sign == sign; });
    return QString::fromUtf16(s->cells);
}

bool isOpener(const Piece& piece)
{
    return piece.kind == Piece::Kind::Key && std::any_of(std::begin(openers), std::end(openers), [&piece](auto pair) {
               return piece.text == QChar(pair.second);
           });
}

}  // namespace

bool lettersAreBraille(std::span<const Key> keys)
{
    int letter = 0;
    for (const Key& key : keys) {
        if (key.kind != Key::Kind::Letter)
            continue;
        if (letter >= letterCount || key.code != QChar(brailleLetters[letter]))
            return false;
        ++letter;
    }
    return letter == letterCount;
}

QString brailleSignCode(QStringView folded, qsizetype i)
{
    const QChar c = folded[i];
    const auto digitAt = [folded](qsizetype j) { return j >= 0 && j < folded.size() && isDigit(folded[j]); };
    if (isDigit(c)) {
        // The number sign once before a run of digits, which a comma or a
        // full stop between digits does not break.
        const bool inNumber
            = digitAt(i - 1) || (i >= 2 && (folded[i - 1] == u',' || folded[i - 1] == u'.') && digitAt(i - 2));
        return inNumber ? QString(digitCell(c)) : QString(QChar(numberSign)) + digitCell(c);
    }
    if (c == u'.' && digitAt(i - 1) && digitAt(i + 1))
        return QString(QChar(decimalPoint));
    for (const BrailleSign& s : signs) {
        if (s.sign == c.unicode())
            return QString::fromUtf16(s.opening && opensWord(folded, i) ? s.opening : s.cells);
    }
    return {};
}

bool isBrailleDigitCell(QStringView code) { return code.size() == 1 && digitCells.contains(code.front()); }

std::vector<Key> brailleSignKeys()
{
    std::vector<Key> keys;
    const auto add = [&keys](char16_t sign, const char16_t* cells) {
        const QString code = QString::fromUtf16(cells);
        // One sign a cell: the opener that shares it is its reader's to tell.
        if (std::none_of(keys.begin(), keys.end(), [&code](const Key& k) { return k.code == code; }))
            keys.push_back({Key::Kind::Letter, QString(QChar(sign)), code});
    };
    for (const BrailleSign& s : signs) {
        add(s.sign, s.cells);
        if (s.opening)
            add(s.sign, s.opening);
    }
    return keys;
}

namespace {

// The cells read with the keys and the signs; runs of digits after the
// number sign; a shared cell read as the opener at the start of a word.
Reading readCells(QStringView message, std::span<const Key> withSigns)
{
    const auto digitAt = [message](qsizetype j) { return j < message.size() && digitCells.contains(message[j]); };

    Reading reading;
    for (qsizetype i = 0; i < message.size();) {
        if (message[i] == numberSign && digitAt(i + 1)) {
            for (++i; digitAt(i);) {
                reading.pieces.push_back({Piece::Kind::Key, QString(digits[digitCells.indexOf(message[i])]), false, i});
                ++i;
                if (digitAt(i + 1) && (message[i] == decimalPoint || message[i] == u'⠂')) {
                    reading.pieces.push_back(
                        {Piece::Kind::Key, message[i] == decimalPoint ? u"."_s : u","_s, false, i});
                    ++i;
                }
            }
            continue;
        }
        qsizetype end = i + 1;
        while (end < message.size() && !(message[end] == numberSign && digitAt(end + 1)))
            ++end;
        appendPieces(reading, readExactly(message.sliced(i, end - i), withSigns), i, message);
        i = end;
    }

    // A shared cell at the start of a word opens.
    for (std::size_t p = 0; p < reading.pieces.size(); ++p) {
        Piece& piece = reading.pieces[p];
        const Piece* before = p == 0 ? nullptr : &reading.pieces[p - 1];
        const bool starts = !before || before->kind == Piece::Kind::LineBreak
            || (before->kind == Piece::Kind::Key && (before->text == u" "_s || isOpener(*before)));
        for (const auto& [sign, opener] : openers) {
            if (starts && piece.kind == Piece::Kind::Key && piece.text == QChar(sign)
                && message.sliced(piece.at).startsWith(cellsOf(sign))) {
                piece.text = QChar(opener);
                break;
            }
        }
    }

    // A closing quote is a closing guillemet and an apostrophe, as Braille
    // has it; one never follows the other in a Greek text, so they read as
    // the quote, and a quoted word reads one way.
    for (std::size_t p = 0; p + 1 < reading.pieces.size(); ++p) {
        Piece& piece = reading.pieces[p];
        const Piece& next = reading.pieces[p + 1];
        if (piece.kind == Piece::Kind::Key && piece.text == u"»"_s && next.kind == Piece::Kind::Key
            && next.text == u"'"_s && next.at == piece.at + 1) {
            piece.text = u"\""_s;
            reading.pieces.erase(reading.pieces.begin() + qsizetype(p) + 1);
        }
    }
    return reading;
}

// The keys and the signs to read by; the closing quote is read as its two
// cells are, and joined afterwards (see readCells).
std::vector<Key> withBrailleSigns(std::span<const Key> keys)
{
    std::vector<Key> withSigns(keys.begin(), keys.end());
    for (Key& sign : brailleSignKeys()) {
        if (sign.code != cellsOf(u'"'))
            withSigns.push_back(std::move(sign));
    }
    return withSigns;
}

}  // namespace

Reading readBraille(QStringView message, std::span<const Key> keys)
{
    return readCells(message, withBrailleSigns(keys));
}

Reading readBrailleByHand(QStringView message, std::span<const Key> keys)
{
    // An ordinary space between words, and the capital sign of liblouis's
    // Greek table, which this code has no use for, before a capital or twice
    // before a word of them.
    QString spaced = message.toString();
    spaced.replace(u' ', blankCell);
    std::vector<Key> withSigns = withBrailleSigns(keys);
    withSigns.push_back({Key::Kind::Letter, {}, QString(QChar(capitalSign))});
    Reading reading = readCells(spaced, withSigns);
    std::erase_if(reading.pieces,
                  [](const Piece& p) { return p.kind == Piece::Kind::Key && p.text.isEmpty() && !p.unnamed; });
    showUnreadAsWritten(reading, message);
    reading.bySymbols = u"Διαβάστηκε όπως γράφεται η Μπράιγ με το χέρι: με κενά ανάμεσα στις λέξεις και "
                        u"σημεία κεφαλαίων."_s;
    return reading;
}

}  // namespace model
