#pragma once
// International Morse as radio amateurs send it (ITU-R M.1677): the Latin
// letters, the digits and the common signs, both ways. What the decoder
// knows of letters by default, and what its readings are compared in with
// the decoders of others, which read only this table.

#include <string>
#include <string_view>
#include <vector>

namespace decoder {

// The character a run of dots and dashes ("-.-.") stands for, or '\0'.
char ituCharacter(std::string_view elements);

// A character's dots and dashes (upper or lower case), or "" when it has none.
std::string_view ituElements(char character);

// Every code of the table, the letters' first.
const std::vector<std::string>& ituCodes();

// Morse as the decoder writes it ("... --- ... / .-") read by the table: a
// space between words, '*' for a run of symbols that is no character.
std::string ituText(std::string_view morse);

}  // namespace decoder
