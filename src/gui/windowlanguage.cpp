// The window's language: captions, fonts, column and settings-row layout and
// tooltips follow the language box. Kept apart from the wiring in
// mainwindow.cpp; the texts themselves live in src/i18n.
#include "gui/mainwindow.h"

#include "i18n/captionfonts.h"
#include "i18n/columnlayout.h"
#include "i18n/languages.h"
#include "i18n/statustexts.h"
#include "gui/previewpanel.h"
#include "render/messagebuilder.h"
#include "gui/windowlayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace glintag {

static_assert(std::tuple_size_v<decltype(LanguageRecord::moveModes)> == kMoveModeCount,
              "every language names each move mode");

void MainWindow::applyLanguage()
{
    const LanguageRecord &rec = languageRecord(languageBox->currentIndex());
    const bool english = !rec.showsVerticalShow;
    const QStringList families = captionFamilies(rec.charset, installedFaces(rec.charset));

    setCharset(this, families);
    QWidget *const captioned[] = {title,         selectHeader,    textHeader,    imageHeader,     speedHeader,
                                  modeHeader,    flashHeader,     borderHeader,  alternateHeader, languageLabel,
                                  brightnessLabel, portLabel,     modelLabel,    gaugeCaption,    sendButton,
                                  exitButton,    stopButton,      statusLine};
    for (QWidget *w : captioned)
        setCharset(w, families);
    if (!english)
        setCharset(verticalHeader, families);

    title->setText(rec.title);
    fitTitleHeight();
    selectHeader->setText(rec.selectHeader);
    textHeader->setText(rec.textHeader);
    imageHeader->setText(rec.imageHeader);
    speedHeader->setText(rec.speedHeader);
    modeHeader->setText(rec.modeHeader);
    flashHeader->setText(rec.flashHeader);
    borderHeader->setText(rec.borderHeader);
    alternateHeader->setText(rec.alternateHeader);

    const SettingsRowLefts &lefts = rec.settingsRow;
    auto moveSettingsRow = [&] {
        setLeft(languageBox, lefts.languageBox);
        setLeft(brightnessLabel, lefts.brightnessLabel);
        setLeft(brightnessBox, lefts.brightnessBox);
        setLeft(modelLabel, lefts.modelLabel);
        setLeft(modelBox, lefts.modelBox);
        setLeft(portLabel, lefts.portLabel);
        setLeft(portBox, lefts.portBox);
    };
    if (!english) {
        languageLabel->setText(rec.languageLabel);
        moveSettingsRow();
    } else {
        // The English layout hides the vertical-show column; its boxes keep
        // their ticks.
        placeColumns(columnsWithoutVerticalShow());
        moveSettingsRow();
        languageLabel->setText(rec.languageLabel);
    }
    brightnessLabel->setText(rec.brightnessLabel);
    portLabel->setText(rec.portLabel);
    modelLabel->setText(rec.modelLabel);
    gaugeCaption->setText(rec.gaugeCaption);

    for (int i = 0; i < kSlotCount; ++i) {
        setCharset(row(i).text, families);
        setCharset(row(i).load, families);
        setCharset(row(i).save, families);
        setCharset(row(i).mode, families);
        row(i).load->setText(rec.loadButton);
        row(i).save->setText(rec.saveButton);
        for (int k = 0; k < moveModeCount(i); ++k)
            row(i).mode->setItemText(k, rec.moveModes[size_t(k)]);
    }
    // A renamed current item leaves the edit field scrolled to its end.
    for (const SlotRow &r : m_rows)
        r.mode->lineEdit()->setCursorPosition(0);

    sendButton->setText(rec.sendButton);
    exitButton->setText(rec.exitButton);
    stopButton->setText(statusTexts(languageBox->currentIndex()).stopButton);
    setToolTips();
    if (m_statusText)
        statusLine->setText(m_statusText(languageBox->currentIndex()));
    if (!english) {
        verticalHeader->setText(rec.verticalHeader);
        placeColumns(columnsWithVerticalShow());
    }
    for (const SlotRow &r : m_rows)
        r.text->update();
    preview->applyLanguage(languageBox->currentIndex());
    // The code page and the font files follow the language.
    refreshPreview(PreviewSource::FreshRendering);
}

// The East Asian faces reach further below the baseline than the designed
// 31 pixels allow, and the underline sits lower still; the label keeps its
// place and face and grows downwards, drawn over the slot frame's top edge.
void MainWindow::fitTitleHeight()
{
    const QFontMetrics metrics(title->font());
    const int below = std::max(metrics.descent(), metrics.underlinePos() + metrics.lineWidth());
    const int needed = metrics.ascent() + below + 1;
    title->resize(title->width(), std::max(px(465), needed));
    title->raise();
}

void MainWindow::placeColumns(const ColumnLayout &layout)
{
    setLeft(imageHeader, px(layout.imageHeader));
    setLeft(speedHeader, px(layout.speedHeader));
    setLeft(modeHeader, px(layout.modeHeader));
    setLeft(flashHeader, px(layout.flashHeader));
    setLeft(borderHeader, px(layout.borderHeader));
    alternateHeader->resize(px(layout.alternateHeaderWidth), alternateHeader->height());
    setLeft(alternateHeader, px(layout.alternateHeader));
    verticalHeader->setVisible(layout.verticalShowVisible);
    for (int i = 0; i < kSlotCount; ++i) {
        setLeft(row(i).image, px(layout.imageBox));
        setLeft(row(i).speed, px(layout.speedBox));
        setLeft(row(i).mode, px(layout.modeBox));
        setLeft(row(i).flash, px(layout.flashBox));
        setLeft(row(i).border, px(layout.borderBox));
        setLeft(row(i).alternate, px(layout.alternateBox));
        row(i).vertical->setVisible(layout.verticalShowVisible);
    }
}


void MainWindow::setToolTips()
{
    const StatusTexts &t = statusTexts(languageBox->currentIndex());
    const std::pair<QWidget *, const QString *> tips[] = {
        {languageLabel, &t.languageTip}, {languageBox, &t.languageTip},
        {brightnessLabel, &t.brightnessTip}, {brightnessBox, &t.brightnessTip},
        {modelLabel, &t.modelTip}, {modelBox, &t.modelTip},
        {portLabel, &t.portTip}, {portBox, &t.portTip},
        {progressBar, &t.progressTip}, {sendButton, &t.sendTip},
        {exitButton, &t.exitTip}, {stopButton, &t.stopTip},
        {selectHeader, &t.selectTip}, {textHeader, &t.textTip}, {imageHeader, &t.imageTip},
        {verticalHeader, &t.verticalTip}, {speedHeader, &t.speedTip}, {modeHeader, &t.modeTip},
        {flashHeader, &t.flashTip}, {borderHeader, &t.borderTip}, {alternateHeader, &t.alternateTip},
    };
    for (const auto &[widget, tip] : tips)
        widget->setToolTip(*tip);
    // The row's own controls say what their column's header says.
    for (const SlotRow &r : m_rows) {
        r.select->setToolTip(t.selectTip);
        r.image->setToolTip(t.imageTip);
        r.vertical->setToolTip(t.verticalTip);
        r.speed->setToolTip(t.speedTip);
        r.mode->setToolTip(t.modeTip);
        r.flash->setToolTip(t.flashTip);
        r.border->setToolTip(t.borderTip);
        r.alternate->setToolTip(t.alternateTip);
    }
}

} // namespace glintag
