#pragma once
// Answers the program's questions from a script, and remembers what was asked.

#include "keyboard/prompts.h"

#include <QStringList>
#include <QTest>
#include <deque>

struct ScriptedPrompts : keyboard::Prompts {
    std::deque<bool> confirmations;
    std::deque<QString> names;
    QStringList asked;  // "title|prompt" of every question, in order

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
};
