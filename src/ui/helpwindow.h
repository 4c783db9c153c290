#pragma once

#include "designedwindow.h"

class QGroupBox;
class QLabel;

namespace keyboard {
class KeyButton;
}

namespace ui {

// Form2, the help window: instructions, a note on editing, the credits and OK.
class HelpWindow : public DesignedWindow {
    Q_OBJECT
public:
    HelpWindow();

    QGroupBox* Frame1 = nullptr;
    QLabel* Label1 = nullptr;  // the instructions
    QGroupBox* Frame2 = nullptr;
    QLabel* Label2 = nullptr;                 // the credits
    keyboard::KeyButton* Command1 = nullptr;  // OK
    QLabel* Label3 = nullptr;                 // the note on editing
};

}  // namespace ui
