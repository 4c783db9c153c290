#pragma once
// The codes written in digits (Αριθμοί, Τετράγωνο του Πολύβιου, Πληκτρολόγιο
// κινητού) read as people write them, not only as the keys spell them.
// Inside the model only.

#include "codebook.h"

namespace model {

enum class DigitCode { Numbers, Polybius, Phone };

// Numbers between any spaces, commas, full stops, dashes or "/", the last
// with nothing after it; Polybius also as an unbroken run of digit pairs;
// on a phone a run of one digit is one letter and "0" a space. A word ends
// at "/", two or more spaces or a line break. What is not written in digits
// is read exactly.
Reading readDigits(QStringView message, std::span<const Key> keys, DigitCode code);

}  // namespace model
