#include "ui/app.h"
#include "ui/fonts.h"
#include "ui/greek.h"
#include "ui/qtprompts.h"

#include <QApplication>

int main(int, char* argv[])
{
    // The program takes no command line. The toolkit is handed the program's
    // name alone, so that none of its own options (-stylesheet,
    // -qwindowgeometry, ...) can restyle or reshape the windows.
    char fallbackName[] = "simatoplektis";
    char* toolkitArgv[] = {argv[0] ? argv[0] : fallbackName, nullptr};
    int toolkitArgc = 1;
    ui::chooseFontEngine();
    QApplication application(toolkitArgc, toolkitArgv);
    ui::installGreek();

    ui::QtPrompts prompts;
    ui::App program(prompts);
    program.start();
    return QApplication::exec();
}
