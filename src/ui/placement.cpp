#include "placement.h"

#include "designedwindow.h"
#include "page.h"

#include <QApplication>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cmath>

namespace ui {

Placement placement(const DesignedWindow& window, QMargins frame, QRect available)
{
    const QSize edges(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QSize designed = window.designedSize();
    const QSize room = available.size() - edges;
    double scale = std::min({1.0, double(room.width()) / designed.width(), double(room.height()) / designed.height()});
    // In thousandths, down, until the rounded pixels fit too.
    scale = std::floor(scale * 1000) / 1000;
    while (scale > smallestScale && !QRect(QPoint(), room).contains(QRect(QPoint(), window.sizeAt(scale))))
        scale -= 0.001;
    scale = std::max(scale, smallestScale);

    QRect place(QPoint(), window.sizeAt(scale) + edges);
    place.moveCenter(available.center());
    place.moveTop(std::max(place.top(), available.top()));
    place.moveLeft(std::max(place.left(), available.left()));
    return {scale, place, available.contains(place)};
}

namespace {

// The frame the desktop will draw around a window not yet on screen. Some
// platforms know it beforehand; X11 learns it from the window manager once
// the window is mapped, and then the frame of a window already shown is the
// best guess.
QMargins expectedFrame(QWidget& window)
{
    window.winId();  // the native window, which knows what it can
    QMargins frame = window.windowHandle()->frameMargins();
    if (!frame.isNull())
        return frame;
    for (QWidget* other : QApplication::topLevelWidgets())
        if (other != &window && other->windowHandle() && !other->windowHandle()->frameMargins().isNull())
            return other->windowHandle()->frameMargins();
    return frame;
}

void apply(DesignedWindow& window, QMargins frame)
{
    const Placement p = placement(window, frame, window.screen()->availableGeometry());
    window.setScale(p.scale);
    // Placed by its client area, which every platform puts exactly where it
    // is asked to: moved by its frame, Qt's X11 backend counts a frame it
    // already knows twice (seen under openbox, 20 pixels low).
    window.setGeometry(QRect(p.frame.topLeft() + QPoint(frame.left(), frame.top()), window.size()));
    page::fitTitle(window);
    page::tellFits(window.objectName(), p.fits);
}

// A window manager's frame is known only once the window is on screen:
// when the first move, resize or paint after showing reports one, the
// window is placed again, frame and all. By its first paint the frame is
// known where there is one; without one, or once the window is hidden
// again, it stays where it is.
class PlaceOnceFramed : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = static_cast<DesignedWindow*>(watched);
        const QEvent::Type type = event->type();
        const bool placed = type == QEvent::Move || type == QEvent::Resize || type == QEvent::Paint;
        if (type != QEvent::Hide && !(placed && window->isVisible()))
            return false;
        const QMargins frame = window->windowHandle()->frameMargins();
        if (!frame.isNull() || type == QEvent::Paint || type == QEvent::Hide) {
            window->removeEventFilter(this);
            if (!frame.isNull() && type != QEvent::Hide)
                apply(*window, frame);
            deleteLater();
        }
        return false;
    }
};

}  // namespace

void showPlaced(DesignedWindow& window, QScreen* screen)
{
    // A page's windows are placed and scaled to fit it whenever it changes:
    // maximised, a window would fill the page while its controls stayed at
    // their scale in its corner.
    if (page::isPage)
        window.setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    window.setScreen(screen);
    apply(window, expectedFrame(window));
    window.installEventFilter(new PlaceOnceFramed(&window));
    if (page::isPage)
        QObject::connect(screen, &QScreen::availableGeometryChanged, &window,
                         [&window] { apply(window, window.windowHandle()->frameMargins()); });
    showAsPlaced(window);
}

void showAsPlaced(QWidget& window) { window.setVisible(true); }

}  // namespace ui
