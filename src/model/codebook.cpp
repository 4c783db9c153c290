#include "codebook.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

using namespace Qt::StringLiterals;

namespace model {

namespace {

// A caption of spaces only shows nothing on the key, so it is no name either.
bool isBlank(const QString& name) { return name.trimmed().isEmpty(); }

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
        else if (!isBlank(key.name))
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
        if (isLineBreak(first))
            result.codes += u'\n';
        else if (first.category() == QChar::Separator_Space && separator)
            result.codes += *separator;
        else if (letter)
            result.codes += *letter;
        else if (!reported.contains(typed.toString())) {
            reported.insert(typed.toString());
            result.missing.append(typed.toString());
        }
        ++u;
    }
    return result;
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
            const bool unnamed = key.kind != Key::Kind::Letter && isBlank(key.name);
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

bool isMorseText(QChar c) { return c == u' ' || c == u'/' || morseSymbol(c); }

// The dots and dashes of a code written as Morse (symbols and spaces, maybe
// closed by "/"), or nothing when it is not one.
std::optional<std::string> morseOf(QStringView code)
{
    std::string symbols;
    bool closed = false;
    for (const QChar c : code) {
        if (c == u' ')
            continue;
        if (closed)
            return std::nullopt;
        if (c == u'/' && !symbols.empty())
            closed = true;
        else if (const char symbol = morseSymbol(c))
            symbols += symbol;
        else
            return std::nullopt;
    }
    if (symbols.empty())
        return std::nullopt;
    return symbols;
}

// Reads Morse by its symbols. Everything that is not Morse (a custom key's
// code of other characters, a line break, a stray character) is read
// exactly, stretch by stretch.
class SymbolReader {
public:
    SymbolReader(QStringView message, std::span<const Key> keys, std::unordered_map<std::string, int> byMorse)
        : message_(message), keys_(keys), byMorse_(std::move(byMorse))
    {
    }

    Reading read()
    {
        for (qsizetype i = 0, end = 0; i < message_.size(); i = end) {
            const bool morse = isMorseText(message_[i]);
            for (end = i; end < message_.size() && isMorseText(message_[end]) == morse;)
                ++end;
            if (morse)
                readMorse(i, end);
            else
                for (Piece& piece : readExactly(message_.sliced(i, end - i), keys_).pieces) {
                    piece.at += i;
                    add(std::move(piece), i, end);  // only the first can meet unread text before it
                }
        }
        return std::move(reading_);
    }

private:
    struct Run {
        qsizetype from, to;
    };

    // A stretch of symbols, spaces and "/", a letter's worth at a time: what
    // lies between two "/" is one letter when its symbols stand apart (the
    // keys' own form, " . - /") or stand together right before the "/"
    // (".-/"); otherwise it is Morse written the common way, a letter to a
    // run of symbols, and the "/" after it ends a word.
    void readMorse(qsizetype from, qsizetype to)
    {
        for (qsizetype start = from; start < to;) {
            qsizetype stop = start;
            while (stop < to && message_[stop] != u'/')
                ++stop;
            const bool slash = stop < to;
            std::vector<Run> runs;
            for (qsizetype i = start; i < stop;) {
                if (message_[i] == u' ') {
                    ++i;
                    continue;
                }
                const qsizetype runStart = i;
                while (i < stop && message_[i] != u' ')
                    ++i;
                runs.push_back({runStart, i});
            }
            const bool spaced = std::all_of(runs.begin(), runs.end(), [](Run r) { return r.to - r.from == 1; });
            const bool closed = runs.size() == 1 && slash && runs.front().to == stop;
            if (runs.empty()) {
                if (slash)
                    addWordEnd(stop + 1);
            } else if (spaced || closed) {
                addLetter(runs.front().from, runs.back().to);
            } else {
                for (std::size_t r = 0; r < runs.size(); ++r) {
                    if (r > 0 && runs[r].from - runs[r - 1].to > 1)
                        addWordEnd(runs[r].from);
                    addLetter(runs[r].from, runs[r].to);
                }
                if (slash)
                    addWordEnd(stop + 1);
            }
            start = stop + 1;
        }
    }

    void addLetter(qsizetype from, qsizetype to)
    {
        std::string symbols;
        for (const QChar c : message_.sliced(from, to - from)) {
            if (const char symbol = morseSymbol(c))
                symbols += symbol;
        }
        const auto known = byMorse_.find(symbols);
        if (known == byMorse_.end()) {
            add({Piece::Kind::Unread, message_.sliced(from, to - from).toString(), false, from}, from, to);
            return;
        }
        const Key& key = keys_[std::size_t(known->second)];
        const bool unnamed = key.kind != Key::Kind::Letter && isBlank(key.name);
        add({Piece::Kind::Key, unnamed ? QString() : key.name, unnamed, from}, from, to);
    }

    void addWordEnd(qsizetype at) { add({Piece::Kind::Key, u" "_s, false, at - 1}, at, at); }

