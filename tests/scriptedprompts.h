#pragma once
// Answers the program's questions from a script, and remembers what was asked.

#include "keyboard/prompts.h"

#include <QStringList>
#include <QTest>
#include <deque>
#include <optional>
#include <vector>

struct ScriptedPrompts : keyboard::Prompts {
    std::deque<bool> confirmations;
    std::deque<QString> names;
    std::deque<std::optional<QString>> texts;            // what the write box is given, or Cancel
    std::vector<model::Reading> readings;                // what the read box showed
    std::deque<std::optional<model::CodeChoice>> codes;  // what the codes box is given, or Cancel
    QStringList listened;                                // the messages the listening box was given
    QStringList asked;                                   // "title|prompt" of every question, in order

    bool confirm(const QString& title, const QString& prompt) override
    {
        asked << title + u'|' + prompt;
        if (confirmations.empty()) {
            QTest::qFail("an unexpected confirmation was asked", __FILE__, __LINE__);
            return false;
        }
        const bool answer = confirmations.front();
        confirmations.pop_front();
        return answer;
    }

    void inform(const QString& title, const QString& text) override { asked << title + u'|' + text; }

    QString askName(const QString& prompt, const QString& title, const QString& initial) override
    {
        asked << title + u'|' + prompt + u'|' + initial;
        if (names.empty()) {
            QTest::qFail("an unexpected name was asked", __FILE__, __LINE__);
            return {};
        }
        const QString answer = names.front();
        names.pop_front();
        return answer;
    }

    std::optional<QString> askText(const Writer& write, const QString&) override
    {
        asked << u"ΚΩΔΙΚΟΠΟΙΗΣΗ"_qs;
        if (texts.empty()) {
            QTest::qFail("an unexpected text was asked", __FILE__, __LINE__);
            return {};
        }
        const std::optional<QString> answer = texts.front();
        texts.pop_front();
        if (answer)
            write(*answer);  // the preview, as the box shows it while typing
        return answer;
    }

    void showReading(const model::Reading& reading) override { readings.push_back(reading); }

    std::optional<model::CodeChoice> chooseCode(std::span<const model::Key>, const QString&) override
    {
        asked << u"ΚΩΔΙΚΕΣ"_qs;
        if (codes.empty()) {
            QTest::qFail("an unexpected code was asked", __FILE__, __LINE__);
            return {};
        }
        const std::optional<model::CodeChoice> answer = codes.front();
        codes.pop_front();
        return answer;
    }

    void listen(const QString& message, const model::Reading&) override { listened << message; }
    std::optional<QString> hear(std::span<const model::Key>) override { return std::nullopt; }
};
