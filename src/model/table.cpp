#include "table.h"

#include "reading.h"
#include "slots.h"

#include <QHash>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace model {

namespace {

// What a row's name names.
struct Named {
    enum Kind { Letter, Separator, Numbered, Latin, Other } kind;
    int index = -1;          // the letter, or the custom key by its number
    bool lookAlike = false;  // a Latin letter taken for the Greek capital it looks like
};

Named nameOf(const QString& name)
{
    const QString folded = fold(name);
    if (folded.size() == 1) {
        if (const int letter = letterIndexOf(folded.front()); letter >= 0)
            return {Named::Letter, letter};
        if (const char16_t greek = greekLookAlike(name.front()); greek && name.size() == 1)
            return {Named::Letter, letterIndexOf(QChar(greek)), true};
        if (name.front().unicode() < 0x80 && name.front().isLetter())
            return {Named::Latin};
    }
    if (name.startsWith(QStringView(separatorWord)))
        return {Named::Separator};
    for (int k = 0; k < customCount; ++k) {
        if (name == customKeyWord(k + 1))
            return {Named::Numbered, k};
    }
    return {Named::Other};
}

bool namesLetterOrSeparator(const QString& name)
{
    const Named::Kind kind = nameOf(name.trimmed()).kind;
    return kind == Named::Letter || kind == Named::Separator;
}

// The rows of the first table of two or more columns, its cells' text as a
// browser would show it: markup gone, runs of spaces one, no-break spaces kept.
std::vector<TableRow> htmlRows(const QString& html)
{
    QTextDocument document;
    document.setHtml(html);
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        const auto* table = qobject_cast<QTextTable*>(frame);
        if (!table || table->columns() < 2)
            continue;
        const auto cellText = [table](int row, int column) {
            const QTextTableCell cell = table->cellAt(row, column);
            QTextCursor cursor = cell.firstCursorPosition();
            cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
            // Spaces at a cell's ends are the markup's layout (LibreOffice
            // indents its cells), which a browser shows not; a code's own
            // spaces arrive as no-break ones.
            QString text = cursor.selectedText().replace(QChar::ParagraphSeparator, u' ');
            const auto layout = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; };
            while (!text.isEmpty() && layout(text.back()))
                text.chop(1);
            while (!text.isEmpty() && layout(text.front()))
                text.remove(0, 1);
            return text;
        };
        std::vector<TableRow> rows;
        rows.reserve(std::size_t(table->rows()));
        for (int r = 0; r < table->rows(); ++r)
            rows.push_back({cellText(r, 0), cellText(r, 1)});
        return rows;
    }
    return {};
}

// Where a hand-typed row's name ends: the words the key table names the
// separator and the custom keys by, or the first word, up to a space or a sign.
const QString signStarts = u"-=:→⇒–—"_s;

qsizetype nameLength(const QString& line)
{
    static const QRegularExpression known(
        u"^(%1( «[^»]*»)?|%2)"_s.arg(QString::fromUtf16(separatorWord), customKeyWord(1).chopped(1) + u"\\d"_s));
    if (const QRegularExpressionMatch m = known.match(line); m.hasMatch())
        return m.capturedLength();
    qsizetype end = 0;
    while (end < line.size() && !line[end].isSpace() && !signStarts.contains(line[end]))
        ++end;
    return std::max<qsizetype>(end, 1);
}

// The sign a row's code follows, as people type it between a name and a
// code, or an empty view. The arrows typed in two characters are one sign,
// so that "Φ -> ..-." gives Φ no ">". A dash is also Morse's: it is a sign
// only when neither nothing nor more Morse follows it, so that "Μ --" is Μ's
// code and "Α - .-" a sign and a code.
QStringView leadingSign(QStringView rest)
{
    static const QString arrows[] = {u"->"_s, u"=>"_s};
    for (const QString& arrow : arrows) {
        if (rest.startsWith(arrow))
            return rest.first(arrow.size());
    }
    if (rest.isEmpty() || !signStarts.contains(rest.front()))
        return {};
    if (morseSymbol(rest.front()) && (rest.size() == 1 || morseSymbol(rest[1])))
        return {};
    return rest.first(1);
}

