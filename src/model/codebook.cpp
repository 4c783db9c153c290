#include "codebook.h"

#include "braille.h"
#include "codes.h"
#include "decodability.h"
#include "digits.h"
#include "morse.h"
#include "reading.h"
#include "signs.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cstdint>

using namespace Qt::StringLiterals;

namespace model {

// A caption of spaces only shows nothing on the key, so it is no name either.
bool isBlankName(const QString& name) { return name.trimmed().isEmpty(); }

namespace {

char32_t codePointAt(QStringView s, qsizetype i, qsizetype& size)
{
    if (i + 1 < s.size() && s[i].isHighSurrogate() && s[i + 1].isLowSurrogate()) {
        size = 2;
        return QChar::surrogateToUcs4(s[i], s[i + 1]);
    }
    size = 1;
    return s[i].unicode();
}

// A typed character: one code point with the marks that follow it, so that a
// decomposed "ά" is one letter and an unknown "é" is reported whole.
// "\r\n" is one line break.
qsizetype unitLength(QStringView text, qsizetype i)
{
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
        return 2;
    qsizetype size = 0;
    qsizetype end = i;
    codePointAt(text, i, size);
    end += size;
    while (end < text.size() && QChar::isMark(codePointAt(text, end, size)))
        end += size;
    return end - i;
}

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

}  // namespace

QString fold(QStringView text)
{
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    qsizetype size = 0;
    for (qsizetype i = 0; i < decomposed.size(); i += size) {
        if (!QChar::isMark(codePointAt(decomposed, i, size)))
            out += QStringView(decomposed).sliced(i, size);
    }
    return out.toUpper();
}

char morseSymbol(QChar c)
{
    switch (c.unicode()) {
    case u'.':
    case u'·':
    case u'•':
    case u'∙':
        return '.';
    case u'-':
    case u'−':
    case u'–':
    case u'—':
    case u'_':
    case u'▬':
        return '-';
    default:
        return 0;
    }
}

// Greek typists reach for the Latin key of a letter that looks the same,
// and cannot see the difference afterwards.
char16_t greekLookAlike(QChar latin)
{
    static constexpr std::pair<char16_t, char16_t> pairs[]
        = {{u'A', u'Α'}, {u'B', u'Β'}, {u'E', u'Ε'}, {u'Z', u'Ζ'}, {u'H', u'Η'}, {u'I', u'Ι'}, {u'K', u'Κ'},
           {u'M', u'Μ'}, {u'N', u'Ν'}, {u'O', u'Ο'}, {u'P', u'Ρ'}, {u'T', u'Τ'}, {u'Y', u'Υ'}, {u'X', u'Χ'}};
    if (latin.unicode() > 0x7f)
        return 0;  // an accented Latin letter is another letter
    const char16_t capital = latin.toUpper().unicode();
    for (const auto& [from, to] : pairs) {
        if (from == capital)
            return to;
    }
    return 0;
}

// A key with an empty code is no key for a text, whatever its kind: it would
// swallow the character without a trace. A custom key without a code thus
// leaves its text to the letters ("ΟΥ" still writes Ο and Υ), and a letter or
// space without a code is reported like any character with no key.
Encoding encodeText(QStringView text, std::span<const Key> keys)
{
    struct Custom {
        QString folded;
        const QString* code;
    };
    std::vector<Custom> customs;
    // By the folded caption; the usual one-character ones by that character,
    // with no string built to find them.
    QHash<char16_t, const QString*> letters;
    QHash<QString, const QString*> longerLetters;
    const QString* separator = nullptr;
    const SignCode signs = signCodeOf(keys);
    for (const Key& key : keys) {
        if (key.code.isEmpty())
            continue;
        if (key.kind == Key::Kind::Letter) {
            const QString name = fold(key.name);
            if (name.size() == 1)
                letters.insert(name.front().unicode(), &key.code);
            else
                longerLetters.insert(name, &key.code);
        } else if (key.kind == Key::Kind::Separator)
            separator = &key.code;
        else if (!isBlankName(key.name))
            customs.push_back({fold(key.name), &key.code});
    }

    // The folded text, and where each typed character starts in it and in the
    // text, so that a custom name can span several characters.
    QString folded;
    std::vector<qsizetype> starts, foldedStarts;
    QHash<char32_t, QString> foldedOf;  // a text repeats few characters: each is folded once
    folded.reserve(text.size());
    starts.reserve(std::size_t(text.size()) + 1);
    foldedStarts.reserve(std::size_t(text.size()) + 1);
    for (qsizetype i = 0, size = 0; i < text.size(); i += size) {
        size = unitLength(text, i);
        starts.push_back(i);
        foldedStarts.push_back(folded.size());
        qsizetype pointSize = 0;
        const char32_t point = codePointAt(text, i, pointSize);
        if (isLineBreak(text[i]))
            folded += u'\n';
        else if (pointSize != size)
            folded += fold(text.sliced(i, size));
        else {
            auto known = foldedOf.constFind(point);
            if (known == foldedOf.cend())
                known = foldedOf.insert(point, fold(text.sliced(i, size)));
            folded += *known;
        }
    }
    starts.push_back(text.size());
    foldedStarts.push_back(folded.size());

    Encoding result;
    result.codes.reserve(text.size() * 8);  // about a Morse letter's length a character
    QSet<QString> reported;
    qsizetype numberFrom = -1;  // where the digits before this character start, if it follows some
    const std::size_t count = starts.size() - 1;
    for (std::size_t u = 0; u < count;) {
        const QStringView typed = text.sliced(starts[u], starts[u + 1] - starts[u]);
        const QStringView here = QStringView(folded).sliced(foldedStarts[u]);

        // The longest custom name written here, if it ends where a character does.
        const Custom* best = nullptr;
        std::size_t bestEnd = u;
        for (const Custom& custom : customs) {
            if (!here.startsWith(custom.folded) || (best && custom.folded.size() <= best->folded.size()))
                continue;
            const qsizetype target = foldedStarts[u] + custom.folded.size();
            const auto end = std::lower_bound(foldedStarts.begin() + qsizetype(u), foldedStarts.end(), target);
            if (end != foldedStarts.end() && *end == target) {
                best = &custom;
                bestEnd = std::size_t(end - foldedStarts.begin());
            }
        }
        if (best) {
            numberFrom = -1;
            result.codes += *best->code;
            u = bestEnd;
            continue;
        }

        const QChar first = typed.front();
        const qsizetype foldedLength = foldedStarts[u + 1] - foldedStarts[u];
        const QString* letter = nullptr;
        bool lookAlike = false;
        if (foldedLength == 1) {
            letter = letters.value(here.front().unicode());
            if (const char16_t greek = letter || typed.size() > 1 ? 0 : greekLookAlike(typed.front()))
                lookAlike = (letter = letters.value(greek)) != nullptr;
        } else if (foldedLength > 1)
            letter = longerLetters.value(here.first(foldedLength).toString());
        if (lookAlike && !result.lookAlikes.contains(typed))
            result.lookAlikes.append(typed.toString());
        if (letter && numberFrom >= 0 && signs == SignCode::Braille && isBrailleDigitCell(*letter)) {
            const QString run = text.sliced(numberFrom, starts[u + 1] - numberFrom).toString();
            if (!result.runTogether.contains(run))
                result.runTogether.append(run);
        }
        numberFrom = first.isDigit() && first.unicode() < 0x80 ? (numberFrom >= 0 ? numberFrom : starts[u]) : -1;
        if (isLineBreak(first))
            result.codes += u'\n';
        else if (first.category() == QChar::Separator_Space && separator)
            result.codes += *separator;
        else if (letter)
            result.codes += *letter;
        else if (const QString sign = foldedLength == 1 ? writeSign(signs, folded, foldedStarts[u]) : QString();
                 !sign.isNull())
            result.codes += sign;
        else if (!reported.contains(typed.toString())) {
            reported.insert(typed.toString());
            result.missing.append(typed.toString());
        }
        ++u;
    }
    return result;
}

QString runTogetherNote(const QStringList& runTogether)
{
    if (runTogether.isEmpty())
        return {};
    return u"Στη Μπράιγ το γράμμα αμέσως μετά από αριθμό διαβάζεται ως ψηφίο του: «"_s + runTogether.join(u"», «"_s)
        + u"». Ένα κενό ανάμεσά τους τα ξεχωρίζει."_s;
}

namespace {

// The non-empty codes, letter by letter, so that every code that starts at a
// place in the message is found in one walk from there.
class Trie {
public:
    explicit Trie(std::span<const Key> keys)
    {
        nodes.emplace_back();
        for (std::size_t k = 0; k < keys.size(); ++k) {
            if (keys[k].code.isEmpty())
                continue;  // it would match everywhere and read nothing
            int node = 0;
            for (const QChar c : keys[k].code) {
                int next = child(node, c.unicode());
                if (next < 0) {
                    next = int(nodes.size());
                    nodes[node].children.emplace_back(c.unicode(), next);
                    nodes.emplace_back();
                }
                node = next;
            }
            nodes[node].keys.push_back(int(k));
        }
    }

