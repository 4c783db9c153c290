#include "codebook.h"

#include "reading.h"

#include <algorithm>

using namespace Qt::StringLiterals;

// The key table to hand out with a message: a line a key for any program,
// and a handout a word processor prints as it is.

namespace model {

// The key's name as the table gives it: a key without a caption is named in
// words, and so is the separator, whose caption alone ("/") says nothing of
// what it is for, and which a table read back must know whatever its caption.
QString keyTableName(std::span<const Key> keys, std::size_t index)
{
    const Key& key = keys[index];
    if (key.kind == Key::Kind::Separator)
        return QString::fromUtf16(separatorWord) + (isBlankName(key.name) ? QString() : u" «"_s + key.name + u"»"_s);
    if (key.kind == Key::Kind::Letter || !isBlankName(key.name))
        return key.name;
    const auto number = std::count_if(keys.begin(), keys.begin() + qsizetype(index) + 1,
                                      [](const Key& k) { return k.kind == Key::Kind::Custom; });
    return customKeyWord(int(number));
}

QString customKeyWord(int number) { return u"πλήκτρο %1"_s.arg(number); }

QString keyTablePlain(std::span<const Key> keys)
{
    QString out;
    for (std::size_t k = 0; k < keys.size(); ++k) {
        if (!keys[k].code.isEmpty())
            out += keyTableName(keys, k) + u'\t' + keys[k].code + u'\n';
    }
    return out;
}

namespace {

const QString face = u"font-family: Arial, 'Liberation Sans', sans-serif"_s;

// Word processors collapse runs of spaces in HTML, and a code is read by its
// spaces: each one goes as a no-break space. User text is never markup.
QString htmlCell(const QString& text, const QString& attributes, const QString& style)
{
    return u"<td %1 style=\"%2; %3\">"_s.arg(attributes, face, style) + text.toHtmlEscaped().replace(u' ', u"&nbsp;"_s)
        + u"</td>"_s;
}

}  // namespace

// A handout to print beside the message: a heading, and a table with ruled
// cells across the page, the codes large and bold so that a dot prints as a
// dot. Sizes and spacing go as attributes, not styles: LibreOffice drops the
// borders of a table whose cells are padded by a style.
QString keyTableHtml(std::span<const Key> keys)
{
    QString out = u"<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Σηματοπλέκτης</title></head>\n"
                  "<body>\n<h2 style=\"%1\">Πίνακας κωδικών</h2>\n"
                  "<table border=\"1\" cellspacing=\"0\" cellpadding=\"8\" width=\"100%\">\n"_s.arg(face);
    for (std::size_t k = 0; k < keys.size(); ++k) {
        if (keys[k].code.isEmpty())
            continue;
        out += u"<tr>"_s + htmlCell(keyTableName(keys, k), u"width=\"30%\""_s, u"font-size: 16pt"_s)
            + htmlCell(keys[k].code, {}, u"font-size: 20pt; font-weight: bold"_s) + u"</tr>\n"_s;
    }
    return out + u"</table>\n</body></html>\n"_s;
}

}  // namespace model
