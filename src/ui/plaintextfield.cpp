#include "plaintextfield.h"

#include "keyboard/pictures.h"

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
#ifndef Q_OS_WASM
    // Pictures drawn for a word processor, at its 12 pt. Not from a page,
    // whose clipboard Qt hands one format only, the HTML one, and the
    // plain text would be lost.
    if (keyboard::hasPictures(text))
        data->setHtml(keyboard::picturesHtml(text, 16));
#endif
    return data;
}

void PlainTextField::insertFromMimeData(const QMimeData* source)
{
    if (source && !source->formats().isEmpty())
        insertData(*source);
}

}  // namespace ui
