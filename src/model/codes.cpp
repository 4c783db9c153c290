#include "codes.h"

#include "braille.h"
#include "decodability.h"
#include "slots.h"
#include "table.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace model {

namespace {

const QString alphabet = u"ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ"_s;

struct Code {
    std::array<QString, letterCount> letters;
    QString separator;
};

// The keyword's row: its letters, each at its first appearance, then the
// rest of the alphabet in order. The word is folded as a text to write is,
// and what it made of the word is said: Latin look-alikes taken as Greek,
// and the other letters and digits, which no row has, left out.
struct Keyword {
    QString row;
    bool anyLetter = false;
    QStringList lookAlikes, leftOut;  // as typed, each once
};

Keyword keyword(QStringView word)
{
    Keyword k;
    for (const QChar typed : word) {
        const QString folded = fold(QStringView(&typed, 1));
        QChar c = folded.size() == 1 ? folded.front() : QChar();
        if (const char16_t greek = alphabet.contains(c) ? 0 : greekLookAlike(typed)) {
            c = QChar(greek);
            if (!k.lookAlikes.contains(typed))
                k.lookAlikes << typed;
        }
        if (alphabet.contains(c)) {
            k.anyLetter = true;
            if (!k.row.contains(c))
                k.row += c;
        } else if (typed.isLetterOrNumber() && !k.leftOut.contains(typed)) {
            k.leftOut << typed;
        }
    }
    for (const QChar c : alphabet) {
        if (!k.row.contains(c))
            k.row += c;
    }
    return k;
}

QString keywordRow(QStringView word) { return keyword(word).row; }

QString quoted(const QStringList& characters) { return u"«"_s + characters.join(u"» «"_s) + u"»"_s; }

// Each letter written as a letter of a row of the alphabet.
Code substitution(QStringView row)
{
    Code code;
    for (int i = 0; i < letterCount; ++i)
        code.letters[i] = row[i];
    code.separator = u" "_s;
    return code;
}

Code builtIn(const CodeChoice& choice)
{
    Code code;
    switch (choice.kind) {
    case CodeKind::Morse:
        for (int i = 0; i < letterCount; ++i)
            code.letters[i] = letterCode(i);
        code.separator = QString::fromUtf16(separatorDefault);
        break;
    case CodeKind::Numbers:
        for (int i = 0; i < letterCount; ++i)
            code.letters[i] = u"%1 "_s.arg(i + 1);
        code.separator = u"/ "_s;
        break;
    case CodeKind::Reversed: {
        QString row = alphabet;
        std::reverse(row.begin(), row.end());
        code = substitution(row);
        break;
    }
    case CodeKind::Caesar: {
        const int shift = std::clamp(choice.shift, shortestShift, longestShift);
        code = substitution(alphabet.mid(shift) + alphabet.left(shift));
        break;
    }
    case CodeKind::Keyword:
        code = substitution(keywordRow(choice.word));
        break;
    case CodeKind::Polybius:
        // Five rows of five, the last one short: row, then column.
        for (int i = 0; i < letterCount; ++i)
            code.letters[i] = u"%1%2 "_s.arg(i / 5 + 1).arg(i % 5 + 1);
        code.separator = u"/ "_s;
        break;
    case CodeKind::Phone:
        // Three letters to a key from 2 on; a letter is its key pressed as
        // many times as its place on it. 0 is a phone's space.
        for (int i = 0; i < letterCount; ++i)
            code.letters[i] = QString(i % 3 + 1, QChar(u'2' + i / 3)) + u' ';
        code.separator = u"0 "_s;
        break;
    case CodeKind::Braille:
        for (int i = 0; i < letterCount; ++i)
            code.letters[i] = QChar(brailleLetters[i]);
        code.separator = QString(QChar(blankCell));
        break;
    case CodeKind::Pigpen:
        for (int i = 0; i < letterCount; ++i)
            code.letters[i] = QChar(firstPigpen + i);
        code.separator = u" "_s;
        break;
    case CodeKind::Clock:
        for (int i = 0; i < letterCount; ++i) {
            const char32_t face = clockFace(i);
            code.letters[i] = QString::fromUcs4(&face, 1);
        }
        code.separator = u" "_s;
        break;
    case CodeKind::Table:
        break;
    }
    return code;
}

}  // namespace

QString codeName(CodeKind kind)
{
    static const std::array<QString, codeKindCount> names{u"Μορς"_s,
                                                          u"Αριθμοί (Α=1)"_s,
                                                          u"Αντίστροφο αλφάβητο"_s,
                                                          u"Καίσαρας"_s,
                                                          u"Λέξη-κλειδί"_s,
                                                          u"Τετράγωνο του Πολύβιου"_s,
                                                          u"Πληκτρολόγιο κινητού"_s,
                                                          u"Μπράιγ"_s,
                                                          u"Κάγκελο"_s,
                                                          u"Ρολόι"_s,
                                                          u"Από πίνακα…"_s};
    return names[std::size_t(kind)];
}