    // Unread text next to unread text is one stretch, as it stands in the
    // message, the spaces between included. The piece lies at [from, to).
    void add(Piece piece, qsizetype from, qsizetype to)
    {
        std::vector<Piece>& pieces = reading_.pieces;
        if (piece.kind == Piece::Kind::Unread && !pieces.empty() && pieces.back().kind == Piece::Kind::Unread) {
            pieces.back().text += message_.sliced(unreadEnd_, from - unreadEnd_);
            pieces.back().text += piece.text;
        } else {
            pieces.push_back(std::move(piece));
        }
        unreadEnd_ = to;
    }

    QStringView message_;
    std::span<const Key> keys_;
    std::unordered_map<std::string, int> byMorse_;
    Reading reading_;
    qsizetype unreadEnd_ = 0;
};

qsizetype unreadLength(const Reading& reading)
{
    qsizetype length = 0;
    for (const Piece& piece : reading.pieces)
        length += piece.kind == Piece::Kind::Unread ? piece.text.size() : 0;
    return length;
}

}  // namespace

Reading readMessage(QStringView message, std::span<const Key> keys)
{
    Reading exact = readExactly(message, keys);
    const qsizetype unreadExactly = unreadLength(exact);
    if (unreadExactly == 0)
        return exact;
    // Every letter must be Morse, or a reading by symbols would be a guess;
    // other keys join in when their codes are Morse too.
    std::unordered_map<std::string, int> byMorse;
    bool letters = false;
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const std::optional<std::string> symbols = morseOf(keys[k].code);
        if (keys[k].kind == Key::Kind::Letter) {
            if (!symbols)
                return exact;
            letters = true;
        }
        if (symbols && keys[k].kind != Key::Kind::Separator)
            byMorse.emplace(*symbols, int(k));  // of keys sharing a code, the first
    }
    if (!letters)
        return exact;
    Reading bySymbols = SymbolReader(message, keys, std::move(byMorse)).read();
    if (unreadLength(bySymbols) >= unreadExactly)
        return exact;
    bySymbols.bySymbols = true;
    return bySymbols;
}

namespace {

// The key's name as the table gives it: a key without a caption is named in
// words, and so is the separator, whose caption alone ("/") says nothing of
// what it is for, and which a table read back must know whatever its caption.
QString keyTableName(std::span<const Key> keys, std::size_t index)
{
    const Key& key = keys[index];
    if (key.kind == Key::Kind::Separator)
        return QString::fromUtf16(separatorWord) + (isBlank(key.name) ? QString() : u" «"_s + key.name + u"»"_s);
    if (key.kind == Key::Kind::Letter || !isBlank(key.name))
        return key.name;
    const auto number = std::count_if(keys.begin(), keys.begin() + qsizetype(index) + 1,
                                      [](const Key& k) { return k.kind == Key::Kind::Custom; });
    return customKeyWord(int(number));
}

}  // namespace

QString customKeyWord(int number) { return u"πλήκτρο %1"_s.arg(number); }

QString keyTablePlain(std::span<const Key> keys)
{
    QString out;
    for (std::size_t k = 0; k < keys.size(); ++k) {
        if (!keys[k].code.isEmpty())
            out += keyTableName(keys, k) + u'\t' + keys[k].code + u'\n';
    }
    return out;
}

namespace {

const QString face = u"font-family: Arial, 'Liberation Sans', sans-serif"_s;

// Word processors collapse runs of spaces in HTML, and a code is read by its
// spaces: each one goes as a no-break space. User text is never markup.
QString htmlCell(const QString& text, const QString& attributes, const QString& style)
{
    return u"<td %1 style=\"%2; %3\">"_s.arg(attributes, face, style) + text.toHtmlEscaped().replace(u' ', u"&nbsp;"_s)
        + u"</td>"_s;
}

}  // namespace

// A handout to print beside the message: a heading, and a table with ruled
// cells across the page, the codes large and bold so that a dot prints as a
// dot. Sizes and spacing go as attributes, not styles: LibreOffice drops the
// borders of a table whose cells are padded by a style.
QString keyTableHtml(std::span<const Key> keys)
{
    QString out = u"<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Σηματοπλέκτης</title></head>\n"
                  "<body>\n<h2 style=\"%1\">Πίνακας κωδικών</h2>\n"
                  "<table border=\"1\" cellspacing=\"0\" cellpadding=\"8\" width=\"100%\">\n"_s.arg(face);
    for (std::size_t k = 0; k < keys.size(); ++k) {
        if (keys[k].code.isEmpty())
            continue;
        out += u"<tr>"_s + htmlCell(keyTableName(keys, k), u"width=\"30%\""_s, u"font-size: 16pt"_s)
            + htmlCell(keys[k].code, {}, u"font-size: 20pt; font-weight: bold"_s) + u"</tr>\n"_s;
    }
    return out + u"</table>\n</body></html>\n"_s;
}

}  // namespace model
