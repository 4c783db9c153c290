#pragma once
// Whole texts through the keys: writing a text as codes, reading a message
// back into keys, and the table of keys and codes to hand out. The caller
// builds the table from the controls at the moment of the command; nothing
// here keeps a copy of it.

#include <QString>
#include <QStringList>
#include <QStringView>
#include <span>
#include <vector>

namespace model {

struct Key {
    enum class Kind { Letter, Separator, Custom };
    Kind kind;
    QString name;  // the capital for a letter, the caption (maybe empty) for the others
    QString code;

    bool operator==(const Key&) const = default;
};

struct Encoding {
    QString codes;        // what to append to the message
    QStringList missing;  // characters with no key, as typed, each once, in order of first appearance
    // Latin letters written as the Greek capitals they look like, each once
    // as typed, in order of first appearance: "K" has no key, "Κ" has.
    QStringList lookAlikes;
    // In Braille, a number and a letter right after it that reads as one of
    // its digits, as typed ("2χ"), each once, in order of first appearance.
    QStringList runTogether;
};

// The line that tells of them, or an empty string when there are none.
QString runTogetherNote(const QStringList& runTogether);

// What a text stands for on the keyboard: accents, dialytika and case go,
// so "ά", "Ά" and "α" are all Α, and "ς" upper-cases to Σ.
QString fold(QStringView text);

// A Morse symbol in any of the forms people type it ('.' for "." "·" "•"
// "∙", '-' for "-" "−" "–" "—" "_" "▬"), or 0.
char morseSymbol(QChar c);

// The Greek capital a Latin letter looks like ("A" and "a" are Α), or 0.
char16_t greekLookAlike(QChar latin);

// Keys in keyboard order: the 24 letters, the separator, the 3 custom keys.
Encoding encodeText(QStringView text, std::span<const Key> keys);

struct Piece {
    enum class Kind { Key, Unread, LineBreak };
    Kind kind;
    QString text;  // the key's name (a space for the separator), the unread text as it stands, or "\n"
    // A custom key or separator with no caption, or one of spaces only: the
    // reader shows a mark of its own for it (a custom key's text is then empty).
    bool unnamed = false;
    qsizetype at = 0;  // where it starts in the message
};

struct Reading {
    std::vector<Piece> pieces;
    bool ambiguous = false;  // another reading as good as this one gives other pieces
    // Read as the code is written by hand, by its own symbols and not by
    // the exact spacing of the codes (see readMessage): a line for the box
    // that says so; empty when read exactly.
    QString bySymbols;
    QString ambiguity;  // when the keys' codes read back more than one way, a line that says so
};

// The message read back into the keys, code by code. Where the letters'
// codes are all Morse and the message does not read exactly (written by
// hand, pasted from elsewhere), it is read by its symbols instead, when that
// leaves less unread: spaces within a letter count for nothing, "/" ends a
// letter, and in Morse written the common way a space ends a letter and
// " / ", "//" or two spaces end a word.
Reading readMessage(QStringView message, std::span<const Key> keys);

// The words the key table names a key without a caption by.
inline constexpr char16_t separatorWord[] = u"διαχωριστικό";
QString customKeyWord(int number);  // "πλήκτρο 2" for the second custom key

// One row a key with a code, in keyboard order: name, then code.
QString keyTablePlain(std::span<const Key> keys);  // "name\tcode\n" a row
// A handout: a small HTML document with a heading and one <table>.
QString keyTableHtml(std::span<const Key> keys);

}  // namespace model
