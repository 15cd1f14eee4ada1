// The window's language: captions, fonts, column and settings-row layout and
// tooltips follow the language box. Kept apart from how the pieces are built
// and wired; the texts themselves live in src/i18n.
#include "gui/accessiblecombo.h"
#include "gui/mainwindow.h"
#include "gui/previewpanel.h"
#include "gui/settingsrow.h"
#include "gui/slotrow.h"
#include "gui/slottable.h"
#include "gui/statusrow.h"
#include "gui/stripwidgets.h"
#include "gui/windowlayout.h"
#include "gui/windowmenus.h"

#include "badge/movemode.h"
#include "i18n/captionfonts.h"
#include "i18n/columnlayout.h"
#include "i18n/editortexts.h"
#include "i18n/languages.h"
#include "i18n/statustexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace glintag {

static_assert(std::tuple_size_v<decltype(LanguageRecord::moveModes)> == kMoveModeCount,
              "every language names each move mode");

namespace {

// The title label grows to its font's whole height, descenders and the
// underline included, never below its designed height.
void fitTitleHeight(QLabel &title)
{
    const QFontMetrics metrics(title.font());
    const int below = std::max(metrics.descent(), metrics.underlinePos() + metrics.lineWidth());
    const int needed = metrics.ascent() + below + 1;
    title.resize(title.width(), std::max(px(465), needed));
    title.raise();
}

} // namespace

void MainWindow::applyLanguage()
{
    const int language = m_settingsRow->language();
    const LanguageRecord &rec = languageRecord(language);
    const StatusTexts &tips = statusTexts(language);
    const QStringList families = captionFamilies(rec.charset, installedFaces(rec.charset));

    setCharset(this, families);
    for (QWidget *w : {static_cast<QWidget *>(m_title), static_cast<QWidget *>(m_gaugeCaption),
                       static_cast<QWidget *>(m_sendButton), static_cast<QWidget *>(m_exitButton)})
        setCharset(w, families);
    m_title->setText(rec.title);
    fitTitleHeight(*m_title);

    m_slots->applyLanguage(language, families);
    m_settingsRow->applyLanguage(language, families);
    m_gaugeCaption->setText(rec.gaugeCaption);
    m_sendButton->setText(withMnemonic(rec.sendButton, 'S'));
    m_exitButton->setText(withMnemonic(rec.exitButton, 'X'));
    m_gaugeCaption->setToolTip(tips.gaugeTip);
    m_memoryGauge->setToolTip(tips.gaugeTip);
    m_memoryGauge->setAccessibleName(spokenCaption(rec.gaugeCaption));
    m_progressBar->setAccessibleName(tips.progressTip);
    m_progressBar->setToolTip(tips.progressTip);
    m_scroller->horizontalScrollBar()->setAccessibleName(tips.pageScrollName);
    m_scroller->verticalScrollBar()->setAccessibleName(tips.pageScrollName);
    m_sendButton->setToolTip(tips.sendTip);
    m_exitButton->setToolTip(tips.exitTip);
    m_statusRow->applyLanguage(language, families);

    m_preview->applyLanguage(language);
    if (m_menus)
        m_menus->applyLanguage(language);
}

// The East Asian faces reach further below the baseline than the title's
// 31 pixels allow, and the underline sits lower still; the label keeps its
// place and face and grows downwards, drawn over the slot frame's top edge.
void SlotTable::applyLanguage(int uiLanguage, const QStringList &families)
{
    const LanguageRecord &rec = languageRecord(uiLanguage);
    const StatusTexts &t = statusTexts(uiLanguage);
    const std::pair<QLabel *, const QString *> headers[]
        = {{m_selectHeader, &rec.selectHeader}, {m_textHeader, &rec.textHeader},
           {m_imageHeader, &rec.imageHeader},   {m_speedHeader, &rec.speedHeader},
           {m_modeHeader, &rec.modeHeader},     {m_flashHeader, &rec.flashHeader},
           {m_borderHeader, &rec.borderHeader}, {m_alternateHeader, &rec.alternateHeader}};
    for (const auto &[header, caption] : headers) {
        setCharset(header, families);
        header->setText(*caption);
    }
    // English hides the vertical-show column; its header keeps the caption
    // and face it had, and the boxes keep their ticks.
    if (rec.showsVerticalShow) {
        setCharset(m_verticalHeader, families);
        m_verticalHeader->setText(rec.verticalHeader);
    }
    placeColumns(rec.showsVerticalShow ? columnsWithVerticalShow() : columnsWithoutVerticalShow());

    const std::pair<QLabel *, const QString *> tips[]
        = {{m_selectHeader, &t.selectTip},     {m_textHeader, &t.textTip},     {m_imageHeader, &t.imageTip},
           {m_verticalHeader, &t.verticalTip}, {m_speedHeader, &t.speedTip},   {m_modeHeader, &t.modeTip},
           {m_flashHeader, &t.flashTip},       {m_borderHeader, &t.borderTip}, {m_alternateHeader, &t.alternateTip}};
    for (const auto &[header, tip] : tips)
        header->setToolTip(*tip);
    for (SlotRow *r : m_rows)
        r->applyLanguage(uiLanguage, families);
}