bool hasLetters(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

// Words of a sentence, not a code: two words or more with letters in them,
// or a word closed by a sentence's mark («Η ομάδα των Αετών», «Καλή
// επιτυχία!»). A code of one word a letter is still a code.
bool isProse(QStringView code)
{
    const auto words = code.split(u' ', Qt::SkipEmptyParts);
    const auto wordy = std::count_if(words.begin(), words.end(), hasLetters);
    return wordy >= 2 || (wordy == 1 && u".!;?…"_s.contains(code.back()));
}

// A row a line, a name and its code with a sign or a space between: the
// sign when the rows that name a letter or the separator have it, all but a
// few. The keys' own Morse, spaced, starts more than half its codes with a
// dash, but never so many. Which lines are rows is decided from them all: a
// line whose code is a sentence is text whatever its first word, and so is
// one whose code has letters when most codes of the table have none (dots
// and dashes, digits, Braille). A space around a typed code is layout.
std::vector<TableRow> signedRows(const QStringList& lines, QStringList& outside)
{
    struct Split {
        QString line, name, rest;
        bool prose, letters;
    };
    std::vector<Split> splits;
    for (const QString& line : lines) {
        const qsizetype length = nameLength(line);
        const QString rest = line.mid(length).trimmed();
        splits.push_back({line.trimmed(), line.left(length), rest, isProse(rest), hasLetters(rest)});
    }
    QHash<QString, int> votes;
    int voters = 0, lettered = 0;
    for (const Split& s : splits) {
        if (s.prose || !namesLetterOrSeparator(s.name))
            continue;
        ++voters;
        lettered += s.letters ? 1 : 0;
        if (const QStringView sign = leadingSign(s.rest); !sign.isEmpty())
            ++votes[sign.toString()];
    }
    QString sign;
    for (auto v = votes.cbegin(); v != votes.cend(); ++v) {
        if (v.value() * 4 >= voters * 3 && v.value() > votes.value(sign))
            sign = v.key();
    }
    const bool ofLetters = lettered * 2 > voters;
    std::vector<TableRow> rows;
    for (const Split& s : splits) {
        QString code = s.rest;
        if (!sign.isEmpty() && leadingSign(code) == sign)
            code = code.mid(sign.size()).trimmed();
        else if (!sign.isEmpty())
            code.clear();
        if (s.prose || (s.letters && !ofLetters) || (!sign.isEmpty() && code.isEmpty() && !s.rest.isEmpty()))
            outside << s.line;
        else
            rows.push_back({s.name, code});
    }
    return rows;
}

// Tab-separated, a row a line; a name and a code with a sign or a space
// between, as people type a table; or, as a word processor copies a table
// out, a cell a line. Blank lines go, and so do lines outside the table.
std::vector<TableRow> textRows(const QString& text, QStringList& outside)
{
    QStringList lines = text.split(QRegularExpression(u"\\r\\n|\\r|\\n"_s));
    // The handout's own heading is no news to anybody.
    lines.removeIf(
        [](const QString& line) { return line.trimmed().isEmpty() || line.trimmed() == u"Πίνακας κωδικών"_s; });
    std::vector<TableRow> rows;
    if (std::any_of(lines.begin(), lines.end(), [](const QString& l) { return l.contains(u'\t'); })) {
        for (const QString& line : lines) {
            const qsizetype tab = line.indexOf(u'\t');
            if (tab >= 0)
                rows.push_back({line.left(tab), line.mid(tab + 1)});
            else
                outside << line.trimmed();
        }
        return rows;
    }
    // A name alone on its line is a cell a line; a letter's name with its
    // code beside it, a row a line.
    qsizetype alone = 0, beside = 0;
    for (const QString& line : lines) {
        const qsizetype length = nameLength(line);
        if (!namesLetterOrSeparator(line.left(length)))
            continue;
        (line.mid(length).trimmed().isEmpty() ? alone : beside) += 1;
    }
    if (beside > alone)
        return signedRows(lines, outside);
    // Lines before the first name of a letter or the separator would pair
    // every name after them with the next name's code.
    qsizetype first = 0;
    while (first < lines.size() && !namesLetterOrSeparator(lines[first]))
        outside << lines[first++].trimmed();
    for (qsizetype i = first; i + 1 < lines.size(); i += 2)
        rows.push_back({lines[i], lines[i + 1]});
    return rows;
}

}  // namespace

TableRows readTableRows(const QString& html, const QString& text)
{
    TableRows table;
    table.rows = html.isEmpty() ? std::vector<TableRow>() : htmlRows(html);
    if (table.rows.empty())
        table.rows = textRows(text, table.outside);
    for (TableRow& row : table.rows) {
        row.name = row.name.replace(QChar::Nbsp, u' ').trimmed();
        row.code.replace(QChar::Nbsp, u' ');
    }
    // Headings: the rows before the first that names a letter or the separator.
    const auto first = std::find_if(table.rows.begin(), table.rows.end(),
                                    [](const TableRow& row) { return namesLetterOrSeparator(row.name); });
    for (auto row = table.rows.begin(); row != first; ++row)
        table.outside << row->name;
    table.rows.erase(table.rows.begin(), first);
    return table;
}

