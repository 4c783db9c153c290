#pragma once
// Whether the keys' codes read back one way only. A code of one's own may
// not: after a clear, Α "1" and Β "11" write "11" both as ΑΑ and as Β, and
// bare Morse without its letter ends reads "ΚΑΛΗ" as "ΘΘΗΕ" as well.

#include "codebook.h"

#include <QStringList>
#include <optional>

namespace model {

// Two different sequences of keys that write the same text, the shortest
// such text there is.
struct Ambiguity {
    QStringList first, second;  // the keys' names (second empty: the first writes nothing)
    QString text;
};

// The Sardinas–Patterson test, which decides it for any finite code, with
// its shortest example. The letters, the separator and the custom keys
// that write something count, and the digits and signs the letters' code
// writes; a letter or the separator without a code writes the same as
// nothing, which is ambiguous by itself.
std::optional<Ambiguity> findAmbiguity(std::span<const Key> keys);

// The same as a line for a box, in Greek, or an empty string.
QString ambiguityNote(std::span<const Key> keys);

}  // namespace model
