// bench_bare_window: the least a Qt Widgets program does to put a window in
// a browser page: one empty top-level widget the size of the help window,
// shown at that size, as the program shows its own. The floor bench/web
// measures the program's first frame against.

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.resize(473, 566);
    window.setVisible(true);
    return QApplication::exec();
}
