#pragma once

#include "model/codebook.h"

#include <QString>
#include <optional>
#include <span>

namespace ui {

// The box that listens to the microphone and reads the Morse it hears into
// the keys' codes, live; on OK the text heard, to be written in the keys'
// own form at the end of the message, nothing on Close.
std::optional<QString> hear(std::span<const model::Key> keys);

}  // namespace ui
