#include "app.h"

#include "keyboard/keybutton.h"
#include "mainwindow.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

namespace ui {

void centreOnScreen(QWidget& window)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    QRect place(QPoint(), window.size());
    place.moveCenter(screen->availableGeometry().center());
    window.move(place.topLeft());
}

App::App(keyboard::Prompts& prompts) : prompts_(prompts)
{
    QObject::connect(help_.Command1, &QPushButton::clicked, &help_, [this] { Form2_Command1_Click(); });
}

App::~App() = default;

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
        main_ = std::make_unique<MainWindow>(prompts_, [] { QCoreApplication::exit(0); });
        QObject::connect(main_->Command31, &QPushButton::clicked, main_.get(), [this] { Command31_Click(); });
        centreOnScreen(*main_);
    }
    main_->show();
    main_->activateWindow();
}

}  // namespace ui
