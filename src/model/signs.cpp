#include "signs.h"

#include "braille.h"
#include "morse.h"
#include "slots.h"

#include <QSet>

using namespace Qt::StringLiterals;

namespace model {

namespace {

// What a code of letters for letters leaves as it stands: the digits and
// every sign Morse or Braille write.
const QString asTheyStand = u"0123456789.,:;·!?'-()«»\"/=+@"_s;

// Each letter one Greek capital, no two the same: the alphabet reversed,
// shifted, led by a word, or as it is. A digit or a sign cannot be mistaken
// for any of them.
bool lettersAreLetters(std::span<const Key> keys)
{
    QSet<QChar> seen;
    int letters = 0;
    for (const Key& key : keys) {
        if (key.kind != Key::Kind::Letter)
            continue;
        ++letters;
        if (key.code.size() != 1 || letterIndexOf(key.code.front()) < 0 || seen.contains(key.code.front()))
            return false;
        seen.insert(key.code.front());
    }
    return letters == letterCount;
}

}  // namespace

SignCode signCodeOf(std::span<const Key> keys)
{
    if (lettersAreMorse(keys))
        return SignCode::Morse;
    if (lettersAreBraille(keys))
        return SignCode::Braille;
    if (lettersAreLetters(keys))
        return SignCode::AsTheyStand;
    return SignCode::None;
}

QString writeSign(SignCode code, QStringView folded, qsizetype i)
{
    switch (code) {
    case SignCode::Morse:
        return morseSignCode(folded[i]);
    case SignCode::Braille:
        return brailleSignCode(folded, i);
    case SignCode::AsTheyStand:
        return asTheyStand.contains(folded[i]) ? QString(folded[i]) : QString();
    case SignCode::None:
        break;
    }
    return {};
}

std::vector<Key> signKeys(SignCode code)
{
    switch (code) {
    case SignCode::Morse:
        return morseSignKeys();
    case SignCode::Braille:
        return brailleSignKeys();
    case SignCode::AsTheyStand: {
        std::vector<Key> keys;
        for (const QChar c : asTheyStand)
            keys.push_back({Key::Kind::Letter, QString(c), QString(c)});
        return keys;
    }
    case SignCode::None:
        break;
    }
    return {};
}

}  // namespace model
