#pragma once

#include "model/codebook.h"
#include "model/codes.h"

#include <QString>
#include <functional>
#include <optional>
#include <span>

namespace keyboard {

// The modal questions the commands ask. The desktop answers through message
// boxes; tests answer through a script.
class Prompts {
public:
    virtual ~Prompts() = default;

    // A warning box with OK and Cancel; true only for OK.
    virtual bool confirm(const QString& title, const QString& prompt) = 0;

    // A box that tells something, with OK.
    virtual void inform(const QString& title, const QString& text) = 0;

    // A one-line input box; the typed text, or "" when cancelled.
    virtual QString askName(const QString& prompt, const QString& title, const QString& initial) = 0;

    // A box for a whole text, showing what `write` makes of it as it is
    // typed, and `ambiguity` (the keys' codes read back more than one way)
    // when it is not empty; the text on OK, nothing on Cancel.
    using Writer = std::function<model::Encoding(const QString&)>;
    virtual std::optional<QString> askText(const Writer& write, const QString& ambiguity) = 0;

    // A box showing the message as read back into the keys.
    virtual void showReading(const model::Reading& reading) = 0;

    // A box choosing a code to load into the keys, which are given as they
    // stand; the choice on OK, nothing on Cancel.
    virtual std::optional<model::CodeChoice> chooseCode(std::span<const model::Key> keys, const QString& message) = 0;

    // A box that plays the message as Morse and flashes it as light; the
    // reading names the letter being sent.
    virtual void listen(const QString& message, const model::Reading& reading) = 0;

    // A box that reads Morse from the microphone into the keys given; the
    // text heard on OK, nothing on Close.
    virtual std::optional<QString> hear(std::span<const model::Key> keys) = 0;
};

}  // namespace keyboard
