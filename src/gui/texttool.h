#pragma once

#include <QImage>
#include <QWidget>

class QFontComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace glintag {

// The dot editor's Text tool: a line of text in a font picked from the
// installed ones, shown as the dots it makes before it is placed.
class TextTool : public QWidget {
    Q_OBJECT

public:
    explicit TextTool(QWidget *parent);

    // The dots the current text, font and threshold make.
    const QImage &dots() const { return m_dots; }
    QLineEdit *textBox() const { return m_text; }
    QFontComboBox *fontBox() const { return m_font; }
    QSpinBox *thresholdBox() const { return m_threshold; }
    QLabel *preview() const { return m_preview; }
    QPushButton *placeButton() const { return m_place; }
    void applyLanguage(int uiLanguage);

Q_SIGNALS:
    void placeRequested(const QImage &dots);

private:
    void redraw();

    QImage m_dots;
    QLabel *m_textLabel = nullptr, *m_fontLabel = nullptr, *m_thresholdLabel = nullptr;
    QLineEdit *m_text = nullptr;
    QFontComboBox *m_font = nullptr;
    QSpinBox *m_threshold = nullptr;
    QLabel *m_preview = nullptr;
    QPushButton *m_place = nullptr;
};

} // namespace glintag
