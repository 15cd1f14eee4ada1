#include "gui/photodialog.h"

#include "gui/previewpanel.h" // paintDots and the strip's colours
#include "i18n/editortexts.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <algorithm>

namespace glintag {

namespace {

constexpr int kPitch = 4;
constexpr int kMostColumns = 128;

// The picture's own colours, one square per dot, as wide as the dots beside it.
QPixmap colours(const QImage &canvas, int columns)
{
    return QPixmap::fromImage(
        canvas.copy(0, 0, columns, kCanvasHeight).scaled(columns * kPitch, kCanvasHeight * kPitch));
}

QPixmap dots(const QImage &lit, int columns)
{
    QImage image(columns * kPitch, kCanvasHeight * kPitch, QImage::Format_RGB32);
    image.fill(kDotGap);
    paintDots(
        image, 0, columns, [&lit](int row, int col) { return dotAt(lit, col, row); }, kPitch);
    return QPixmap::fromImage(image);
}

} // namespace

PhotoDialog::PhotoDialog(QWidget *parent, int slot, const QImage &canvas, int uiLanguage) :
    QDialog(parent), m_canvas(canvas)
{
    m_columns = std::clamp(brightColumns(canvas), 16, kMostColumns);

    m_intro = new QLabel(this);
    m_intro->setWordWrap(true);
    m_asLoaded = new QLabel(this);
    m_original = new QLabel(this);
    m_original->setPixmap(colours(canvas, m_columns));
    m_byThreshold = new QLabel(this);
    m_byDither = new QLabel(this);
    m_threshold = new QRadioButton(this);
    m_dither = new QRadioButton(this);
    m_threshold->setChecked(true);
    m_level = new QSpinBox(this);
    m_level->setRange(1, 255);
    // The picture's own middle grey lights about half its dots: a dark
    // photo shows something at once.
    m_level->setValue(std::clamp(medianBrightness(canvas), 1, 255));
    m_apply = new QPushButton(this);
    m_keep = new QPushButton(this);
    m_apply->setDefault(true);
    m_slot = slot;
    applyLanguage(uiLanguage);

    auto *grid = new QGridLayout;
    grid->addWidget(m_asLoaded, 0, 0);
    grid->addWidget(m_original, 0, 1);
    auto *thresholdRow = new QHBoxLayout;
    thresholdRow->addWidget(m_threshold);
    thresholdRow->addWidget(m_level);
    grid->addLayout(thresholdRow, 1, 0);
    grid->addWidget(m_byThreshold, 1, 1);
    grid->addWidget(m_dither, 2, 0);
    grid->addWidget(m_byDither, 2, 1);
    auto *end = new QHBoxLayout;
    end->addStretch();
    end->addWidget(m_apply);
    end->addWidget(m_keep);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_intro);
    layout->addLayout(grid);
    layout->addLayout(end);

    connect(m_level, &QSpinBox::valueChanged, this, [this] {
        m_threshold->setChecked(true);
        redraw();
    });
    connect(m_apply, &QPushButton::clicked, this, [this] { Q_EMIT applied(chosen()); });
    connect(m_keep, &QPushButton::clicked, this, &QDialog::reject);
    redraw();
}

void PhotoDialog::applyLanguage(int uiLanguage)
{
    const EditorTexts &t = editorTexts(uiLanguage);
    setWindowTitle(t.photoTitle.arg(m_slot + 1));
    m_intro->setText(t.photoIntro);
    m_asLoaded->setText(t.asLoaded);
    m_threshold->setText(t.byThreshold);
    m_dither->setText(t.byDither);
    m_level->setToolTip(t.thresholdTip);
    m_level->setAccessibleName(t.threshold);
    m_apply->setText(t.apply);
    m_keep->setText(t.keepAsLoaded);
}

QImage PhotoDialog::chosen() const
{
    return m_dither->isChecked() ? dotsByBrightness(m_canvas, BrightnessRule::Dither)
                                 : dotsByBrightness(m_canvas, BrightnessRule::Threshold, m_level->value());
}

void PhotoDialog::redraw()
{
    m_byThreshold->setPixmap(dots(dotsByBrightness(m_canvas, BrightnessRule::Threshold, m_level->value()), m_columns));
    m_byDither->setPixmap(dots(dotsByBrightness(m_canvas, BrightnessRule::Dither), m_columns));
}

} // namespace glintag
