#pragma once

#include "designedwindow.h"
#include "keyboard/keyboard.h"

#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace keyboard {
class KeyButton;
class Keyboard;
class Prompts;
}  // namespace keyboard

namespace ui {

// Form1, the keyboard window. Its controls keep their designed names, as
// members and as object names; their texts are the program's whole state.
class MainWindow : public DesignedWindow {
    Q_OBJECT
public:
    MainWindow(keyboard::Prompts& prompts, std::function<void()> endProgram);

    std::array<keyboard::KeyButton*, model::letterCount> letterKeys{};  // Command1, Command6..Command28
    std::array<QLineEdit*, model::letterCount> Text1{};
    keyboard::KeyButton* Command2 = nullptr;  // separator key
    QLineEdit* Text2 = nullptr;
    QLabel* Label1 = nullptr;                                           // the "=" between them
    std::array<keyboard::KeyButton*, model::customCount> customKeys{};  // Command5, Command29, Command30
    std::array<QLineEdit*, model::customCount> customFields{};          // Text4, Text5, Text6
    QPushButton* Command3 = nullptr;                                    // clear
    QPushButton* Command4 = nullptr;                                    // save
    keyboard::KeyButton* Command31 = nullptr;                           // help
    QPushButton* Command32 = nullptr;                                   // exit
    QPlainTextEdit* Text3 = nullptr;                                    // the message

protected:
    void scaleChanged() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    void addTextCommands(keyboard::Keyboard& keyboard);
    keyboard::Controls controls() const;
};

}  // namespace ui
