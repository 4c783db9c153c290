// The program's life: the help window first, the keyboard window made at the
// first OK, the moves between them, and every way the program ends.

#include "keyboard/keybutton.h"
#include "scriptedprompts.h"
#include "ui/app.h"
#include "ui/designedwindow.h"
#include "ui/mainwindow.h"
#include "ui/placement.h"
#include "ui/qtprompts.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace {

// Centred on the screen, give or take the window frame the platform adds.
bool centred(const QWidget& window)
{
    const QPoint off = window.geometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
    return off.manhattanLength() <= 6;
}

// Runs the event loop with `step` queued in it; true when the program ended.
bool programEnds(const std::function<void()>& step)
{
    QTimer::singleShot(0, step);
    QTimer failed;  // stopped with the loop, so it can end no later one
    failed.setSingleShot(true);
    failed.callOnTimeout([] { QCoreApplication::exit(1); });
    failed.start(2000);
    return QCoreApplication::exec() == 0;
}

}  // namespace

class LifecycleTest : public QObject {
    Q_OBJECT

    ScriptedPrompts prompts;

    static void pressOk(ui::App& app)
    {
        app.helpWindow().Command1->setFocus();
        QTest::keyClick(app.helpWindow().Command1, Qt::Key_Return);
    }

private slots:
    void init() { prompts = {}; }

