#pragma once

#include "gui/dialogs.h"

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
    std::deque<Answer> answers;    // for Yes/No questions; default No
    std::deque<QString> openNames; // empty string = cancel
    std::deque<QString> saveNames;
    QStringList filters;
    QStringList folders; // where each file dialog was opened

    Answer message(const QString &text, const QString &title, Buttons buttons, const QString &detail) override
    {
        shown.push_back({text, title, detail, buttons});
        return buttons == Buttons::Ok ? Answer::Ok : take(answers, Answer::No);
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
    // The next scripted answer, or `otherwise` once the script has run out.
    template<class T> static T take(std::deque<T> &q, T otherwise = {})
    {
        if (q.empty())
            return otherwise;
        const T t = q.front();
        q.pop_front();
        return t;
    }
};
