#pragma once
// The windows' fixed texts, written once. They are the program's own words,
// kept exactly as its users know them, slips of the keyboard included.

#include <QString>

namespace ui {

QString helpText();           // the help window's instructions
QString editingNote();        // the bold note under them
QString credits();            // who made the program, and where to write
QString mainWindowCaption();  // the keyboard window's title

}  // namespace ui
