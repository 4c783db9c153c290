#pragma once

#include <QString>

namespace keyboard {

// The modal questions the commands ask. The desktop answers through message
// boxes; tests answer through a script.
class Prompts {
public:
    virtual ~Prompts() = default;

    // A warning box with OK and Cancel; true only for OK.
    virtual bool confirm(const QString& title, const QString& prompt) = 0;

    // A one-line input box; the typed text, or "" when cancelled.
    virtual QString askName(const QString& prompt, const QString& title, const QString& initial) = 0;
};

}  // namespace keyboard
