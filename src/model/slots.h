#pragma once
// The 28 code slots of the keyboard and the texts every run starts from.
// Plain data: no widget knows about this file and it knows about no widget.

#include <QString>
#include <array>

namespace model {

inline constexpr int letterCount = 24;
inline constexpr int customCount = 3;
inline constexpr int slotCount = letterCount + 1 + customCount;

struct Letter {
    char16_t capital;      // the Greek code point, never a Latin look-alike
    const char16_t* name;  // how the letter is spoken, for screen readers
    const char* morse;     // its default code
};

// In alphabet order: index 0 is Α, index 23 is Ω.
inline constexpr std::array<Letter, letterCount> letters{{
    {u'Α', u"Άλφα", " . - /"},
    {u'Β', u"Βήτα", " - . . . /"},
    // Gamma has always carried three spaces after its first dash; users
    // know the code by its look, so it stays as it is.
    {u'Γ', u"Γάμμα", " -   - . /"},
    {u'Δ', u"Δέλτα", " - . . /"},
    {u'Ε', u"Έψιλον", " . /"},
    {u'Ζ', u"Ζήτα", " - - . . /"},
    {u'Η', u"Ήτα", " . . . . /"},
    {u'Θ', u"Θήτα", " - . - . /"},
    {u'Ι', u"Γιώτα", " . . /"},
    {u'Κ', u"Κάππα", " - . - /"},
    {u'Λ', u"Λάμδα", " . - . . /"},
    {u'Μ', u"Μι", " - - /"},
    {u'Ν', u"Νι", " - . /"},
    {u'Ξ', u"Ξι", " - . . - /"},
    {u'Ο', u"Όμικρον", " - - - /"},
    {u'Π', u"Πι", " . - - . /"},
    {u'Ρ', u"Ρο", " . - . /"},
    {u'Σ', u"Σίγμα", " . . . /"},
    {u'Τ', u"Ταυ", " - /"},
    {u'Υ', u"Ύψιλον", " - . - - /"},
    {u'Φ', u"Φι", " . . - . /"},
    {u'Χ', u"Χι", " - - - - /"},
    {u'Ψ', u"Ψι", " - - . - /"},
    {u'Ω', u"Ωμέγα", " . - - /"},
}};

inline constexpr char16_t separatorDefault[] = u"/";

// The letter keys are numbered out of step with the alphabet: Command1 is Α,
// and Command6..Command28 are Β..Ω (Command2..Command5 were taken first).
constexpr int letterButtonNumber(int index) { return index == 0 ? 1 : index + 5; }

// Custom keys and their code fields, top to bottom.
inline constexpr std::array<int, customCount> customButtonNumbers{5, 29, 30};
inline constexpr std::array<int, customCount> customFieldNumbers{4, 5, 6};

QString letterCaption(int index);
QString letterCode(int index);
QString letterName(int index);
int letterIndexOf(QChar capital);  // Α is 0; -1 for anything but the 24 capitals

QString buttonName(int number);      // "Command7"
QString letterFieldName(int index);  // "Text1(2)"
QString fieldName(int number);       // "Text4"

}  // namespace model
