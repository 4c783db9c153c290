#include "ui/app.h"
#include "ui/fonts.h"
#include "ui/qtprompts.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    ui::installFontSubstitutes();

    ui::QtPrompts prompts;
    ui::App program(prompts);
    program.start();
    return QApplication::exec();
}
