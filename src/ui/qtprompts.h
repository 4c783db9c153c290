#pragma once

#include "keyboard/prompts.h"

namespace ui {

// The desktop's own boxes, in Greek: a warning box with OK and Cancel, a
// one-line input box, and the boxes for writing a text and reading the
// message. All sit over the window the user is working in.
class QtPrompts : public keyboard::Prompts {
public:
    bool confirm(const QString& title, const QString& prompt) override;
    QString askName(const QString& prompt, const QString& title, const QString& initial) override;
    std::optional<QString> askText(const Writer& write) override;
    void showReading(const model::Reading& reading) override;
};

// The mark that stands for a key without a name in a reading.
inline constexpr char16_t unnamedMark = u'□';

}  // namespace ui