    int child(int node, char16_t c) const
    {
        for (const auto& [letter, next] : nodes[node].children) {
            if (letter == c)
                return next;
        }
        return -1;
    }
    const std::vector<int>& keysAt(int node) const { return nodes[node].keys; }

private:
    struct Node {
        std::vector<std::pair<char16_t, int>> children;
        std::vector<int> keys;  // more than one when keys share a code
    };
    std::vector<Node> nodes;
};

constexpr int unread = -1;
constexpr int lineBreak = -2;

}  // namespace

// From the end of the message back to its start, each place keeps the least
// unread characters of any reading of the rest, how many readings reach it
// (1, or 2 for "more than one"), and the step the reading shown takes.
// Of equally good steps the last one weighed is shown: a key over a line
// break over unread, the longer code over the shorter, the earlier key of a
// shared code.
Reading readExactly(QStringView message, std::span<const Key> keys)
{
    const Trie trie(keys);
    const qsizetype n = message.size();
    std::vector<qsizetype> cost(std::size_t(n) + 1, 0);
    std::vector<std::uint8_t> ways(std::size_t(n) + 1, 1);
    std::vector<int> step(std::size_t(n) + 1, unread);

    for (qsizetype i = n - 1; i >= 0; --i) {
        qsizetype best = cost[i + 1] + 1;
        int bestWays = ways[i + 1];
        int bestStep = unread;
        const auto weigh = [&](qsizetype c, int w, int s) {
            if (c < best) {
                best = c;
                bestWays = w;
            } else if (c == best) {
                bestWays = std::min(2, bestWays + w);
            } else {
                return;
            }
            bestStep = s;
        };
        if (message[i] == u'\n')
            weigh(cost[i + 1], ways[i + 1], lineBreak);
        int node = 0;
        for (qsizetype j = i; j < n && (node = trie.child(node, message[j].unicode())) >= 0; ++j) {
            const std::vector<int>& ending = trie.keysAt(node);
            for (auto k = ending.rbegin(); k != ending.rend(); ++k)
                weigh(cost[j + 1], ways[j + 1], *k);
        }
        cost[i] = best;
        ways[i] = std::uint8_t(bestWays);
        step[i] = bestStep;
    }

    Reading reading;
    reading.ambiguous = ways[0] > 1;
    for (qsizetype i = 0; i < n;) {
        if (step[i] == lineBreak) {
            reading.pieces.push_back({Piece::Kind::LineBreak, u"\n"_s, false, i});
            ++i;
        } else if (step[i] == unread) {
            if (reading.pieces.empty() || reading.pieces.back().kind != Piece::Kind::Unread)
                reading.pieces.push_back({Piece::Kind::Unread, {}, false, i});
            reading.pieces.back().text += message[i];
            ++i;
        } else {
            const Key& key = keys[std::size_t(step[i])];
            // The separator reads as a space whatever its caption: a space is what it stands for in a text.
            const bool separator = key.kind == Key::Kind::Separator;
            const bool unnamed = key.kind != Key::Kind::Letter && isBlankName(key.name);
            reading.pieces.push_back({Piece::Kind::Key,
                                      separator     ? u" "_s
                                          : unnamed ? QString()
                                                    : key.name,
                                      unnamed, i});
            i += key.code.size();
        }
    }
    return reading;
}

qsizetype unreadLength(const Reading& reading)
{
    qsizetype length = 0;
    for (const Piece& piece : reading.pieces)
        length += piece.kind == Piece::Kind::Unread ? piece.text.size() : 0;
    return length;
}

void appendPieces(Reading& reading, Reading stretch, qsizetype from, QStringView message)
{
    reading.ambiguous = reading.ambiguous || stretch.ambiguous;
    for (Piece& piece : stretch.pieces) {
        piece.at += from;
        Piece* last = reading.pieces.empty() ? nullptr : &reading.pieces.back();
        if (last && last->kind == Piece::Kind::Unread && piece.kind == Piece::Kind::Unread) {
            const qsizetype lastEnd = last->at + last->text.size();
            last->text += message.sliced(lastEnd, piece.at - lastEnd);
            last->text += piece.text;
        } else {
            reading.pieces.push_back(std::move(piece));
        }
    }
}

namespace {

// A code of letters for letters read with its letters in any case or
// accent, as its capitals would be.
Reading readFolded(QStringView message, std::span<const Key> keys)
{
    QString folded = message.toString();
    for (QChar& c : folded) {
        const QString one = fold(QStringView(&c, 1));
        if (one.size() == 1)
            c = one.front();
    }
    Reading reading = readExactly(folded, keys);
    showUnreadAsWritten(reading, message);
    reading.bySymbols = u"Διαβάστηκε με τα γράμματα πεζά ή κεφαλαία, με ή χωρίς τόνους."_s;
    return reading;
}

// The message read by the own symbols of the built-in code the keys hold,
// as people write it by hand; nothing when they hold none.
Reading readByHand(QStringView message, std::span<const Key> keys, std::span<const Key> withSigns, SignCode signs)
{
    // Every letter must be Morse, or a reading by symbols would be a guess;
    // other keys join in when their codes are Morse too.
    const bool morse = std::any_of(keys.begin(), keys.end(), [](const Key& k) { return k.kind == Key::Kind::Letter; })
        && std::all_of(keys.begin(), keys.end(),
                       [](const Key& k) { return k.kind != Key::Kind::Letter || morseOf(k.code); });
    if (morse)
        return readBySymbols(message, withSigns);
    if (signs == SignCode::Braille)
        return readBrailleByHand(message, keys);
    if (signs == SignCode::AsTheyStand)
        return readFolded(message, withSigns);
    if (const std::optional<CodeChoice> held = heldCode(keys, {})) {
        switch (held->kind) {
        case CodeKind::Numbers:
            return readDigits(message, keys, DigitCode::Numbers);
        case CodeKind::Polybius:
            return readDigits(message, keys, DigitCode::Polybius);
        case CodeKind::Phone:
            return readDigits(message, keys, DigitCode::Phone);
        default:
            break;
        }
    }
    return {};
}

Reading readAnyWay(QStringView message, std::span<const Key> keys)
{
    const SignCode signs = signCodeOf(keys);
    std::vector<Key> withSigns(keys.begin(), keys.end());
    for (Key& sign : signKeys(signs))
        withSigns.push_back(std::move(sign));  // after the keys, which win a shared code

    Reading exact = signs == SignCode::Braille ? readBraille(message, keys) : readExactly(message, withSigns);
    const qsizetype unreadExactly = unreadLength(exact);
    if (unreadExactly == 0)
        return exact;
    Reading byHand = readByHand(message, keys, withSigns, signs);
    return !byHand.bySymbols.isEmpty() && unreadLength(byHand) < unreadExactly ? byHand : exact;
}

}  // namespace

void showUnreadAsWritten(Reading& reading, QStringView message)
{
    for (Piece& piece : reading.pieces) {
        if (piece.kind == Piece::Kind::Unread)
            piece.text = message.sliced(piece.at, piece.text.size()).toString();
    }
}

Reading readMessage(QStringView message, std::span<const Key> keys)
{
    Reading reading = readAnyWay(message, keys);
    reading.ambiguity = ambiguityNote(keys);
    return reading;
}

}  // namespace model
