#pragma once
// What the readers of the codes share: the exact reading, which every
// reader by a code's own symbols falls back on for what is not its code.
// Inside the model only.

#include "codebook.h"

namespace model {

// A caption of spaces only shows nothing on the key, so it is no name either.
bool isBlankName(const QString& name);

// The message read code by code, exactly as the keys write them.
Reading readExactly(QStringView message, std::span<const Key> keys);

qsizetype unreadLength(const Reading& reading);

// A reading of the message with characters changed one for one (a space for
// the blank cell, a letter for its capital): its unread text as written.
void showUnreadAsWritten(Reading& reading, QStringView message);

// A key as the key table names it: a letter by itself, the separator and a
// custom key without a caption in words.
QString keyTableName(std::span<const Key> keys, std::size_t index);

// Adds the pieces of a stretch read exactly, where the stretch starts at
// `from` of the message; unread text next to unread text becomes one piece.
void appendPieces(Reading& reading, Reading stretch, qsizetype from, QStringView message);

}  // namespace model
