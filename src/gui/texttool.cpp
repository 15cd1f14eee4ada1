#include "gui/texttool.h"

#include "gui/accessiblecombo.h"
#include "gui/windowlayout.h"

#include "badge/dotcanvas.h"
#include "gui/previewpanel.h" // paintDots and the strip's colours
#include "i18n/editortexts.h"
#include "render/fonttext.h"

#include <QBoxLayout>
#include <QFontComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

namespace glintag {

namespace {

constexpr int kPreviewPitch = 3;
constexpr int kPreviewColumns = 160; // what the preview shows of a long text

} // namespace

TextTool::TextTool(QWidget *parent) : QWidget(parent)
{
    m_textLabel = new QLabel(this);
    m_text = new QLineEdit(this);
    m_textLabel->setBuddy(m_text);
    m_fontLabel = new QLabel(this);
    m_font = new QFontComboBox(this);
    m_fontLabel->setBuddy(m_font);
    m_thresholdLabel = new QLabel(this);
    m_threshold = new QSpinBox(this);
    m_threshold->setRange(1, 255);
    m_threshold->setValue(128);
    m_thresholdLabel->setBuddy(m_threshold);
    m_preview = new QLabel(this);
    m_preview->setFixedSize(kPreviewColumns * kPreviewPitch, kRowCount * kPreviewPitch);
    m_place = new QPushButton(this);
    m_place->setAutoDefault(false);

    auto *top = new QHBoxLayout;
    top->addWidget(m_textLabel);
    top->addWidget(m_text, 1);
    top->addWidget(m_fontLabel);
    top->addWidget(m_font);
    top->addWidget(m_thresholdLabel);
    top->addWidget(m_threshold);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_preview);
    bottom->addWidget(m_place);
    bottom->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addLayout(bottom);

    connect(m_text, &QLineEdit::textChanged, this, [this] { redraw(); });
    connect(m_font, &QFontComboBox::currentFontChanged, this, [this] { redraw(); });
    connect(m_threshold, &QSpinBox::valueChanged, this, [this] { redraw(); });
    connect(m_place, &QPushButton::clicked, this, [this] {
        if (!m_text->text().isEmpty())
            Q_EMIT placeRequested(m_dots);
    });
    redraw();
}

void TextTool::redraw()
{
    m_dots = textDots(m_text->text(), m_font->currentFont(), m_threshold->value());
    QImage image(kPreviewColumns * kPreviewPitch, kRowCount * kPreviewPitch, QImage::Format_RGB32);
    image.fill(kDotGap);
    paintDots(
        image, 0, kPreviewColumns,
        [this](int row, int col) { return !m_text->text().isEmpty() && dotAt(m_dots, col, row); }, kPreviewPitch);
    m_preview->setPixmap(QPixmap::fromImage(image));
    m_place->setEnabled(!m_text->text().isEmpty());
}

void TextTool::applyLanguage(int uiLanguage)
{
    const EditorTexts &t = editorTexts(uiLanguage);
    m_textLabel->setText(withMnemonic(t.text, 'X'));
    m_text->setToolTip(t.textTip);
    m_fontLabel->setText(withMnemonic(t.font, 'F'));
    m_thresholdLabel->setText(withMnemonic(t.threshold, 'H'));
    m_threshold->setToolTip(t.thresholdTip);
    m_place->setText(withMnemonic(t.placeText, 'E'));
    m_place->setAccessibleName(t.placeText);
    nameComboBox(m_font, spokenCaption(t.font));
    m_place->setToolTip(t.placeTextTip);
    m_preview->setAccessibleName(t.previewName);
}

} // namespace glintag
