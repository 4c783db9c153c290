// The floors for startup and memory: the least a Qt Widgets program does to
// put a window on screen. One top-level widget, the size of the help window,
// shown at once: empty; with "text" as its argument holding what the least
// first window with Greek text holds, a word-wrapped Greek label in the
// desktop's default face and a second one in bold; or with "help" holding
// the help window's own texts, faces, frames and button, built plainly with
// Qt's widgets at their places. bench_xwatch sees it painted by the X server
// the same way it sees the real program's help window, by its title.

#include "ui/texts.h"

#include <QApplication>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
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
    if (argc > 1 && argv[1] == "help"_L1) {
        const auto font = [](qreal points, bool bold) {
            QFont f(u"Liberation Sans"_s);
            f.setPointSizeF(points);
            f.setBold(bold);
            return f;
        };
        const auto label = [](const QString& text, QRect place, QWidget* parent) {
            auto* l = new QLabel(text, parent);
            l->setTextFormat(Qt::PlainText);
            l->setWordWrap(true);
            l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            l->setGeometry(place);
            return l;
        };
        window.setFont(font(8, false));
        auto* help = new QGroupBox(u"Βοήθεια"_s, &window);
        help->setGeometry(8, 8, 457, 401);
        label(ui::helpText(), {16, 24, 425, 281}, help);
        label(ui::editingNote(), {8, 320, 441, 65}, help)->setFont(font(9.75, true));
        auto* about = new QGroupBox(u"Για το πρόγραμμα"_s, &window);
        about->setGeometry(8, 416, 457, 81);
        label(ui::credits(), {8, 24, 441, 49}, about);
        auto* ok = new QPushButton(u"Εντάξει"_s, &window);
        ok->setGeometry(152, 512, 153, 33);
        ok->setFont(font(12, true));
        ok->setFocus();
    }
    window.show();
    return QApplication::exec();
}
