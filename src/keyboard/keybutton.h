#pragma once

#include <QPushButton>

namespace keyboard {

// A push button that shows its caption literally, wraps it onto more lines
// when it is wider than the button, and answers Enter as well as Space, as
// the desktop's own buttons do.
//
// QPushButton reads "&" as a mnemonic marker; the caption a user gives must
// appear exactly as typed, so every "&" is doubled on the way in and undoubled
// on the way out. The button's text stays the only store of the caption.
class KeyButton : public QPushButton {
    Q_OBJECT
public:
    explicit KeyButton(QWidget* parent = nullptr);

    QString caption() const;
    void setCaption(const QString& caption);

    // For a key whose caption the user gives: what a screen reader calls it
    // while it has none. Once named, it is called by its caption.
    void setBlankName(const QString& name);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString blankName_;
};

}  // namespace keyboard
