#pragma once
// Greek Braille, as liblouis's Greek table writes it: the letters' cells, and
// digits and punctuation, which depend on their neighbours. Inside the model
// only.

#include "codebook.h"

#include <QString>
#include <vector>

namespace model {

// Modern Greek Braille, as used in Greece, in alphabet order.
inline constexpr char16_t brailleLetters[] = u"⠁⠃⠛⠙⠑⠵⠜⠹⠊⠅⠇⠍⠝⠭⠕⠏⠗⠎⠞⠽⠋⠓⠯⠚";
inline constexpr char16_t blankCell = u'⠀';

bool lettersAreBraille(std::span<const Key> keys);

// The cells for the sign at `i` of a folded text, or a null string.
QString brailleSignCode(QStringView folded, qsizetype i);
std::vector<Key> brailleSignKeys();
// Whether a code is one cell that, right after a number, reads as a digit
// (α β γ δ ε ι φ χ ω): the Greek table has no letter sign to tell them apart.
bool isBrailleDigitCell(QStringView code);

// The message read back where the keys hold Braille: runs of digits after
// the number sign, and a cell that opens at the start of a word and closes
// elsewhere, read as Braille means them; the rest exactly.
Reading readBraille(QStringView message, std::span<const Key> keys);
// The same as people write Braille by hand: ordinary spaces between words,
// and liblouis's capital signs.
Reading readBrailleByHand(QStringView message, std::span<const Key> keys);

}  // namespace model
