#include "qtprompts.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <limits>

namespace ui {

using namespace Qt::StringLiterals;

namespace {
const QString okText = u"Εντάξει"_s;
const QString cancelText = u"Άκυρο"_s;
}  // namespace

bool QtPrompts::confirm(const QString& title, const QString& prompt)
{
    QMessageBox box(QMessageBox::Warning, title, prompt, QMessageBox::Ok | QMessageBox::Cancel,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Ok)->setText(okText);
    box.button(QMessageBox::Cancel)->setText(cancelText);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

QString QtPrompts::askName(const QString& prompt, const QString& title, const QString& initial)
{
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    dialog.setOkButtonText(okText);
    dialog.setCancelButtonText(cancelText);
    // The answer becomes a caption whole; the line's default limit would cut it.
    if (auto* line = dialog.findChild<QLineEdit*>())
        line->setMaxLength(std::numeric_limits<int>::max());
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

}  // namespace ui
