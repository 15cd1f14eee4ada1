#pragma once

#include "app/dialogs.h"

#include <QStringList>

#include <deque>
#include <functional>

// Answers the window's dialogs from a script and remembers what was asked.
class FakeDialogs : public glintag::Dialogs {
public:
    struct Shown {
        QString text, title, detail;
        Buttons buttons;
    };
    std::vector<Shown> shown;
    std::deque<Answer> answers;        // for Yes/No questions; default No
    std::deque<QString> openNames;     // empty string = cancel
    std::deque<QString> saveNames;
    QStringList filters;
    std::function<void()> onMessage;   // runs while the "modal" box is up

    Answer message(const QString &text, const QString &title, Buttons buttons, const QString &detail) override
    {
        shown.push_back({text, title, detail, buttons});
        if (onMessage)
            onMessage();
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        if (answers.empty())
            return Answer::No;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    QString openFileName(const QString &filter) override
    {
        filters << filter;
        return take(openNames);
    }
    QString saveFileName(const QString &filter, const QString &) override
    {
        filters << filter;
        return take(saveNames);
    }

private:
    static QString take(std::deque<QString> &q)
    {
        if (q.empty())
            return QString();
        QString s = q.front();
        q.pop_front();
        return s;
    }
};
