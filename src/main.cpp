#include "ui/app.h"
#include "ui/greek.h"
#include "ui/qtprompts.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    ui::installGreek();

    ui::QtPrompts prompts;
    ui::App program(prompts);
    program.start();
    return QApplication::exec();
}
