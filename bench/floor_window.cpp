// The floors for startup and memory: the least a Qt Widgets program does to
// put a window on screen. One top-level widget, the size of the help window,
// shown at once: empty, or with "text" as its argument holding what the
// least first window with Greek text holds, a word-wrapped Greek label in
// the desktop's default face and a second one in bold. bench_xwatch sees it
// painted by the X server the same way it sees the real program's help
// window, by its title.

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(u"bench_floor_window"_s);
    window.resize(473, 566);
    if (argc > 1 && argv[1] == "text"_L1) {
        auto* layout = new QVBoxLayout(&window);
        auto* plain = new QLabel(u"Το πρόγραμμα ξεκινά με τον κώδικα Μορς στη μνήμη, έτοιμο για χρήση. Πατήστε "
                                 u"τα γράμματα και την κάθετο για να γράψετε το μήνυμά σας."_s);
        auto* bold = new QLabel(u"Ανά πάσα στιγμή μπορείς να επέμβεις στο κείμενο."_s);
        for (QLabel* label : {plain, bold}) {
            label->setWordWrap(true);
            layout->addWidget(label);
        }
        QFont font = bold->font();
        font.setBold(true);
        bold->setFont(font);
    }
    window.show();
    return QApplication::exec();
}
