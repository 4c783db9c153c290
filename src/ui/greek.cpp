#include "greek.h"

#include "fonts.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

namespace ui {

using namespace Qt::StringLiterals;

void installGreek()
{
    QLocale::setDefault(QLocale(QLocale::Greek, QLocale::Greece));
    // Qt ships no Greek for its own strings; ours is built into the program.
    static QTranslator toolkit;
    if (toolkit.load(u":/i18n/qtbase_el.qm"_s))
        QCoreApplication::installTranslator(&toolkit);
    installFonts();
}

}  // namespace ui
