#include "itu.h"

#include <array>
#include <cctype>
#include <utility>

namespace decoder {

namespace {

constexpr std::array<std::pair<char, std::string_view>, 54> table{{
    {'A', ".-"},     {'B', "-..."},   {'C', "-.-."},   {'D', "-.."},     {'E', "."},       {'F', "..-."},
    {'G', "--."},    {'H', "...."},   {'I', ".."},     {'J', ".---"},    {'K', "-.-"},     {'L', ".-.."},
    {'M', "--"},     {'N', "-."},     {'O', "---"},    {'P', ".--."},    {'Q', "--.-"},    {'R', ".-."},
    {'S', "..."},    {'T', "-"},      {'U', "..-"},    {'V', "...-"},    {'W', ".--"},     {'X', "-..-"},
    {'Y', "-.--"},   {'Z', "--.."},   {'0', "-----"},  {'1', ".----"},   {'2', "..---"},   {'3', "...--"},
    {'4', "....-"},  {'5', "....."},  {'6', "-...."},  {'7', "--..."},   {'8', "---.."},   {'9', "----."},
    {'.', ".-.-.-"}, {',', "--..--"}, {'?', "..--.."}, {'\'', ".----."}, {'!', "-.-.--"},  {'/', "-..-."},
    {'(', "-.--."},  {')', "-.--.-"}, {'&', ".-..."},  {':', "---..."},  {';', "-.-.-."},  {'=', "-...-"},
    {'+', ".-.-."},  {'-', "-....-"}, {'_', "..--.-"}, {'"', ".-..-."},  {'$', "...-..-"}, {'@', ".--.-."},
}};

}  // namespace

char ituCharacter(std::string_view elements)
{
    for (const auto& [character, code] : table)
        if (code == elements)
            return character;
    return '\0';
}

std::string_view ituElements(char character)
{
    const char upper = char(std::toupper(static_cast<unsigned char>(character)));
    for (const auto& [c, code] : table)
        if (c == upper)
            return code;
    return {};
}

const std::vector<std::string>& ituCodes()
{
    static const std::vector<std::string> codes = [] {
        std::vector<std::string> all;
        all.reserve(std::size(table));
        for (const auto& entry : table)
            all.emplace_back(entry.second);
        return all;
    }();
    return codes;
}

std::string ituText(std::string_view morse)
{
    std::string text, run;
    const auto endRun = [&] {
        if (!run.empty()) {
            const char c = ituCharacter(run);
            text += c ? c : '*';
            run.clear();
        }
    };
    for (const char c : morse) {
        if (c == '.' || c == '-') {
            run += c;
        } else if (c == '/') {
            endRun();
            if (!text.empty() && text.back() != ' ')
                text += ' ';
        } else {
            endRun();
        }
    }
    endRun();
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

}  // namespace decoder
