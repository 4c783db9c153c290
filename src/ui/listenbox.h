#pragma once

#include "model/codebook.h"
#include "model/sending.h"

namespace ui {

struct ListenSettings {
    model::SendSettings sending;
    bool light = false;
};

// The box that plays the message as Morse, and flashes it as light.
// `settings` holds the box's settings from one opening to the next.
void listen(const QString& message, const model::Reading& reading, ListenSettings& settings);

}  // namespace ui
