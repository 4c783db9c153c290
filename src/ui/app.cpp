#include "app.h"

#include "heldfinger.h"
#include "keyboard/keybutton.h"
#include "mainwindow.h"
#include "page.h"
#include "placement.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>

namespace ui {

namespace {

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

App::App(keyboard::Prompts& prompts) : pluginFolders_(setPluginFoldersAside()), prompts_(prompts)
{
    QObject::connect(help_.Command1, &QPushButton::clicked, &help_, [this] { Form2_Command1_Click(); });
    help_.installEventFilter(this);
    openMenusOnHold();
    page::followFocus();
    page::menusWithoutWaits();
    page::pasteFromPage();
}

App::~App()
{
    if (!main_)  // never made: the folders go back as they were
        QCoreApplication::setLibraryPaths(pluginFolders_);
}

void App::start()
{
    showPlaced(help_, QGuiApplication::primaryScreen());
    help_.activateWindow();
}

void App::Command31_Click()
{
    // Show first, then hide: there is always a window on screen.
    showAsPlaced(help_);
    help_.activateWindow();
    main_->hide();
}

void App::Form2_Command1_Click()
{
    help_.hide();
    if (!main_) {
        QCoreApplication::setLibraryPaths(pluginFolders_);
        main_ = std::make_unique<MainWindow>(prompts_, [] {
            page::tellItEnded();
            QCoreApplication::exit(0);
        });
        QObject::connect(main_->Command31, &QPushButton::clicked, main_.get(), [this] { Command31_Click(); });
        showPlaced(*main_, help_.screen());  // where the user is
    } else {
        showAsPlaced(*main_);
    }
    main_->activateWindow();
}

bool App::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &help_ || event->type() != QEvent::Close)
        return false;
    if (!main_) {  // at the very start: the program ends with the window
        page::tellItEnded();
        return false;
    }
    event->ignore();
    Form2_Command1_Click();
    return true;
}

}  // namespace ui
