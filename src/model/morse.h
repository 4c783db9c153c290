#pragma once
// Morse beyond the design's letters: the digits and signs of ITU's table,
// and the reading of Morse as people write it by hand. Inside the model only.

#include "codebook.h"

#include <optional>
#include <string>
#include <vector>

namespace model {

// The dots and dashes of a code written as Morse (symbols and spaces, maybe
// closed by "/"), or nothing when it is not one.
std::optional<std::string> morseOf(QStringView code);

// Whether the letters' codes are Greek Morse, however spaced.
bool lettersAreMorse(std::span<const Key> keys);

// A sign's code in the keys' own form (" . - - - - /"), or a null string.
QString morseSignCode(QChar sign);
std::vector<Key> morseSignKeys();

// The message read by its dots and dashes rather than by the exact spacing
// of the codes; `keys` whose codes are Morse are read by their symbols.
Reading readBySymbols(QStringView message, std::span<const Key> keys);

}  // namespace model
