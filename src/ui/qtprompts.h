#pragma once

#include "keyboard/prompts.h"

namespace ui {

// The desktop's own boxes, in Greek: a warning box with OK and Cancel, and a
// one-line input box. Both sit over the window the user is working in.
class QtPrompts : public keyboard::Prompts {
public:
    bool confirm(const QString& title, const QString& prompt) override;
    QString askName(const QString& prompt, const QString& title, const QString& initial) override;
};

}  // namespace ui
