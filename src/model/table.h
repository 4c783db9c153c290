#pragma once
// A code table read back in: the one Ctrl+Shift+C hands out, as it comes
// back from a word processor, or one typed by hand. Inside the model only.

#include "codes.h"

#include <QStringList>
#include <vector>

namespace model {

// A row of a code table: a key's name and its code.
struct TableRow {
    QString name, code;
};

struct TableRows {
    std::vector<TableRow> rows;
    QStringList outside;  // headings and lines of text around the table, left out
};

// The rows of a code table: the HTML table where there is one; else the
// plain text, a row a line with a tab, or a name, a sign or a space, and a
// code (the sign decided from the whole table: only when every row naming a
// letter has it), or a cell a line. Rows before the first that names a
// letter or the separator are headings. A no-break space is a space.
TableRows readTableRows(const QString& html, const QString& text);

// The keyboard with the table's rows loaded into the keys they name.
LoadedCode loadTable(const CodeChoice& choice, std::span<const Key> keys);

}  // namespace model
