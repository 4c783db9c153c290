#include "plaintextfield.h"

#include <QMimeData>
#include <QTextCursor>

namespace ui {

QMimeData* PlainTextField::createMimeDataFromSelection() const
{
    // The selection as it stands: no-break spaces, combining marks and all.
    // Only the document's own paragraph and line separators become line
    // breaks, which the platform writes in its own way (CR LF on Windows).
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');
    auto* data = new QMimeData;
    data->setText(text);
    return data;
}

}  // namespace ui
