#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QWidget;

namespace glintag {

struct PictureProblem;

// The row under the memory gauge: a line that says how the last upload went
// (or what went wrong at start-up), worded anew at each language change,
// the gauge's figure (bytes per row in use) under the gauge's right end,
// and the place of the Stop button, shown only while an upload runs.
class StatusRow : public QObject {
    Q_OBJECT

public:
    // On the panel, from `left` to the right edge `right` (the gauge's).
    StatusRow(QWidget *panel, int left, int right);

    // The text by interface language; null says nothing. The tooltip holds
    // what is too long for the line.
    void setStatus(std::function<QString(int)> text, const QString &toolTip = QString());
    // Empties the line if it says anything.
    void clear();
    // Pictures of a settings or setup file that did not come back: a word
    // in the line, not a message box in the way; each file and why in the
    // tooltip. Nothing when there are none.
    void tellPictureProblems(const std::vector<PictureProblem> &problems);

    // The bytes per row the selected slots send, of the badge's 512.
    void setRowUse(int bytes);

    // Re-words the line and captions the button (applylanguage.cpp).
    void applyLanguage(int uiLanguage, const QStringList &families);

    QLabel *statusLine() const { return m_line; }
    QPushButton *stopButton() const { return m_stop; }
    QLabel *rowUse() const { return m_use; }

private:
    QLabel *m_line = nullptr;
    QLabel *m_use = nullptr;
    int m_useBytes = 0;
    QPushButton *m_stop = nullptr;
    std::function<QString(int)> m_text; // null: nothing to say
    int m_language = 0;
};

} // namespace glintag
