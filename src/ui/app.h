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
// No click on a close box loses the message: closing the keyboard window
// asks first, as Έξοδος does, and closing the help window brings the
// keyboard window back, as OK does. Only at the very start, with no message
// yet, does closing the help window end the program.
class App : public QObject {
public:
    explicit App(keyboard::Prompts& prompts);
    ~App() override;

    void start();  // shows the help window, fitted to the screen and centred

    HelpWindow& helpWindow() { return help_; }
    MainWindow* mainWindow() { return main_.get(); }  // null until first OK

    void Command31_Click();       // the help button of the keyboard window
    void Form2_Command1_Click();  // OK in the help window

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QStringList pluginFolders_;  // set aside until the keyboard window is made
    keyboard::Prompts& prompts_;
    HelpWindow help_;
    std::unique_ptr<MainWindow> main_;
};

}  // namespace ui
