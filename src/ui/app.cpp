#include "app.h"

#include "keyboard/keybutton.h"
#include "mainwindow.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

namespace ui {

using namespace Qt::StringLiterals;

namespace {

void centreFrame(QWidget& window)
{
    QRect place(QPoint(), window.frameGeometry().size());
    place.moveCenter(QGuiApplication::primaryScreen()->availableGeometry().center());
    // A window's position is its frame's. Qt's X11 backend, though, counts a
    // known frame twice when it moves a window (seen under openbox, 20 pixels
    // low), and puts the frame right when given the frame's corner as the
    // client area's.
    if (QGuiApplication::platformName() == u"xcb"_s)
        window.setGeometry(QRect(place.topLeft(), window.size()));
    else
        window.move(place.topLeft());
}

// A window manager's frame is known only once the window is on screen:
// when the first move, resize or paint after showing reports one, the
// window is centred again, frame and all. By its first paint the frame is
// known where there is one; without one, or once the window is hidden
// again, it stays where it is.
class CentreOnceFramed : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = static_cast<QWidget*>(watched);
        const QEvent::Type type = event->type();
        const bool placed = type == QEvent::Move || type == QEvent::Resize || type == QEvent::Paint;
        if (type != QEvent::Hide && !(placed && window->isVisible()))
            return false;
        const bool framed = window->frameGeometry().size() != window->size();
        if (framed || type == QEvent::Paint || type == QEvent::Hide) {
            window->removeEventFilter(this);
            if (framed && type != QEvent::Hide)
                centreFrame(*window);
            deleteLater();
        }
        return false;
    }
};

// Qt finds its plugins in these folders. The help window needs none but the
// platform's, loaded by now; without the folders, the first picture its
// style draws does not make Qt load every image plugin on the way, a tenth
// of the start. The keyboard window gets them back.
QStringList setPluginFoldersAside()
{
    QStringList folders = QCoreApplication::libraryPaths();
    QCoreApplication::setLibraryPaths({});
    return folders;
}

}  // namespace

void centreOnScreen(QWidget& window)
{
    centreFrame(window);
    window.installEventFilter(new CentreOnceFramed(&window));
}

App::App(keyboard::Prompts& prompts) : pluginFolders_(setPluginFoldersAside()), prompts_(prompts)
{
    QObject::connect(help_.Command1, &QPushButton::clicked, &help_, [this] { Form2_Command1_Click(); });
}

App::~App()
{
    if (!main_)  // never made: the folders go back as they were
        QCoreApplication::setLibraryPaths(pluginFolders_);
}

void App::start()
{
    centreOnScreen(help_);
    help_.show();
    help_.activateWindow();
}

void App::Command31_Click()
{
    // Show first, then hide: there is always a window on screen.
    help_.show();
    help_.activateWindow();
    main_->hide();
}

void App::Form2_Command1_Click()
{
    help_.hide();
    if (!main_) {
        QCoreApplication::setLibraryPaths(pluginFolders_);
        main_ = std::make_unique<MainWindow>(prompts_, [] { QCoreApplication::exit(0); });
        QObject::connect(main_->Command31, &QPushButton::clicked, main_.get(), [this] { Command31_Click(); });
        centreOnScreen(*main_);
    }
    main_->show();
    main_->activateWindow();
}

}  // namespace ui
