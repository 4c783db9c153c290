#pragma once
// Digits and signs in a text. The codes that have them write them beyond the
// keys: Morse its digits and signs, Braille its number sign and punctuation,
// and a code of letters for letters leaves them as they stand. Any other code
// has no key for them, since a digit there would read as a letter. Each
// code's table serves writing, reading and the listening box alike.

#include "codebook.h"

#include <vector>

namespace model {

enum class SignCode { None, Morse, Braille, AsTheyStand };

// Which of them the letters' keys hold now.
SignCode signCodeOf(std::span<const Key> keys);

// The code for the sign at `i` of a folded text, or a null string when the
// code has none for it. Braille looks at the neighbours: a run of digits
// takes the number sign once, and a bracket or a quote opens or closes.
QString writeSign(SignCode code, QStringView folded, qsizetype i);

// The signs as keys to read by, each named by its sign (Braille's digits,
// which follow the number sign, are its reader's own).
std::vector<Key> signKeys(SignCode code);

}  // namespace model