LoadedCode loadTable(const CodeChoice& choice, std::span<const Key> keys)
{
    LoadedCode loaded{{keys.begin(), keys.end()}, {}, true};
    const TableRows table = readTableRows(choice.tableHtml, choice.tableText);
    if (table.rows.empty()) {
        loaded.usable = false;
        const QString text
            = table.outside.isEmpty() ? QString() : u", μόνο κείμενο («"_s + table.outside.join(u"», «"_s) + u"»)"_s;
        loaded.notes
            << u"Δεν βρέθηκε πίνακας κωδικών%1: επικόλλησε εδώ έναν πίνακα από την «Αντιγραφή πίνακα κωδικών»."_s.arg(
                   text);
        return loaded;
    }
    std::vector<std::size_t> letters, customs;  // where they are in `keys`
    std::size_t separator = keys.size();
    for (std::size_t k = 0; k < keys.size(); ++k) {
        if (keys[k].kind == Key::Kind::Letter)
            letters.push_back(k);
        else if (keys[k].kind == Key::Kind::Custom)
            customs.push_back(k);
        else
            separator = k;
    }

    std::vector<bool> named(keys.size(), false);
    QStringList leftOut, lookAlikes;
    const auto give = [&](std::size_t k, const QString& name, const QString& code) {
        if (named[k]) {
            leftOut << u"«%1» (δεύτερη φορά)"_s.arg(name);
            return;
        }
        named[k] = true;
        loaded.keys[k].code = code;
        if (keys[k].kind != Key::Kind::Letter)
            loaded.keys[k].name = keys[k].kind == Key::Kind::Separator ? separatorCaption(code) : name;
    };
    // Custom keys named by their number keep their place; the others take
    // the free places in the order they come.
    std::vector<bool> claimed(customs.size(), false);
    for (const TableRow& row : table.rows) {
        const Named name = nameOf(row.name);
        if (name.kind == Named::Numbered && std::size_t(name.index) < customs.size())
            claimed[std::size_t(name.index)] = true;
    }
    std::size_t nextCustom = 0;
    for (const TableRow& row : table.rows) {
        const Named name = nameOf(row.name);
        if (row.name.isEmpty())
            leftOut << u"μια γραμμή χωρίς όνομα"_s;
        else if (row.code.isEmpty())
            leftOut << u"«%1» (χωρίς κωδικό)"_s.arg(row.name);
        else if (name.kind == Named::Letter && std::size_t(name.index) < letters.size()) {
            give(letters[std::size_t(name.index)], row.name, row.code);
            if (name.lookAlike)
                lookAlikes << u"«%1»"_s.arg(row.name);
        } else if (name.kind == Named::Latin)
            leftOut << u"«%1» (λατινικό γράμμα, κανένα πλήκτρο)"_s.arg(row.name);
        else if (name.kind == Named::Separator && separator < keys.size())
            give(separator, row.name, row.code);
        else if (name.kind == Named::Numbered && std::size_t(name.index) < customs.size())
            give(customs[std::size_t(name.index)], QString(), row.code);
        else {
            while (nextCustom < customs.size() && claimed[nextCustom])
                ++nextCustom;
            if (nextCustom == customs.size()) {
                leftOut << u"«%1» (τα δικά σου πλήκτρα είναι μόνο τρία)"_s.arg(row.name);
                continue;
            }
            claimed[nextCustom] = true;
            give(customs[nextCustom++], row.name, row.code);
        }
    }
    if (!table.outside.isEmpty())
        loaded.notes << u"Επικεφαλίδες και κείμενο έξω από τον πίνακα, δεν φορτώνονται: «"_s
                + table.outside.join(u"», «"_s) + u"»."_s;
    if (!leftOut.isEmpty())
        loaded.notes << u"Δεν φορτώνονται: "_s + leftOut.join(u", "_s) + u'.';
    if (!lookAlikes.isEmpty())
        loaded.notes << u"Λατινικά, διαβάστηκαν ως τα ελληνικά που μοιάζουν: "_s + lookAlikes.join(u' ') + u'.';
    QStringList replaced;
    for (const std::size_t k : customs) {
        const bool own = !isBlankName(keys[k].name) || !keys[k].code.isEmpty();
        if (named[k] && own && loaded.keys[k] != keys[k])
            replaced << u"«%1»"_s.arg(isBlankName(keys[k].name) ? keys[k].code : keys[k].name);
    }
    if (!replaced.isEmpty())
        loaded.notes << u"Αντικαθιστά τα δικά σου πλήκτρα: "_s + replaced.join(u' ') + u'.';
    const bool anyLetter = std::any_of(letters.begin(), letters.end(), [&named](std::size_t k) { return named[k]; });
    if (!anyLetter && !(separator < keys.size() && named[separator])) {
        loaded.usable = false;
        loaded.keys.assign(keys.begin(), keys.end());
        loaded.notes << u"Ο πίνακας δεν ορίζει κανένα γράμμα ούτε το διαχωριστικό, οπότε δεν φορτώνεται τίποτα."_s;
        return loaded;
    }
    QStringList kept;
    for (const std::size_t k : letters) {
        if (!named[k])
            kept << keys[k].name;
    }
    if (separator < keys.size() && !named[separator])
        kept << QString::fromUtf16(separatorWord);
    if (!kept.isEmpty())
        loaded.notes << u"Ο πίνακας δεν τα ορίζει, κρατούν τους κωδικούς τους: "_s + kept.join(u", "_s) + u'.';
    return loaded;
}

}  // namespace model
