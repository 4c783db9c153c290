#pragma once

#include "model/codebook.h"
#include "model/slots.h"

#include <QObject>
#include <array>
#include <functional>
#include <vector>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace keyboard {

class KeyButton;
class Prompts;

// Appends a code at the end of the message, whatever the caret or selection,
// as one step the user can undo. The caret, selection and scroll position
// stay the user's; the end, where the code went, is brought into view.
void appendCode(QPlainTextEdit& message, const QString& code);

// The main window's controls that the keys and commands read and write.
struct Controls {
    std::array<KeyButton*, model::letterCount> letterKeys{};
    std::array<QLineEdit*, model::letterCount> letterFields{};
    KeyButton* separatorKey = nullptr;
    QLineEdit* separatorField = nullptr;
    std::array<KeyButton*, model::customCount> customKeys{};
    std::array<QLineEdit*, model::customCount> customFields{};
    QPlainTextEdit* message = nullptr;
    QPushButton* clear = nullptr;  // Command3
    QPushButton* save = nullptr;   // Command4
    QPushButton* exit = nullptr;   // Command32
};

// What the keys and the three commands do. It keeps no state: every handler
// reads the controls at the moment of its click and writes back to them.
class Keyboard : public QObject {
    Q_OBJECT
public:
    Keyboard(const Controls& controls, Prompts& prompts, std::function<void()> endProgram, QObject* parent = nullptr);

    void pressCustom(int slot);  // shared by Command5, Command29 and Command30
    void Command3_Click();       // clear
    void Command4_Click();       // save
    void Command32_Click();      // exit

    // Beyond the keys, for whole texts: all three read the controls as they
    // stand, as a press does.
    void writeText();     // a text typed at once, appended as its codes
    void readMessage();   // the message read back into the keys
    void copyKeyTable();  // the keys and their codes, to hand out with a message
    void copyPicture();   // the message as it is drawn, one image for a chat or an image editor
    void chooseCode();    // a built-in code or a code table loaded into the keys
    void listen();        // the message heard as Morse and seen as light
    void hear();          // Morse from the microphone, appended as the keys write it

private:
    // Every key with its name and code, in keyboard order, as the controls hold them now.
    std::vector<model::Key> keys() const;

    Controls controls_;
    Prompts& prompts_;
    std::function<void()> endProgram_;
};

// Puts the table of the keys that write something on the clipboard, as
// plain text and as a handout for word processors; false, with the
// clipboard left as it was, when no key writes anything.
bool copyKeyTable(std::span<const model::Key> table);

}  // namespace keyboard
