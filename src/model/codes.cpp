#include "codes.h"

#include "braille.h"
#include "decodability.h"
#include "slots.h"

#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace model {

namespace {

const QString alphabet = u"ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ"_s;

struct Code {
    std::array<QString, letterCount> letters;
    QString separator;
};

// The keyword's row: its letters, each at its first appearance, then the
// rest of the alphabet in order. The word is folded as a text to write is,
// and what it made of the word is said: Latin look-alikes taken as Greek,
// and the other letters and digits, which no row has, left out.
struct Keyword {
    QString row;
    bool anyLetter = false;
    QStringList lookAlikes, leftOut;  // as typed, each once
};

Keyword keyword(QStringView word)
{
    Keyword k;
    for (const QChar typed : word) {
        const QString folded = fold(QStringView(&typed, 1));
        QChar c = folded.size() == 1 ? folded.front() : QChar();
        if (const char16_t greek = alphabet.contains(c) ? 0 : greekLookAlike(typed)) {
            c = QChar(greek);
            if (!k.lookAlikes.contains(typed))
                k.lookAlikes << typed;
        }
        if (alphabet.contains(c)) {
            k.anyLetter = true;
            if (!k.row.contains(c))
                k.row += c;
        } else if (typed.isLetterOrNumber() && !k.leftOut.contains(typed)) {
            k.leftOut << typed;
        }
    }
    for (const QChar c : alphabet) {
        if (!k.row.contains(c))
            k.row += c;
    }
    return k;
}

QString keywordRow(QStringView word) { return keyword(word).row; }

QString quoted(const QStringList& characters) { return u"«"_s + characters.join(u"» «"_s) + u"»"_s; }

// Each letter written as a letter of a row of the alphabet.
Code substitution(QStringView row)
{
    Code code;
    for (int i = 0; i < letterCount; ++i)
        code.letters[i] = row[i];
    code.separator = u" "_s;
    return code;
}

Code builtIn(const CodeChoice& choice)
{
    Code code;
    switch (choice.kind) {
    case CodeKind::Morse:
        for (int i = 0; i < letterCount; ++i)
            code.letters[i] = letterCode(i);
        code.separator = QString::fromUtf16(separatorDefault);
        break;
    case CodeKind::Numbers:
        for (int i = 0; i < letterCount; ++i)
            code.letters[i] = u"%1 "_s.arg(i + 1);
        code.separator = u"/ "_s;
        break;
    case CodeKind::Reversed: {
        QString row = alphabet;
        std::reverse(row.begin(), row.end());
        code = substitution(row);
        break;
    }
    case CodeKind::Caesar: {
        const int shift = std::clamp(choice.shift, shortestShift, longestShift);
        code = substitution(alphabet.mid(shift) + alphabet.left(shift));
        break;
    }
    case CodeKind::Keyword:
        code = substitution(keywordRow(choice.word));
        break;
    case CodeKind::Polybius:
        // Five rows of five, the last one short: row, then column.
        for (int i = 0; i < letterCount; ++i)
            code.letters[i] = u"%1%2 "_s.arg(i / 5 + 1).arg(i % 5 + 1);
        code.separator = u"/ "_s;
        break;
    case CodeKind::Phone:
        // Three letters to a key from 2 on; a letter is its key pressed as
        // many times as its place on it. 0 is a phone's space.
        for (int i = 0; i < letterCount; ++i)
            code.letters[i] = QString(i % 3 + 1, QChar(u'2' + i / 3)) + u' ';
        code.separator = u"0 "_s;
        break;
    case CodeKind::Braille:
        for (int i = 0; i < letterCount; ++i)
            code.letters[i] = QChar(brailleLetters[i]);
        code.separator = QString(QChar(blankCell));
        break;
    case CodeKind::Table:
        break;
    }
    return code;
}

int letterIndex(const QString& name)
{
    QString folded = fold(name);
    if (folded.size() != 1)
        return -1;
    return int(alphabet.indexOf(folded.front()));
}

// The custom key a table names by the word for a key without a caption.
int unnamedCustomSlot(const QString& name)
{
    for (int k = 0; k < customCount; ++k) {
        if (name == customKeyWord(k + 1))
            return k;
    }
    return -1;
}

LoadedCode loadTable(const CodeChoice& choice, std::span<const Key> keys)
{
    LoadedCode loaded{{keys.begin(), keys.end()}, {}, true};
    const std::vector<TableRow> rows = readTableRows(choice.tableHtml, choice.tableText);
    if (rows.empty()) {
        loaded.usable = false;
        loaded.notes
            << u"Δεν βρέθηκε πίνακας κωδικών: επικόλλησε εδώ έναν πίνακα από την «Αντιγραφή πίνακα κωδικών»."_s;
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
    QStringList leftOut;
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
    for (const TableRow& row : rows) {
        const int slot = unnamedCustomSlot(row.name);
        if (slot >= 0 && std::size_t(slot) < customs.size())
            claimed[std::size_t(slot)] = true;
    }
    std::size_t nextCustom = 0;
    for (const TableRow& row : rows) {
        const int letter = letterIndex(row.name);
        const int slot = unnamedCustomSlot(row.name);
        if (row.name.isEmpty())
            leftOut << u"μια γραμμή χωρίς όνομα"_s;
        else if (row.code.isEmpty())
            leftOut << u"«%1» (χωρίς κωδικό)"_s.arg(row.name);
        else if (letter >= 0 && std::size_t(letter) < letters.size())
            give(letters[std::size_t(letter)], row.name, row.code);
        else if (row.name.startsWith(QStringView(separatorWord)) && separator < keys.size())
            give(separator, row.name, row.code);
        else if (slot >= 0 && std::size_t(slot) < customs.size())
            give(customs[std::size_t(slot)], QString(), row.code);
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
    if (!leftOut.isEmpty())
        loaded.notes << u"Δεν φορτώνονται: "_s + leftOut.join(u", "_s) + u'.';
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

}  // namespace

QString codeName(CodeKind kind)
{
    static const std::array<QString, codeKindCount> names{
        u"Μορς"_s,        u"Αριθμοί (Α=1)"_s,          u"Αντίστροφο αλφάβητο"_s,  u"Καίσαρας"_s,
        u"Λέξη-κλειδί"_s, u"Τετράγωνο του Πολύβιου"_s, u"Πληκτρολόγιο κινητού"_s, u"Μπράιγ"_s,
        u"Από πίνακα…"_s};
    return names[std::size_t(kind)];
}

QString separatorCaption(const QString& code)
{
    const bool ink = std::any_of(code.begin(), code.end(), [](QChar c) { return !c.isSpace() && c != blankCell; });
    return ink || code.isEmpty() ? code : u"␣"_s;
}

namespace {

LoadedCode loadBuiltIn(const CodeChoice& choice, std::span<const Key> keys)
{
    const Code code = builtIn(choice);
    LoadedCode loaded{{keys.begin(), keys.end()}, {}, true};
    int letter = 0;
    for (Key& key : loaded.keys) {
        if (key.kind == Key::Kind::Letter && letter < letterCount) {
            key.code = code.letters[std::size_t(letter++)];
        } else if (key.kind == Key::Kind::Separator) {
            key.code = code.separator;
            key.name = separatorCaption(code.separator);
        }
    }
    if (choice.kind == CodeKind::Keyword) {
        const Keyword k = keyword(choice.word);
        if (!k.lookAlikes.isEmpty())
            loaded.notes << u"Λατινικά, μπήκαν ως τα ελληνικά που μοιάζουν: "_s + quoted(k.lookAlikes) + u'.';
        if (!k.leftOut.isEmpty())
            loaded.notes << u"Δεν είναι ελληνικά γράμματα και δεν μπαίνουν στη σειρά: "_s + quoted(k.leftOut) + u'.';
        if (!k.anyLetter)
            loaded.notes << u"Η λέξη δεν έχει ελληνικά γράμματα· κάθε γράμμα γράφεται όπως είναι."_s;
        else if (k.row == alphabet)
            loaded.notes << u"Η λέξη αφήνει το αλφάβητο όπως είναι· κάθε γράμμα γράφεται όπως είναι."_s;
    }
    return loaded;
}

}  // namespace

LoadedCode loadCode(const CodeChoice& choice, std::span<const Key> keys)
{
    LoadedCode loaded = choice.kind == CodeKind::Table ? loadTable(choice, keys) : loadBuiltIn(choice, keys);
    if (loaded.usable) {
        if (const QString ambiguity = ambiguityNote(loaded.keys); !ambiguity.isEmpty())
            loaded.notes << ambiguity;
    }
    return loaded;
}

std::optional<QString> rewriteMessage(QStringView message, std::span<const Key> from, std::span<const Key> to)
{
    const Reading reading = readMessage(message, from);
    if (reading.ambiguous || !reading.bySymbols.isEmpty())
        return std::nullopt;
    QString text;
    for (const Piece& piece : reading.pieces) {
        if (piece.kind == Piece::Kind::Unread || piece.unnamed)
            return std::nullopt;
        text += piece.text;
    }
    const Encoding again = encodeText(text, to);
    if (!again.missing.isEmpty())
        return std::nullopt;
    return again.codes;
}

std::optional<CodeChoice> heldCode(std::span<const Key> keys, const CodeChoice& remembered)
{
    const auto holds = [keys](const CodeChoice& choice) {
        const Code code = builtIn(choice);
        int letter = 0;
        return std::all_of(keys.begin(), keys.end(), [&](const Key& key) {
            if (key.kind == Key::Kind::Letter)
                return letter < letterCount && key.code == code.letters[std::size_t(letter++)];
            return key.kind != Key::Kind::Separator || key.code == code.separator;
        });
    };
    for (int k = 0; k < codeKindCount; ++k) {
        CodeChoice choice = remembered;
        choice.kind = CodeKind(k);
        if (choice.kind == CodeKind::Table)
            continue;
        if (holds(choice))
            return choice;
        if (choice.kind == CodeKind::Caesar) {
            for (choice.shift = shortestShift; choice.shift <= longestShift; ++choice.shift) {
                if (holds(choice))
                    return choice;
            }
        }
        if (choice.kind == CodeKind::Keyword) {
            choice.word = CodeChoice().word;
            if (holds(choice))
                return choice;
        }
    }
    return std::nullopt;
}

namespace {

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

// Tab-separated, a row a line; or, as a word processor copies a table out,
// a cell a line. Lines outside the table (its heading, blank ones) go.
std::vector<TableRow> textRows(const QString& text)
{
    QStringList lines = text.split(QRegularExpression(u"\\r\\n|\\r|\\n"_s));
    lines.removeIf([](const QString& line) { return line.isEmpty() || line.trimmed() == u"Πίνακας κωδικών"_s; });
    std::vector<TableRow> rows;
    const bool tabbed = std::any_of(lines.begin(), lines.end(), [](const QString& l) { return l.contains(u'\t'); });
    if (tabbed) {
        for (const QString& line : lines) {
            const qsizetype tab = line.indexOf(u'\t');
            if (tab >= 0)
                rows.push_back({line.left(tab), line.mid(tab + 1)});
        }
    } else {
        for (qsizetype i = 0; i + 1 < lines.size(); i += 2)
            rows.push_back({lines[i], lines[i + 1]});
    }
    return rows;
}

}  // namespace

std::vector<TableRow> readTableRows(const QString& html, const QString& text)
{
    std::vector<TableRow> rows = html.isEmpty() ? std::vector<TableRow>() : htmlRows(html);
    if (rows.empty())
        rows = textRows(text);
    for (TableRow& row : rows) {
        row.name = row.name.replace(QChar::Nbsp, u' ').trimmed();
        row.code.replace(QChar::Nbsp, u' ');
    }
    return rows;
}

}  // namespace model
