#pragma once

#include "app/dialogs.h"

#include <QStringList>

#include <deque>

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
    QStringList folders;               // where each file dialog was opened

    Answer message(const QString &text, const QString &title, Buttons buttons, const QString &detail) override
    {
        shown.push_back({text, title, detail, buttons});
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        const Answer a = answers.empty() ? Answer::No : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return a;
    }
    QString openFileName(const QString &filter, const QString &folder) override
    {
        filters << filter;
        folders << folder;
        return take(openNames);
    }
    QString saveFileName(const QString &filter, const QString &, const QString &folder) override
    {
        filters << filter;
        folders << folder;
        return take(saveNames);
    }

private:
    static QString take(std::deque<QString> &q)
    {
        const QString s = q.empty() ? QString() : q.front();
        if (!q.empty())
            q.pop_front();
        return s;
    }
};
