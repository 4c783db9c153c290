#pragma once
// The codes scouts play with, one code a letter, ready to load into the
// keys; and a code table handed out on paper (or kept in a document) read
// back in. Pure functions over the table of keys: no widget, nothing kept.

#include "codebook.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <span>
#include <vector>

namespace model {

// In the order the codes box lists them.
enum class CodeKind { Morse, Numbers, Reversed, Caesar, Keyword, Polybius, Phone, Braille, Pigpen, Clock, Table };
inline constexpr int codeKindCount = 11;

// The picture codes' symbols, which the program's own face draws: the
// pigpen's in the Private Use Area (Unicode has none), a letter each from
// Α; the clock's at Unicode's clock faces, Α twelve o'clock and each next
// letter half an hour later.
inline constexpr char16_t firstPigpen = 0xE000;
char32_t clockFace(int letter);

QString codeName(CodeKind kind);

inline constexpr int shortestShift = 1, longestShift = 23;

// A code and its setting; the settings of the other codes ride along, so
// that going back to one finds its setting as it was left.
struct CodeChoice {
    CodeKind kind = CodeKind::Morse;
    int shift = 3;                               // Caesar's
    QString word = QStringLiteral("ΠΡΟΣΚΟΠΟΣ");  // the keyword's
    QString tableHtml, tableText;                // a pasted code table, as the clipboard offered it
    bool rewriteMessage = false;                 // the message written again in the new code

    bool operator==(const CodeChoice&) const = default;
};

// The keyboard after a code is loaded, and what the user should know of it.
struct LoadedCode {
    std::vector<Key> keys;  // in keyboard order, as the keys were given
    QStringList notes;      // in Greek: rows left out and why, keys kept, a word without letters
    bool usable = true;     // false when there is nothing to load (no table was found)
};

// Loads a built-in code into the 24 letters and the separator, or a pasted
// table into the keys it names; every other key stays as it is. The
// separator's name becomes its caption as the save command would make it,
// with a visible sign where its code shows no ink.
LoadedCode loadCode(const CodeChoice& choice, std::span<const Key> keys);

// The message written again in other keys: its reading in `from`, written in
// `to` as a text is written. Nothing when it does not read exactly and in one
// way, or when the new keys have no key for something in it.
std::optional<Encoding> rewriteMessage(QStringView message, std::span<const Key> from, std::span<const Key> to);

// The built-in code the keys hold exactly (letters and separator), trying
// the settings in `remembered` first; nothing when they hold none.
std::optional<CodeChoice> heldCode(std::span<const Key> keys, const CodeChoice& remembered);

// The caption the separator key shows for a code: the code itself, or a
// visible sign for a space where the code would show nothing.
QString separatorCaption(const QString& code);

}  // namespace model
