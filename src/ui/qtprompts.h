#pragma once

#include "keyboard/prompts.h"
#include "listenbox.h"

namespace ui {

// The desktop's own boxes, in Greek: a warning box with OK and Cancel, a
// one-line input box, and the boxes for writing a text and reading the
// message. All sit over the window the user is working in.
class QtPrompts : public keyboard::Prompts {
public:
    bool confirm(const QString& title, const QString& prompt) override;
    void inform(const QString& title, const QString& text) override;
    QString askName(const QString& prompt, const QString& title, const QString& initial) override;
    std::optional<QString> askText(const Writer& write, const QString& ambiguity) override;
    void showReading(const model::Reading& reading) override;
    std::optional<model::CodeChoice> chooseCode(std::span<const model::Key> keys, const QString& message) override;
    void listen(const QString& message, const model::Reading& reading) override;
    std::optional<QString> hear(std::span<const model::Key> keys) override;

private:
    // A text given up with Cancel comes back at the next write box of the
    // run: typing a paragraph is work, and Esc is pressed by mistake.
    QString unsentText_;
    // The codes box's settings, as the user left them.
    model::CodeChoice codeSettings_;
    ListenSettings listenSettings_;
};

// The mark that stands for a key without a name in a reading.
inline constexpr char16_t unnamedMark = u'□';

// A character with no key as the user can tell it: quoted, or named in
// Greek where it shows no ink of its own.
QString shownCharacter(const QString& character);

}  // namespace ui
