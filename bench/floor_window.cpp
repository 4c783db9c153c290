// The floor for startup and memory: the least a Qt Widgets program does to
// put a window on screen. One empty top-level widget, the size of the help
// window, shown at once. bench_xwatch sees it painted by the X server the
// same way it sees the real program's help window, by its title.

#include <QApplication>
#include <QWidget>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(u"bench_floor_window"_s);
    window.resize(473, 566);
    window.show();
    return QApplication::exec();
}
