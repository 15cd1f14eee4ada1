#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace glintag {

// Message boxes and file dialogs go through this, so tests can answer them
// without a modal loop.
class Dialogs {
public:
    enum class Buttons {
        Ok,
        YesNo,
        YesNoCancel
    };
    enum class Answer {
        Ok,
        Yes,
        No,
        Cancel
    };

    virtual ~Dialogs() = default;
    // Always with the exclamation icon; detail is an optional second line.
    virtual Answer message(const QString &text, const QString &title, Buttons buttons,
                           const QString &detail = QString())
        = 0;
    // filter in the form "Label(*.a;*.b)|*.a;*.b"; empty result = cancelled.
    // The dialog opens in folder (empty: wherever the toolkit likes).
    // A Yes/No/Cancel question whose buttons say what they do (three
    // captions, in that order); by default a message with those buttons.
    virtual Answer ask(const QString &text, const QString &title, const QStringList &captions)
    {
        (void)captions;
        return message(text, title, Buttons::YesNoCancel);
    }
    // A notice that warns of nothing (About, the manual); by default a message.
    virtual void inform(const QString &text, const QString &title) { message(text, title, Buttons::Ok); }
    virtual QString openFileName(const QString &filter, const QString &folder = QString()) = 0;
    virtual QString saveFileName(const QString &filter, const QString &defaultSuffix, const QString &folder = QString())
        = 0;
};

// The real thing: modal Qt message boxes and file dialogs.
class WidgetDialogs : public Dialogs {
public:
    explicit WidgetDialogs(QWidget *parent) : m_parent(parent) {}
    Answer message(const QString &text, const QString &title, Buttons buttons, const QString &detail) override;
    void inform(const QString &text, const QString &title) override;
    Answer ask(const QString &text, const QString &title, const QStringList &captions) override;
    QString openFileName(const QString &filter, const QString &folder) override;
    QString saveFileName(const QString &filter, const QString &defaultSuffix, const QString &folder) override;

    // "Picture(*.bmp;*.gif)|*.bmp;*.gif" → "Picture (*.bmp *.gif)"
    static QString toQtFilter(const QString &filter);

private:
    QWidget *m_parent;
};

} // namespace glintag
