#pragma once

#include "badge/dotcanvas.h"

#include <QDialog>
#include <QImage>

class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace glintag {

// Offered after a load that lit no dot: the picture as loaded beside its
// dots by a brightness threshold and by an ordered dither, so the choice is
// seen before Apply hands the chosen dots back through applied(); the
// receiver closes the dialog once the slot took them.
class PhotoDialog : public QDialog {
    Q_OBJECT

public:
    PhotoDialog(QWidget *parent, int slot, const QImage &canvas, int uiLanguage);

    QRadioButton *thresholdChoice() const { return m_threshold; }
    QRadioButton *ditherChoice() const { return m_dither; }
    QSpinBox *thresholdBox() const { return m_level; }
    QPushButton *applyButton() const { return m_apply; }
    QPushButton *keepButton() const { return m_keep; }
    // The dots Apply would hand back now.
    QImage chosen() const;
    // Follows the language box while the dialog is open.
    void applyLanguage(int uiLanguage);

Q_SIGNALS:
    void applied(const QImage &canvas);

private:
    void redraw();

    QImage m_canvas;
    int m_slot = 0;
    int m_columns; // shown of the picture, from column 0
    QLabel *m_intro = nullptr, *m_asLoaded = nullptr;
    QLabel *m_original = nullptr, *m_byThreshold = nullptr, *m_byDither = nullptr;
    QRadioButton *m_threshold = nullptr, *m_dither = nullptr;
    QSpinBox *m_level = nullptr;
    QPushButton *m_apply = nullptr, *m_keep = nullptr;
};

} // namespace glintag