    void opensOnHelpThenKeyboard()
    {
        ui::App app(prompts);
        app.start();
        ui::HelpWindow& help = app.helpWindow();
        QVERIFY(QTest::qWaitForWindowActive(&help));
        QCOMPARE(help.size(), QSize(473, 566));
        QVERIFY(centred(help));
        QVERIFY(app.mainWindow() == nullptr);
        QCOMPARE(help.windowIcon().pixmap(32).size(), QSize(32, 32));

        // OK is the only stop for the focus, and Esc does nothing.
        QCOMPARE(QApplication::focusWidget(), help.Command1);
        QTest::keyClick(help.Command1, Qt::Key_Tab);
        QTest::keyClick(help.Command1, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), help.Command1);
        QTest::keyClick(&help, Qt::Key_Escape);
        QVERIFY(help.isVisible());
        for (QLabel* label : help.findChildren<QLabel*>()) {
            QCOMPARE(label->textFormat(), Qt::PlainText);
            QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(label->objectName()));
        }

        pressOk(app);
        QVERIFY(!help.isVisible());
        ui::MainWindow* main = app.mainWindow();
        QVERIFY(main && main->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(main));
        QVERIFY(centred(*main));
        QCOMPARE(QApplication::focusWidget(), main->Text1[0]);
        QVERIFY(!main->windowIcon().isNull());
        QVERIFY(!main->Command31->picture().isNull());
        QVERIFY(main->Command31->text().isEmpty());
    }

    void everythingSurvivesAVisitToHelp()
    {
        ui::App app(prompts);
        app.start();
        pressOk(app);
        ui::MainWindow* main = app.mainWindow();
        ui::HelpWindow& help = app.helpWindow();

        main->Text1[3]->setText(u"Δ!"_s);
        QTest::mouseClick(main->letterKeys[3], Qt::LeftButton);
        prompts.names = {u"★"_s};
        QTest::mouseClick(main->customKeys[2], Qt::LeftButton);
        main->Text3->appendPlainText(u"χέρι"_s);

        const QPoint moved = help.pos() + QPoint(-40, 25);
        for (int visit = 0; visit < 3; ++visit) {
            QTest::mouseClick(main->Command31, Qt::LeftButton);
            QVERIFY(help.isVisible());
            QVERIFY(!main->isVisible());
            if (visit == 0)
                help.move(moved);
            QCOMPARE(help.pos(), moved);
            pressOk(app);
            QCOMPARE(app.mainWindow(), main);  // the same window, never made again
            QVERIFY(main->isVisible() && !help.isVisible());
        }
        QCOMPARE(main->Text1[3]->text(), u"Δ!"_s);
        QCOMPARE(main->Text3->toPlainText(), u"Δ!\nχέρι"_s);
        QCOMPARE(main->customKeys[2]->caption(), u"★"_s);

        // A larger window moves no control.
        const QRect message = main->Text3->geometry();
        main->resize(1200, 900);
        help.resize(900, 900);
        QCOMPARE(main->Text3->geometry(), message);
        QCOMPARE(help.Command1->pos(), QPoint(152, 512));
    }

    void closingHelpAtTheStartEnds()
    {
        const QStringList pluginFolders = QCoreApplication::libraryPaths();
        {
            ui::App app(prompts);
            app.start();
            QVERIFY(programEnds([&] { app.helpWindow().windowHandle()->close(); }));
            QVERIFY(app.mainWindow() == nullptr);
        }
        // The plugin folders the help window set aside come back with it.
        QCOMPARE(QCoreApplication::libraryPaths(), pluginFolders);
    }

    void exitConfirmedEndsWithTheHelpWindowHidden()
    {
        ui::App app(prompts);
        app.start();
        pressOk(app);
        prompts.confirmations = {false};
        QTest::mouseClick(app.mainWindow()->Command32, Qt::LeftButton);
        QVERIFY(app.mainWindow()->isVisible());

        prompts.confirmations = {true};
        QVERIFY(programEnds([&] { QTest::mouseClick(app.mainWindow()->Command32, Qt::LeftButton); }));
    }

    void noCloseBoxLosesTheMessage()
    {
        ui::App app(prompts);
        app.start();
        pressOk(app);
        ui::MainWindow* main = app.mainWindow();
        QTest::mouseClick(main->letterKeys[0], Qt::LeftButton);

        // The keyboard window's close box asks Έξοδος's question; Cancel keeps all.
        prompts.confirmations = {false};
        main->windowHandle()->close();
        QCOMPARE(prompts.asked, QStringList{u"ΕΞΟΔΟΣ|Σίγουρα θες να βγεις;"_s});
        QVERIFY(main->isVisible());
        QCOMPARE(main->Text3->toPlainText(), u" . - /"_s);

        // The help window's close box, with the keyboard window behind it, brings it back.
        QTest::mouseClick(main->Command31, Qt::LeftButton);
        app.helpWindow().windowHandle()->close();
        QVERIFY(main->isVisible() && !app.helpWindow().isVisible());
        QCOMPARE(main->Text3->toPlainText(), u" . - /"_s);

        prompts.confirmations = {true};
        QVERIFY(programEnds([&] { main->windowHandle()->close(); }));
    }

    void everyWindowAndBoxFitsItsScreen()
    {
        // Wholly inside the work area, frame and all, at the largest scale
        // that fits; on a large enough screen that is the designed size.
        ui::App app(prompts);
        app.start();
        pressOk(app);
        for (ui::DesignedWindow* window : {static_cast<ui::DesignedWindow*>(&app.helpWindow()),
                                           static_cast<ui::DesignedWindow*>(app.mainWindow())}) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            const QRect work = window->screen()->availableGeometry();
            const QRect frame = window->frameGeometry();
            const double scale = window->scale();
            qInfo() << window->objectName() << "at" << scale << frame << "on" << work;
            QVERIFY(work.contains(frame));
            QCOMPARE(window->size(), window->sizeAt(scale));
            const QSize edges = frame.size() - window->size();
            QVERIFY(scale == 1
                    || !QRect(QPoint(), work.size()).contains(QRect(QPoint(), window->sizeAt(scale + 0.01) + edges)));
            QVERIFY(scale >= 1 || centred(*window));
        }

        // So does every box, down to a phone held sideways: its buttons and
        // its last line on the screen, its text no smaller than the windows'.
        ui::QtPrompts real;
        ui::MainWindow window(real, [] {});
        window.show();
        for (const Qt::Key command : {Qt::Key_K, Qt::Key_T, Qt::Key_R, Qt::Key_M}) {
            window.activateWindow();  // back from the box before
            QVERIFY(QTest::qWaitForWindowActive(&window));
            bool seen = false;
            QTimer::singleShot(0, [&seen] {  // once the box is open, and then placed
                QTimer::singleShot(0, [&seen] {
                    QWidget* box = QApplication::activeModalWidget();
                    QVERIFY(box);
                    // The codes box at its tallest page: a table pasted in.
                    if (auto* codes = box->findChild<QListWidget*>()) {
                        codes->setCurrentItem(codes->findItems(u"Από πίνακα…"_s, Qt::MatchExactly).value(0));
                        QVERIFY(codes->currentRow() > 0);
                        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
                    }
                    box->close();  // whatever fails below, the loop ends
                    const QRect work = box->screen()->availableGeometry();
                    const QWidget* last = box->findChildren<QLabel*>().constLast();  // "Ctrl+Enter: Εντάξει"
                    const QWidget* buttons = box->findChild<QDialogButtonBox*>();
                    qInfo() << box->windowTitle() << box->frameGeometry() << "on" << work << "text at"
                            << last->font().pointSizeF();
                    QVERIFY(work.contains(box->frameGeometry()));
                    for (const QWidget* bottom : {last, buttons})
                        QVERIFY(box->rect().contains(QRect(bottom->mapTo(box, QPoint()), bottom->size())));
                    QVERIFY(last->font().pointSizeF() >= 8 * ui::smallestScale - 0.01);
                    // No caption drawn over a control beside it (a label over
                    // a list's last row, as the page on a phone once showed).
                    const QList<QWidget*> all = box->findChildren<QWidget*>();
                    const auto at = [box](const QWidget* w) { return QRect(w->mapTo(box, QPoint()), w->size()); };
                    for (const QLabel* label : box->findChildren<QLabel*>()) {
                        if (!label->isVisibleTo(box) || label->text().isEmpty())
                            continue;
                        for (const QWidget* other : all) {
                            const bool control = qobject_cast<const QLabel*>(other)
                                || qobject_cast<const QAbstractButton*>(other)
                                || qobject_cast<const QAbstractScrollArea*>(other)
                                || qobject_cast<const QLineEdit*>(other)
                                || qobject_cast<const QAbstractSpinBox*>(other);
                            if (control && other != label && other->isVisibleTo(box) && !other->isAncestorOf(label)
                                && !label->isAncestorOf(other))
                                QVERIFY2(!at(label).intersects(at(other)),
                                         qPrintable(label->text() + u" over "_s + other->metaObject()->className()
                                                    + u" "_s + other->accessibleName()));
                        }
                    }
                    seen = true;
                });
            });
            QTest::keyClick(window.Text1[0], command, Qt::ControlModifier);
            QVERIFY2(seen, qPrintable(QKeySequence(command).toString()));
        }
    }
};

QTEST_MAIN(LifecycleTest)
#include "tst_lifecycle.moc"
