#pragma once

#include <QPixmap>
#include <QPushButton>

namespace keyboard {

// A push button that shows its caption literally and answers Enter as well
// as Space, as the desktop's own buttons do.
//
// A caption too wide for the button wraps onto more lines; one that still
// does not fit is drawn smaller, down to a size still easy to read, and past
// that it is cut short with an ellipsis, never mid-letter. The whole caption
// is then the button's tooltip.
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

    // A picture in place of a caption, centred and kept inside the frame,
    // so the frame, the pressed look and the focus stay visible.
    void setPicture(const QPixmap& picture);
    QPixmap picture() const { return picture_; }

    // The font the caption is drawn in: the button's own, or a smaller one.
    QFont captionFont() const { return captionFont_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QRect contentArea(const QStyleOptionButton& option) const;
    void fitCaption();

    QString blankName_;
    QPixmap picture_;
    // How the caption is drawn, worked out when it, the size or the font change.
    QFont captionFont_;
    QString shownCaption_;
    int captionFlags_ = 0;
};

}  // namespace keyboard
