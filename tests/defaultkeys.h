#pragma once
// The keys as every run starts: Morse, "/" for the separator, blank custom keys.

#include "model/codebook.h"
#include "model/slots.h"

#include <vector>

inline std::vector<model::Key> defaultKeys()
{
    using model::Key;
    std::vector<Key> keys;
    for (int i = 0; i < model::letterCount; ++i)
        keys.push_back({Key::Kind::Letter, model::letterCaption(i), model::letterCode(i)});
    keys.push_back({Key::Kind::Separator, QStringLiteral("/"), QStringLiteral("/")});
    keys.resize(model::slotCount, {Key::Kind::Custom, {}, {}});
    return keys;
}