char32_t clockFace(int letter)
{
    // Unicode's faces: one o'clock to twelve from U+1F550, half past one to
    // half past twelve from U+1F55C.
    const int hour = (letter / 2 + 11) % 12 + 1;  // 12, 12, 1, 1, ... 11, 11
    return (letter % 2 ? 0x1F55C : 0x1F550) + char32_t(hour - 1);
}

QString separatorCaption(const QString& code)
{
    const bool ink = std::any_of(code.begin(), code.end(), [](QChar c) { return !c.isSpace() && c != blankCell; });
    return ink || code.isEmpty() ? code : u"␣"_s;
}

namespace {

LoadedCode loadBuiltIn(const CodeChoice& choice, std::span<const Key> keys)
{
    const Code code = builtIn(choice);
    LoadedCode loaded{{keys.begin(), keys.end()}, {}, true};
    int letter = 0;
    for (Key& key : loaded.keys) {
        if (key.kind == Key::Kind::Letter && letter < letterCount) {
            key.code = code.letters[std::size_t(letter++)];
        } else if (key.kind == Key::Kind::Separator) {
            key.code = code.separator;
            key.name = separatorCaption(code.separator);
        }
    }
    if (choice.kind == CodeKind::Keyword) {
        const Keyword k = keyword(choice.word);
        if (!k.lookAlikes.isEmpty())
            loaded.notes << u"Λατινικά, μπήκαν ως τα ελληνικά που μοιάζουν: "_s + quoted(k.lookAlikes) + u'.';
        if (!k.leftOut.isEmpty())
            loaded.notes << u"Δεν είναι ελληνικά γράμματα και δεν μπαίνουν στη σειρά: "_s + quoted(k.leftOut) + u'.';
        if (!k.anyLetter)
            loaded.notes << u"Η λέξη δεν έχει ελληνικά γράμματα· κάθε γράμμα γράφεται όπως είναι."_s;
        else if (k.row == alphabet)
            loaded.notes << u"Η λέξη αφήνει το αλφάβητο όπως είναι· κάθε γράμμα γράφεται όπως είναι."_s;
    }
    return loaded;
}

}  // namespace

LoadedCode loadCode(const CodeChoice& choice, std::span<const Key> keys)
{
    LoadedCode loaded = choice.kind == CodeKind::Table ? loadTable(choice, keys) : loadBuiltIn(choice, keys);
    if (loaded.usable) {
        if (const QString ambiguity = ambiguityNote(loaded.keys); !ambiguity.isEmpty())
            loaded.notes << ambiguity;
    }
    return loaded;
}

std::optional<Encoding> rewriteMessage(QStringView message, std::span<const Key> from, std::span<const Key> to)
{
    const Reading reading = readMessage(message, from);
    if (reading.ambiguous || !reading.bySymbols.isEmpty())
        return std::nullopt;
    QString text;
    for (const Piece& piece : reading.pieces) {
        if (piece.kind == Piece::Kind::Unread || piece.unnamed)
            return std::nullopt;
        text += piece.text;
    }
    Encoding again = encodeText(text, to);
    if (!again.missing.isEmpty())
        return std::nullopt;
    return again;
}

std::optional<CodeChoice> heldCode(std::span<const Key> keys, const CodeChoice& remembered)
{
    const auto holds = [keys](const CodeChoice& choice) {
        const Code code = builtIn(choice);
        int letter = 0;
        return std::all_of(keys.begin(), keys.end(), [&](const Key& key) {
            if (key.kind == Key::Kind::Letter)
                return letter < letterCount && key.code == code.letters[std::size_t(letter++)];
            return key.kind != Key::Kind::Separator || key.code == code.separator;
        });
    };
    for (int k = 0; k < codeKindCount; ++k) {
        CodeChoice choice = remembered;
        choice.kind = CodeKind(k);
        if (choice.kind == CodeKind::Table)
            continue;
        if (holds(choice))
            return choice;
        if (choice.kind == CodeKind::Caesar) {
            for (choice.shift = shortestShift; choice.shift <= longestShift; ++choice.shift) {
                if (holds(choice))
                    return choice;
            }
        }
        if (choice.kind == CodeKind::Keyword) {
            choice.word = CodeChoice().word;
            if (holds(choice))
                return choice;
        }
    }
    return std::nullopt;
}

}  // namespace model
