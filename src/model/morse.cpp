#include "morse.h"

#include "reading.h"
#include "slots.h"

#include <algorithm>
#include <unordered_map>

using namespace Qt::StringLiterals;

namespace model {

namespace {

// ITU's digits and signs (ITU-R M.1677-1), which Greek tables share, and "!"
// from every table. Greek punctuation has its own signs for two of them: the
// question mark is written ";" and the semicolon "·" (ano teleia), and that
// is how they read back.
struct MorseSign {
    char16_t sign;
    const char* symbols;
};
constexpr MorseSign signs[] = {
    {u'1', ".----"},   {u'2', "..---"},  {u'3', "...--"},  {u'4', "....-"},  {u'5', "....."},
    {u'6', "-...."},   {u'7', "--..."},  {u'8', "---.."},  {u'9', "----."},  {u'0', "-----"},
    {u'.', ".-.-.-"},  {u',', "--..--"}, {u':', "---..."}, {u';', "..--.."}, {u'·', "-.-.-."},
    {u'\'', ".----."}, {u'-', "-....-"}, {u'/', "-..-."},  {u'(', "-.--."},  {u')', "-.--.-"},
    {u'"', ".-..-."},  {u'=', "-...-"},  {u'+', ".-.-."},  {u'@', ".--.-."}, {u'!', "-.-.--"},
};

// As the letter keys write: a space before each symbol, " /" after.
QString keyForm(const char* symbols)
{
    QString code;
    for (const char* s = symbols; *s; ++s)
        code += u' ' + QChar(char16_t(*s));
    return code + u" /"_s;
}

bool isMorseText(QChar c) { return c == u' ' || c == u'/' || morseSymbol(c); }

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
            commonWordEnd_ = false;
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
                // The keys' separator, unless a word ended at the "/" before:
                // "//" in the common way is one word break, as " / " is.
                if (slash && !commonWordEnd_)
                    addWordEnd(stop + 1);
            } else if (spaced || closed) {
                addLetter(runs.front().from, runs.back().to);
                commonWordEnd_ = false;
            } else {
                for (std::size_t r = 0; r < runs.size(); ++r) {
                    if (r > 0 && runs[r].from - runs[r - 1].to > 1)
                        addWordEnd(runs[r].from);
                    addLetter(runs[r].from, runs[r].to);
                }
                if (slash)
                    addWordEnd(stop + 1);
                commonWordEnd_ = slash;
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
        const bool unnamed = key.kind != Key::Kind::Letter && isBlankName(key.name);
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
    bool commonWordEnd_ = false;  // a "/" after Morse written the common way ended a word
};

}  // namespace

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

bool lettersAreMorse(std::span<const Key> keys)
{
    int letter = 0;
    for (const Key& key : keys) {
        if (key.kind != Key::Kind::Letter)
            continue;
        if (letter >= letterCount || morseOf(key.code) != morseOf(letterCode(letter)))
            return false;
        ++letter;
    }
    return letter == letterCount;
}

QString morseSignCode(QChar sign)
{
    // The Latin question mark is the Greek one.
    const char16_t wanted = sign == u'?' ? u';' : sign.unicode();
    for (const MorseSign& s : signs) {
        if (s.sign == wanted)
            return keyForm(s.symbols);
    }
    return {};
}

std::vector<Key> morseSignKeys()
{
    std::vector<Key> keys;
    for (const MorseSign& s : signs)
        keys.push_back({Key::Kind::Letter, QString(QChar(s.sign)), keyForm(s.symbols)});
    return keys;
}

Reading readBySymbols(QStringView message, std::span<const Key> keys)
{
    std::unordered_map<std::string, int> byMorse;
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const std::optional<std::string> symbols = morseOf(keys[k].code);
        if (symbols && keys[k].kind != Key::Kind::Separator)
            byMorse.emplace(*symbols, int(k));  // of keys sharing a code, the first
    }
    Reading reading = SymbolReader(message, keys, std::move(byMorse)).read();
    reading.bySymbols = u"Διαβάστηκε από τις τελείες και τις παύλες, όπως γράφεται ο Μορς με το χέρι."_s;
    return reading;
}

}  // namespace model