void SlotRow::applyLanguage(int uiLanguage, const QStringList &families)
{
    const LanguageRecord &rec = languageRecord(uiLanguage);
    const StatusTexts &t = statusTexts(uiLanguage);
    for (QWidget *w : {static_cast<QWidget *>(m_text), static_cast<QWidget *>(m_load), static_cast<QWidget *>(m_save),
                       static_cast<QWidget *>(m_mode)})
        setCharset(w, families);
    m_load->setText(withMnemonic(rec.loadButton, 'O'));
    m_save->setText(withMnemonic(rec.saveButton, 'V'));
    for (int k = 0; k < m_mode->count(); ++k)
        m_mode->setItemText(k, rec.moveModes[size_t(k)]);
    // A renamed current item leaves the edit field scrolled to its end.
    m_mode->lineEdit()->setCursorPosition(0);
    m_text->update();

    // The row's own controls say what their column's header says.
    m_select->setToolTip(t.selectTip);
    m_image->setToolTip(t.imageTip);
    m_vertical->setToolTip(t.verticalTip);
    m_speed->setToolTip(t.speedTip);
    m_mode->setToolTip(t.modeTip);
    m_flash->setToolTip(t.flashTip);
    m_border->setToolTip(t.borderTip);
    m_alternate->setToolTip(t.alternateTip);
    m_text->setToolTip(t.textTip);
    m_picture->setToolTip(t.pictureTip + QLatin1Char('\n') + editorTexts(uiLanguage).stripTip);
    m_pan->setToolTip(t.panTip);
    m_load->setToolTip(t.loadTip);
    m_save->setToolTip(t.saveTip);

    // "Slot 3: Speed": which row, then what the column's header says.
    const QString slot = t.slotName.arg(m_slot + 1);
    const std::pair<QWidget *, const QString *> names[] = {{m_select, &rec.selectHeader},
                                                           {m_text, &rec.textHeader},
                                                           {m_picture, &rec.imageHeader},
                                                           {m_image, &rec.imageHeader},
                                                           {m_vertical, &rec.verticalHeader},
                                                           {m_speed, &rec.speedHeader},
                                                           {m_mode, &rec.modeHeader},
                                                           {m_flash, &rec.flashHeader},
                                                           {m_border, &rec.borderHeader},
                                                           {m_alternate, &rec.alternateHeader},
                                                           {m_pan, &t.panName},
                                                           {m_load, &rec.loadButton},
                                                           {m_save, &rec.saveButton}};
    for (const auto &[widget, caption] : names)
        widget->setAccessibleName(QStringLiteral("%1: %2").arg(slot, spokenCaption(*caption)));
    for (QComboBox *box : {m_speed, m_mode})
        nameComboBox(box, box->accessibleName());
}

void SettingsRow::applyLanguage(int uiLanguage, const QStringList &families)
{
    const LanguageRecord &rec = languageRecord(uiLanguage);
    const StatusTexts &t = statusTexts(uiLanguage);
    const std::pair<QLabel *, const QString *> captions[] = {{m_languageLabel, &rec.languageLabel},
                                                             {m_brightnessLabel, &rec.brightnessLabel},
                                                             {m_portLabel, &rec.portLabel},
                                                             {m_modelLabel, &rec.modelLabel}};
    const char keys[] = {'L', 'B', 'P', 'Y'};
    int k = 0;
    for (const auto &[label, caption] : captions) {
        setCharset(label, families);
        label->setText(withMnemonicInPlace(*caption, keys[k++]));
        nameComboBox(static_cast<QComboBox *>(label->buddy()), spokenCaption(*caption));
    }
    const SettingsRowLefts &lefts = rec.settingsRow;
    setLeft(m_languageBox, lefts.languageBox);
    setLeft(m_brightnessLabel, lefts.brightnessLabel);
    setLeft(m_brightnessBox, lefts.brightnessBox);
    setLeft(m_modelLabel, lefts.modelLabel);
    setLeft(m_modelBox, lefts.modelBox);
    setLeft(m_portLabel, lefts.portLabel);
    setLeft(m_portBox, lefts.portBox);

    const std::pair<QWidget *, const QString *> tips[] = {{m_languageLabel, &t.languageTip},
                                                          {m_languageBox, &t.languageTip},
                                                          {m_brightnessLabel, &t.brightnessTip},
                                                          {m_brightnessBox, &t.brightnessTip},
                                                          {m_modelLabel, &t.modelTip},
                                                          {m_modelBox, &t.modelTip},
                                                          {m_portLabel, &t.portTip}};
    for (const auto &[widget, tip] : tips)
        widget->setToolTip(*tip);
    m_portTip = t.portTip;
    updatePortTip();
}

void StatusRow::applyLanguage(int uiLanguage, const QStringList &families)
{
    m_language = uiLanguage;
    setCharset(m_line, families);
    setCharset(m_stop, families);
    m_stop->setText(withMnemonic(statusTexts(uiLanguage).stopButton, 'T'));
    m_stop->setToolTip(statusTexts(uiLanguage).stopTip);
    if (m_text)
        m_line->setText(m_text(uiLanguage));
    setCharset(m_use, families);
    m_use->setToolTip(statusTexts(uiLanguage).gaugeUseTip);
    setRowUse(m_useBytes);
}

} // namespace glintag
