#pragma once

#include "helpwindow.h"

#include <QStringList>
#include <memory>

namespace keyboard {
class Prompts;
}

namespace ui {

class MainWindow;

// The program's two windows and the moves between them. The help window
// comes first; the keyboard window is made the first time OK is pressed and
// from then on both are only hidden and shown, so nothing typed is lost.
//
// Closing a window through its frame while the other one is hidden leaves
// no window on screen; Qt then ends the program, as a confirmed exit does,
// rather than leave it running unseen.
class App {
public:
    explicit App(keyboard::Prompts& prompts);
    ~App();

    void start();  // shows the help window, centred

    HelpWindow& helpWindow() { return help_; }
    MainWindow* mainWindow() { return main_.get(); }  // null until first OK

    void Command31_Click();       // the help button of the keyboard window
    void Form2_Command1_Click();  // OK in the help window

private:
    QStringList pluginFolders_;  // set aside until the keyboard window is made
    keyboard::Prompts& prompts_;
    HelpWindow help_;
    std::unique_ptr<MainWindow> main_;
};

// Puts a window that has never been shown in the middle of the screen, its
// frame included once the desktop tells it.
void centreOnScreen(QWidget& window);

}  // namespace ui
