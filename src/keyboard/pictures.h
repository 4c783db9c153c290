#pragma once
// The picture codes' symbols out to the desk. The plain text of a copy keeps
// them as characters (the pigpen's in the Private Use Area, which no other
// program draws); the HTML beside it carries each as a small image of the
// program's own drawing, so that a word processor shows the shapes.

#include <QFont>
#include <QImage>
#include <QString>
#include <QStringView>

namespace keyboard {

// Whether the text holds a symbol of a picture code.
bool hasPictures(QStringView text);

// `html` with each picture symbol in it made an inline SVG image as tall as
// text of `pixelsPerEm`; the rest as it was.
QString withPictures(QStringView html, int pixelsPerEm);

// Plain text as HTML (escaped, its line breaks kept), its pictures as images:
// the message as a word processor should take it.
QString picturesHtml(QStringView text, int pixelsPerEm);

// The message drawn for paper in `font` at 18 pt: black on white, half an
// em's margin round it, at twice the screen's pixels, as big as what is
// written; wrapped to an A5 page's width, and marked with its resolution so
// that it prints there at 18 pt. A null image when it would be too big for
// one (over 20,000 pixels tall).
QImage messagePicture(const QString& text, QFont font);

}  // namespace keyboard
