#pragma once
// The program's own modal boxes share one frame: a caption, OK (and Cancel)
// in Greek, Ctrl+Enter for OK from anywhere in the box, said under the
// buttons, and fields that open with room for a real text.

#include <QDialog>
#include <QString>
#include <vector>

class QDialogButtonBox;
class QLabel;
class QPlainTextEdit;
class QVBoxLayout;

namespace ui {

class PlainTextField;

inline const QString okText = QStringLiteral("Εντάξει");
inline const QString cancelText = QStringLiteral("Άκυρο");

class Box {
public:
    Box(const QString& title, bool cancel);
    Box(const Box&) = delete;
    Box& operator=(const Box&) = delete;

    QDialog dialog;
    QVBoxLayout* layout;
    QDialogButtonBox* buttons;

    // A wrapping label of plain text, under what is there; hidden while empty.
    QLabel* addLabel(const QString& text = {}, QVBoxLayout* into = nullptr);

    // A multi-line text field under its caption, with room for `lines` lines.
    PlainTextField* addField(const QString& caption, bool readOnly, QVBoxLayout* into = nullptr, int lines = 10);
    void addField(PlainTextField* field, const QString& caption, bool readOnly, QVBoxLayout* into, int lines);

    // Adds the buttons and the Ctrl+Enter line, fits the box to its screen
    // (its fields give up lines, never below a few, where the screen is too
    // low for them) and runs it.
    int exec();

private:
    struct Sized {
        QPlainTextEdit* field;
        int lines;
    };
    std::vector<Sized> fields_;
};

// Sets a box's note, shown only while it has something to say.
void say(QLabel* label, const QString& text);

// A field's height for so many whole lines of its font.
int heightForLines(const QPlainTextEdit& field, int lines);

}  // namespace ui
