// Huge and hostile input: nothing is cut, nothing is mangled, nothing crashes.

#include "keyboard/keybutton.h"
#include "scriptedprompts.h"
#include "ui/mainwindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

class HostileTest : public QObject {
    Q_OBJECT

    ScriptedPrompts prompts;
    std::unique_ptr<ui::MainWindow> w;

    static void paste(QWidget* into, const QString& text)
    {
        QGuiApplication::clipboard()->setText(text);
        into->setFocus();
        QTest::keySequence(into, QKeySequence::Paste);
    }

private slots:
    void init()
    {
        w = std::make_unique<ui::MainWindow>(prompts, [] {});
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup() { w.reset(); }

    void aMillionCharacterMessageTakesMorePresses()
    {
        QString morse;
        while (morse.size() < 1'000'000)
            morse += u" . - - . / - . /"_s;
        paste(w->Text3, morse);
        QCOMPARE(w->Text3->toPlainText().size(), morse.size());
        QTest::mouseClick(w->letterKeys[15], Qt::LeftButton);
        QCOMPARE(w->Text3->toPlainText(), morse + u" . - - . /"_s);
    }

    void oddCodesArePastedAndWrittenExactly_data()
    {
        QTest::addColumn<QString>("code");
        QTest::newRow("long") << QString(200'000, u'.');
        QTest::newRow("markup and ampersands") << u"<b>&amp;</b> && &"_s;
        QTest::newRow("emoji") << u"😀🏕️👍🏽"_s;
        QTest::newRow("combining marks") << u"α\u0301ε\u0308\u0342"_s;
        QTest::newRow("right to left") << u"שלום مرحبا"_s;
        QTest::newRow("nul") << u"a\u0000b"_s;
    }
    void oddCodesArePastedAndWrittenExactly()
    {
        QFETCH(QString, code);
        paste(w->customFields[0], code);
        QCOMPARE(w->customFields[0]->text(), code);
        QTest::mouseClick(w->customKeys[0], Qt::LeftButton);
        QCOMPARE(w->Text3->toPlainText(), code);
        // Accents over their letters, emoji sequences and right-to-left text
        // are drawn right only when shaped; Morse and plain Greek are quicker
        // without it.
        const QStringList shaped = {u"emoji"_s, u"combining marks"_s, u"right to left"_s};
        const bool shaping = !(w->Text3->font().styleStrategy() & QFont::PreferNoShaping);
        QCOMPARE(shaping, shaped.contains(QString::fromLatin1(QTest::currentDataTag())));
        w->Text3->clear();
        QVERIFY(w->Text3->font().styleStrategy() & QFont::PreferNoShaping);  // emptied, quick again
        QTest::mouseClick(w->customKeys[0], Qt::LeftButton);

        prompts.names = {code};  // and the same text as a name
        QTest::mouseClick(w->customKeys[1], Qt::LeftButton);
        QCOMPARE(w->customKeys[1]->caption(), code);
    }

    void lineBreaksPastedIntoACodeStayInTheCode()
    {
        w->Text2->selectAll();
        paste(w->Text2, u"/\r\n/\n"_s);
        QCOMPARE(w->Text2->text(), u"/\r\n/\n"_s);
        QTest::mouseClick(w->Command2, Qt::LeftButton);
        QCOMPARE(w->Text3->toPlainText(), u"/\n/\n"_s);  // a CR LF is one line break in the message
    }

    void aPasteOfNothingLeavesTheMessageAsItWas()
    {
        // An empty clipboard, as a fresh desktop's is and as Wine's is while
        // another program takes it over: Ctrl+V in the message ended the
        // program (Qt 6.4 read the first of no formats).
        QTest::mouseClick(w->letterKeys[0], Qt::LeftButton);
        const QString message = w->Text3->toPlainText();
        QGuiApplication::clipboard()->setMimeData(new QMimeData);
        w->Text3->setFocus();
        QTest::keySequence(w->Text3, QKeySequence::Paste);
        QCOMPARE(w->Text3->toPlainText(), message);
    }

    void aBurstOfPresses()
    {
        for (int i = 0; i < 500; ++i)
            QTest::mouseClick(w->letterKeys[i % 24], Qt::LeftButton);
        QString expected;
        for (int i = 0; i < 500; ++i)
            expected += w->Text1[i % 24]->text();
        QCOMPARE(w->Text3->toPlainText(), expected);
    }
};

QTEST_MAIN(HostileTest)
#include "tst_hostile.moc"
